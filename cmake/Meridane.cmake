# Helpers shared by every folder's CMakeLists.txt.

set(MERIDANE_WARNINGS -Wall -Wextra)
# GCC 12 at -O3 (Release) warns of overlapping copies inside std::string's own concatenation,
# which cannot overlap (GCC bug 105651); the warning says nothing about our code there.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  list(APPEND MERIDANE_WARNINGS -Wno-restrict)
endif()
if(MERIDANE_WERROR)
  list(APPEND MERIDANE_WARNINGS -Werror)
endif()

# meridane_core_library(NAME DIR DEPS...)
# A Qt-free static library of every .cpp below DIR, leaving out gui/ and fuzz/ folders. An empty folder gives an interface library so the tree always configures.
function(meridane_core_library name dir)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "/(gui|fuzz)/")
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_compile_options(${name} PRIVATE ${MERIDANE_WARNINGS})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARGN})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARGN})
  endif()
endfunction()

# meridane_test(NAME DIR DEPS...)
# One GoogleTest binary of every .cpp in DIR, run by ctest as one test.
function(meridane_test name dir)
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_compile_options(${name} PRIVATE ${MERIDANE_WARNINGS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    MERIDANE_CLI_PATH="$<TARGET_FILE:meridane-cli>"
    MERIDANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(name STREQUAL "test_cli")
    add_dependencies(${name} meridane-cli)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 600)
endfunction()

# meridane_fuzz_target(NAME SOURCE DEPS...)
# A libFuzzer binary (clang only). The libraries it links are instrumented when the build is
# configured with -fsanitize=fuzzer-no-link,address,undefined, as scripts/fuzz.sh does.
function(meridane_fuzz_target name source)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(STATUS "${name} needs clang++; skipped")
    return()
  endif()
  add_executable(${name} ${source})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(${name} PRIVATE -g -O1 -fsanitize=fuzzer,address,undefined
    -fno-sanitize-recover=undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${ARGN})
endfunction()
