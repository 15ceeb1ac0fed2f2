# One place for the flags every target gets.
option(M4_SANITIZE "Build with address and undefined-behaviour sanitizers" OFF)

# Reports are checked digit for digit against hand calculations: no fused multiply-adds,
# no fast-math, on every target.
add_compile_options(-ffp-contract=off -fno-fast-math)

if(M4_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

function(m4_target_defaults target)
    target_compile_features(${target} PUBLIC cxx_std_20)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Werror -Wshadow -Wnon-virtual-dtor -Wold-style-cast
        -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wdouble-promotion -Wformat=2
        -Wimplicit-fallthrough)
    target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS)
endfunction()
