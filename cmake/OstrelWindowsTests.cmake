# Tests of the Windows build. They are Windows programs and scripts run under
# Wine by tests/windows/run-wine-tests, which keeps one Wine prefix inside the
# build folder. The CTest fixture registers Ostrel.dll first (regsvr32) and
# unregisters it last; a 32-bit build is skipped where Wine cannot run
# 32-bit programs.

set(OSTREL_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources, built for the target")
if(NOT EXISTS ${OSTREL_GTEST_SOURCE_DIR}/CMakeLists.txt)
  message(WARNING "GoogleTest sources not found in ${OSTREL_GTEST_SOURCE_DIR}: the Windows tests are not built")
  return()
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${OSTREL_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(OSTREL_WINDOWS_TESTS_DIR ${CMAKE_SOURCE_DIR}/tests/windows)

# White-box tests of the server's parts and the platform layer's Windows side.
add_executable(com_internals_test
  ${OSTREL_WINDOWS_TESTS_DIR}/com_internals_test.cpp
  ${OSTREL_WINDOWS_TESTS_DIR}/platform_win32_test.cpp
  ${OSTREL_WINDOWS_TESTS_DIR}/locked_rewrite_win32_test.cpp)
target_link_libraries(com_internals_test PRIVATE ostrel_com_core gtest_main)

# A late-bound client: CoCreateInstance by ProgID and IDispatch::Invoke with
# the arguments VB6 and VBScript pass. It links the library as well, to know
# the message an in-process conversion gives for the same failing call.
add_executable(com_client_test ${OSTREL_WINDOWS_TESTS_DIR}/com_client_test.cpp)
target_link_libraries(com_client_test PRIVATE ostrel_com_core gtest)

# The trim form's window, watched from the client's thread (a display needed).
add_executable(com_window_test ${OSTREL_WINDOWS_TESTS_DIR}/com_window_test.cpp)
target_link_libraries(com_window_test PRIVATE ostrel_com_core gtest)

foreach(test com_internals_test com_client_test com_window_test)
  set_target_properties(${test} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_link_options(${test} PRIVATE -static -static-libgcc -static-libstdc++)
  add_dependencies(${test} ostrel_com)
endforeach()

enable_testing()
set(OSTREL_WINE_RUNNER ${OSTREL_WINDOWS_TESTS_DIR}/run-wine-tests)
set(OSTREL_WINE_STEPS setup internals client vbscript window teardown)
foreach(step ${OSTREL_WINE_STEPS})
  add_test(NAME wine_${step} COMMAND ${OSTREL_WINE_RUNNER} ${CMAKE_BINARY_DIR} ${step})
  set_tests_properties(wine_${step} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300 RESOURCE_LOCK wine_prefix)
endforeach()
set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine_registered)
set_tests_properties(wine_internals wine_client wine_vbscript wine_window PROPERTIES FIXTURES_REQUIRED wine_registered)
set_tests_properties(wine_teardown PROPERTIES FIXTURES_CLEANUP wine_registered)

# The DLL's exports and imports, read from the file itself (no Wine needed).
add_test(NAME dll_exports_and_imports
  COMMAND ${OSTREL_WINDOWS_TESTS_DIR}/check-dll-exports ${CMAKE_OBJDUMP} $<TARGET_FILE:ostrel_com>)
