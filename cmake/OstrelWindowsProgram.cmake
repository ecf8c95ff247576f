# ostrel.exe: the command-line program of tools/ for Windows (MinGW-w64).
# Cairo is not part of the Windows build: plot is left out
# (tools/view/drawing_plot.cpp and cairo_surface.cpp) and
# tools/view/drawing_plot_win32.cpp says so instead. CLI11 is header-only:
# the toolchain searches only the MinGW root, so its headers are reached
# through a folder of their own in the build (not the whole of /usr/include,
# whose C headers are the host's).

find_path(OSTREL_CLI11_INCLUDE_DIR CLI/CLI.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT OSTREL_CLI11_INCLUDE_DIR)
  message(WARNING "CLI11 (libcli11-dev) not found: ostrel.exe is not built")
  return()
endif()
set(OSTREL_CLI11_LINK_DIR ${CMAKE_BINARY_DIR}/cli11-include)
file(MAKE_DIRECTORY ${OSTREL_CLI11_LINK_DIR})
file(CREATE_LINK ${OSTREL_CLI11_INCLUDE_DIR}/CLI ${OSTREL_CLI11_LINK_DIR}/CLI SYMBOLIC)

file(GLOB_RECURSE OSTREL_CLI_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/*.cpp)
list(FILTER OSTREL_CLI_SOURCES EXCLUDE REGEX "/tools/view/(drawing_plot|cairo_surface)\\.cpp$")
add_executable(ostrel_cli ${OSTREL_CLI_SOURCES})
target_link_libraries(ostrel_cli PRIVATE ostrel)
target_include_directories(ostrel_cli PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR})
target_include_directories(ostrel_cli SYSTEM PRIVATE ${OSTREL_CLI11_LINK_DIR})
# GCC 12's false -Wrestrict on string concatenation (see the top-level CMakeLists.txt).
target_compile_options(ostrel_cli PRIVATE ${OSTREL_TEST_WARNING_FLAGS})
set_target_properties(ostrel_cli PROPERTIES OUTPUT_NAME ostrel RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# One file to copy: the C and C++ runtimes and winpthread linked in.
target_link_options(ostrel_cli PRIVATE -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release,MinSizeRel>:-s>)
