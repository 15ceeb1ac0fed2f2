# One place for the flags every target gets.
option(M4_SANITIZE "Build with address and undefined-behaviour sanitizers" OFF)

# Reports are checked digit for digit against hand calculations: no fused multiply-adds,
# no fast-math, on every target.
add_compile_options(-ffp-contract=off -fno-fast-math)

if(M4_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# Debug builds check every index into a standard container: an index past the end stops the
# program where it happens instead of writing over whatever lies beside the container.
add_compile_definitions($<$<CONFIG:Debug>:_GLIBCXX_ASSERTIONS>)

# Precompiled headers. Parsing the Qt and GoogleTest headers takes most of the time of compiling
# a file, so each kind of target parses them once a tree: a host target of that kind, compiled
# from an empty file with no definitions of its own, builds the precompiled header and every
# target of the kind reuses it. The kind follows from what the target links, directly or through
# the project's libraries it links, so m4_target_defaults must come after target_link_libraries.
# A target that defines a macro the host defines otherwise cannot use the header; -Winvalid-pch
# makes that an error rather than a silently slower build. QtTest stays out of the headers: it
# defines the test's own folder, which differs from one folder of targets to the next.
set(M4_PCH_CORE
    <QByteArray> <QDir> <QFile> <QFileInfo> <QString> <QStringList> <QStringView>
    <algorithm> <array> <cmath> <cstdint> <optional> <string> <string_view> <utility> <vector>)
set(M4_PCH_WINDOW
    ${M4_PCH_CORE} <QApplication> <QFont> <QImage> <QKeyEvent> <QLabel> <QLineEdit> <QMouseEvent>
    <QPainter> <QTextEdit> <QWidget>)
set(M4_PCH_TEST ${M4_PCH_CORE} <gtest/gtest.h>)
set(M4_PCH_WINDOW_TEST ${M4_PCH_WINDOW} <gtest/gtest.h>)

# The libraries a target links, with those the project's own libraries among them link in turn.
function(m4_linked_libraries target out)
    get_target_property(libraries ${target} LINK_LIBRARIES)
    set(all ${libraries})
    foreach(library IN LISTS libraries)
        if(TARGET ${library} AND library MATCHES "^m4")
            m4_linked_libraries(${library} more)
            list(APPEND all ${more})
        endif()
    endforeach()
    set(${out} ${all} PARENT_SCOPE)
endfunction()

function(m4_precompiled_headers target)
    m4_linked_libraries(${target} libraries)
    set(kind CORE)
    set(hostLibraries Qt6::Core)
    if(libraries MATCHES "m4ui|Qt6::Widgets")
        set(kind WINDOW)
        set(hostLibraries Qt6::Widgets)
    endif()
    if(libraries MATCHES "GTest::")
        if(kind STREQUAL WINDOW)
            set(kind WINDOW_TEST)
        else()
            set(kind TEST)
        endif()
        list(APPEND hostLibraries GTest::gtest)
    endif()
    string(TOLOWER m4_pch_${kind} host)
    if(NOT TARGET ${host})
        add_library(${host} OBJECT ${PROJECT_SOURCE_DIR}/cmake/pch_host.cpp)
        target_link_libraries(${host} PRIVATE ${hostLibraries})
        target_compile_features(${host} PRIVATE cxx_std_20)
        target_compile_options(${host} PRIVATE ${M4_WARNINGS})
        target_compile_definitions(${host} PRIVATE QT_NO_KEYWORDS)
        target_precompile_headers(${host} PRIVATE ${M4_PCH_${kind}})
    endif()
    target_precompile_headers(${target} REUSE_FROM ${host})
endfunction()

set(M4_WARNINGS
    -Wall -Wextra -Wpedantic -Werror -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
    -Woverloaded-virtual -Wnull-dereference -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough
    -Winvalid-pch)

function(m4_target_defaults target)
    target_compile_features(${target} PUBLIC cxx_std_20)
    target_compile_options(${target} PRIVATE ${M4_WARNINGS})
    target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS)
    if(NOT M4_FUZZ)
        m4_precompiled_headers(${target})
    endif()
endfunction()
