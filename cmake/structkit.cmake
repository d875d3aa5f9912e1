# Helpers shared by the components' CMakeLists.

# structkit_add_subproject(DIR): adds tests/DIR, bench/DIR, fuzz/DIR or
# tools/DIR when it exists and the matching option is on.
function(structkit_add_tests dir)
  if(STRUCTKIT_TESTS AND EXISTS ${PROJECT_SOURCE_DIR}/tests/${dir}/CMakeLists.txt)
    add_subdirectory(${PROJECT_SOURCE_DIR}/tests/${dir} ${PROJECT_BINARY_DIR}/tests/${dir})
  endif()
endfunction()

function(structkit_add_bench dir)
  if(STRUCTKIT_BENCH AND EXISTS ${PROJECT_SOURCE_DIR}/bench/${dir}/CMakeLists.txt)
    add_subdirectory(${PROJECT_SOURCE_DIR}/bench/${dir} ${PROJECT_BINARY_DIR}/bench/${dir})
  endif()
endfunction()

function(structkit_add_fuzz dir)
  if(STRUCTKIT_FUZZ AND EXISTS ${PROJECT_SOURCE_DIR}/fuzz/${dir}/CMakeLists.txt)
    add_subdirectory(${PROJECT_SOURCE_DIR}/fuzz/${dir} ${PROJECT_BINARY_DIR}/fuzz/${dir})
  endif()
endfunction()

function(structkit_add_tool dir)
  if(EXISTS ${PROJECT_SOURCE_DIR}/tools/${dir}/CMakeLists.txt)
    add_subdirectory(${PROJECT_SOURCE_DIR}/tools/${dir} ${PROJECT_BINARY_DIR}/tools/${dir})
  endif()
endfunction()

# structkit_gtest(NAME SOURCES... LIBS libs...): one GoogleTest executable,
# registered with CTest case by case.
function(structkit_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/common)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "STRUCTKIT_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()

# structkit_fuzzer(NAME SOURCES... LIBS libs...): a libFuzzer target; the
# sanitize target runs every registered fuzzer for a bounded time.
function(structkit_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_property(GLOBAL APPEND PROPERTY STRUCTKIT_FUZZERS ${name})
endfunction()

# structkit_bench(NAME SOURCES... LIBS libs...): a Google Benchmark program.
function(structkit_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark)
endfunction()
