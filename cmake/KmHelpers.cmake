# Shared helpers for the project's targets.

find_package(PkgConfig REQUIRED)
find_package(GTest REQUIRED)
include(GoogleTest)

# km_test_suite(NAME SOURCES... LIBS ...): one GoogleTest binary per subsystem,
# registered test by test with CTest.
function(km_test_suite name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    KM_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    KM_BINARY_DIR="${PROJECT_BINARY_DIR}"
    KM_CORPUS_DIR="${PROJECT_SOURCE_DIR}/../shared/corpus"
    KM_TOOLS_DIR="${PROJECT_SOURCE_DIR}/../shared/tools")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# km_fuzzer(NAME SOURCE LIBS ...): a libFuzzer target, built only in the sanitizer tree.
function(km_fuzzer name source)
  if(NOT KM_SANITIZE)
    return()
  endif()
  add_executable(${name} ${source})
  target_link_libraries(${name} PRIVATE ${ARGN})
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/fuzz)
endfunction()
