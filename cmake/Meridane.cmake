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

# meridane_core_library(NAME SOURCES <files...> DEPS <targets...>)
# A Qt-free static library of the listed sources (relative to src/).
function(meridane_core_library name)
  cmake_parse_arguments(LIB "" "" "SOURCES;DEPS" ${ARGN})
  list(TRANSFORM LIB_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/src/)
  add_library(${name} STATIC ${LIB_SOURCES})
  target_compile_options(${name} PRIVATE ${MERIDANE_WARNINGS})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${LIB_DEPS})
endfunction()

# Tests run in English whatever the developer's desktop speaks: the C locale makes the programs
# they start ignore LANGUAGE too.
# MERIDANE_BOOK empty: a developer's own book (a clinic server, say) is never a test's.
set(MERIDANE_TEST_ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;MERIDANE_BOOK=")

# meridane_test(NAME SOURCES <files...> DEPS <targets...>)
# One GoogleTest binary of the listed sources (relative to tests/), run by ctest as one test.
function(meridane_test name)
  cmake_parse_arguments(T "" "" "SOURCES;DEPS" ${ARGN})
  list(TRANSFORM T_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/tests/)
  set(srcs ${T_SOURCES})
  add_executable(${name} ${srcs})
  target_compile_options(${name} PRIVATE ${MERIDANE_WARNINGS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${T_DEPS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    MERIDANE_CLI_PATH="$<TARGET_FILE:meridane-cli>"
    MERIDANE_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  if(name STREQUAL "test_cli")
    add_dependencies(${name} meridane-cli)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${MERIDANE_TEST_ENVIRONMENT}" TIMEOUT 600)
endfunction()

# meridane_server_test(NAME): the test binary once more on a book on the PostgreSQL server that
# the test command starts (MERIDANE_TEST_SERVER); skipped when no server was started.
function(meridane_server_test name)
  add_test(NAME ${name}_server
           COMMAND sh -c "[ -n \"$MERIDANE_TEST_SERVER\" ] || exit 77; exec \"$0\""
                   $<TARGET_FILE:${name}>)
  set_tests_properties(${name}_server PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 600
    ENVIRONMENT "${MERIDANE_TEST_ENVIRONMENT};MERIDANE_TEST_BOOK=server")
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

# meridane_note_texts(TEST): the test's programs note every text they look up in one folder
# (MERIDANE_TEXT_LOG), emptied before and checked against the catalogue template after by
# the text_lookups_seen test.
set(MERIDANE_TEXT_LOG_DIR ${CMAKE_BINARY_DIR}/texts-seen)
function(meridane_note_texts name)
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT "MERIDANE_TEXT_LOG=${MERIDANE_TEXT_LOG_DIR}")
  set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED texts_log_empty)
  set_property(TEST ${name} APPEND PROPERTY FIXTURES_SETUP texts_log_written)
endfunction()
