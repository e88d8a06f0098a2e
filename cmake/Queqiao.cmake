# Helpers shared by every folder: tests, benchmarks and fuzz targets are declared the same way everywhere.

# queqiao_test(name SOURCES ... LIBS ... [QT]): a GoogleTest executable, each case a CTest test.
# QT marks a test that needs the window system; it then runs offscreen and is left out without Qt.
function(queqiao_test name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
    if(ARG_QT AND NOT QUEQIAO_WITH_QT)
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/sanitizer_defaults.cpp)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main Threads::Threads)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 120
        PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen TIMEOUT 300)
endfunction()

# queqiao_bench(name SOURCES ... LIBS ...): a Google Benchmark executable (not run by CTest).
function(queqiao_bench name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
    if(ARG_QT AND NOT QUEQIAO_WITH_QT)
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark Threads::Threads)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
endfunction()

# queqiao_fuzz(name SOURCES ... LIBS ...): a libFuzzer target; scripts/test runs each for a bounded time.
# Its seed corpus, if any, lives in fuzz/corpus/<name>/.
function(queqiao_fuzz name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;LIBS" ${ARGN})
    if(ARG_QT AND NOT QUEQIAO_WITH_QT)
        return()
    endif()
    add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/sanitizer_defaults.cpp)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set_property(GLOBAL APPEND PROPERTY QUEQIAO_FUZZ_TARGETS ${name})
endfunction()
