# Registers the GoogleTest cases of a Windows test program with ctest, once per Wine prefix.
#
#   kv_add_wine_gtest(<target> PREFIXES win64 win32 SOURCES a.cpp b.cpp
#                     [VARIANT name ENVIRONMENT VAR=value...] [TIMEOUT seconds] [LAUNCHER command...]
#                     [ONE_COPY])
#
# Every TEST()/TEST_F() found in the sources becomes a ctest test "<prefix>.<Suite>.<Name>" that runs
# the program under Wine (the toolchain's emulator) in one of the KV_WINE_LANES copies of that
# prefix, <build>/wine/<prefix>-<lane>, which the test script creates once per run. The cases are
# dealt to the copies in turn, so that ctest runs as many tests of one prefix side by side as there
# are copies: most Windows tests spend their time waiting for windows, timeouts and other
# processes, not computing. Tests of one copy never run at the same time: they share its named
# mutexes, desktop windows and data folder; ONE_COPY keeps every case of the call in the first copy
# (for tests that share something outside the prefix, such as a display whose monitors they change).
# A VARIANT runs its cases with extra environment settings under the names
# "<prefix>-<variant>.<Suite>.<Name>". A LAUNCHER command runs first and is given Wine and the
# program's command line to run (for settings only known at run time).

set(KV_WINE_ROOT ${CMAKE_BINARY_DIR}/wine CACHE INTERNAL "Folder of the Wine prefixes the tests use")
set(KV_WINE_LANES 2 CACHE STRING "Copies of each Wine prefix that the tests run in side by side")

function(kv_add_wine_gtest target)
    cmake_parse_arguments(ARG "ONE_COPY" "TIMEOUT;VARIANT" "PREFIXES;SOURCES;ENVIRONMENT;LAUNCHER" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 240)
    endif()
    set(cases)
    foreach(source IN LISTS ARG_SOURCES)
        get_filename_component(path ${source} ABSOLUTE)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
        file(READ ${path} content)
        string(REGEX MATCHALL "\n[ \t]*TEST(_F)?\\([ \t\r\n]*[A-Za-z0-9_]+[ \t\r\n]*,[ \t\r\n]*[A-Za-z0-9_]+[ \t\r\n]*\\)"
               found "${content}")
        foreach(match IN LISTS found)
            string(REGEX REPLACE ".*\\([ \t\r\n]*([A-Za-z0-9_]+)[ \t\r\n]*,[ \t\r\n]*([A-Za-z0-9_]+).*" "\\1.\\2"
                   name "${match}")
            list(APPEND cases ${name})
        endforeach()
    endforeach()
    foreach(prefix IN LISTS ARG_PREFIXES)
        # The next copy of this prefix to deal a case to, counted across every call.
        get_property(lane GLOBAL PROPERTY KV_NEXT_LANE_${prefix})
        if(NOT lane)
            set(lane 0)
        endif()
        foreach(case IN LISTS cases)
            if(ARG_VARIANT)
                set(test_name ${prefix}-${ARG_VARIANT}.${case})
            else()
                set(test_name ${prefix}.${case})
            endif()
            if(ARG_LAUNCHER)
                add_test(NAME ${test_name} COMMAND ${ARG_LAUNCHER} ${CMAKE_CROSSCOMPILING_EMULATOR}
                         $<TARGET_FILE:${target}> --gtest_filter=${case})
            else()
                add_test(NAME ${test_name} COMMAND ${target} --gtest_filter=${case})
            endif()
            set_tests_properties(${test_name} PROPERTIES
                ENVIRONMENT "WINEPREFIX=${KV_WINE_ROOT}/${prefix}-${lane};WINEDEBUG=-all;KV_WINE_PREFIX=${prefix};${ARG_ENVIRONMENT}"
                RESOURCE_LOCK wine-${prefix}-${lane}
                TIMEOUT ${ARG_TIMEOUT}
                LABELS "windows;${prefix}"
                # A test program that finds no matching case would otherwise pass silently.
                FAIL_REGULAR_EXPRESSION "\\[==========\\] 0 tests from 0 test suites ran"
                # A case that cannot run here says so and is shown as skipped, not as passed.
                SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]"
            )
            if(case MATCHES "\\.DISABLED_|^DISABLED_")
                set_tests_properties(${test_name} PROPERTIES DISABLED TRUE)
            endif()
            if(NOT ARG_ONE_COPY)
                math(EXPR lane "(${lane} + 1) % ${KV_WINE_LANES}")
            endif()
        endforeach()
        set_property(GLOBAL PROPERTY KV_NEXT_LANE_${prefix} ${lane})
    endforeach()
endfunction()
