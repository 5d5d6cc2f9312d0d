# pm_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2): one QtTest executable, one ctest test.
# Tests run offscreen with their fixtures reachable through TEST_DATA_DIR, and never touch the
# user's own settings file: PAGEMASON_REGISTRY points each test at a file of its own.
set(PAGEMASON_TEST_DATA_DIR ${CMAKE_SOURCE_DIR}/tests/data)
set(PAGEMASON_LSAN_SUPP ${CMAKE_SOURCE_DIR}/tests/lsan.supp)

function(pm_add_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    # Tests that start the program or read shipped files need them beside the executable.
    add_dependencies(${name} shipped_files)
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    target_compile_definitions(${name} PRIVATE
        TEST_DATA_DIR="${PAGEMASON_TEST_DATA_DIR}"
        APP_DIR="${PAGEMASON_APP_DIR}/")
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} ENVIRONMENT
        "QT_QPA_PLATFORM=offscreen;PAGEMASON_REGISTRY=${CMAKE_BINARY_DIR}/tests/${name}.reg;LSAN_OPTIONS=suppressions=${PAGEMASON_LSAN_SUPP}:print_suppressions=0;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endfunction()
