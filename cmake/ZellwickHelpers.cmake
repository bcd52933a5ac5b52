# Shared build settings for the project's own targets.

# Warnings in our code (errors with ZELLWICK_WERROR); third-party headers come in as system
# includes.
function(zellwick_warnings target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic
        -Wshadow -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-align
        -Wformat=2 -Wimplicit-fallthrough)
    if(ZELLWICK_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# Each folder of the project is one library: zellwick_library(<name> [SHARED] SOURCES ...).
function(zellwick_library name)
    cmake_parse_arguments(ARG "SHARED" "" "SOURCES" ${ARGN})
    if(ARG_SHARED)
        add_library(${name} SHARED ${ARG_SOURCES})
    else()
        add_library(${name} STATIC ${ARG_SOURCES})
    endif()
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    zellwick_warnings(${name})
endfunction()

# Folders the tests may read real hand histories from; tests skip when it is absent.
get_filename_component(ZELLWICK_SHARED_DATA "${CMAKE_SOURCE_DIR}/../shared/data" ABSOLUTE)
