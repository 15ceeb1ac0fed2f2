# Flags of a fuzz build: every library is compiled with libFuzzer's coverage instrumentation and
# the address and undefined-behaviour sanitizers, so a finding in the core stops the fuzzer at
# the faulty line rather than somewhere downstream.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "M4_FUZZ needs clang++ (libFuzzer): configure with "
                        "-DCMAKE_CXX_COMPILER=clang++ or run scripts/fuzz")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
