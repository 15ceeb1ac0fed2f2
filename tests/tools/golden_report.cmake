# Runs the reference implementation on one case and fails unless its report is the golden one,
# byte for byte: the goldens the program is compared with stay what the reference makes.
#   cmake -DPYTHON=... -DREFERENCE=m4_reference.py -DCASE=X.INT -DGOLDEN=X.out -DOUT=... -P golden_report.cmake
execute_process(COMMAND ${PYTHON} ${REFERENCE} ${CASE} @DIR@ OUTPUT_FILE ${OUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the reference fails on ${CASE}: ${rc}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT} ${GOLDEN} RESULT_VARIABLE differs)
if(differs)
    message(FATAL_ERROR "the reference's report of ${CASE} (${OUT}) is not ${GOLDEN}")
endif()
