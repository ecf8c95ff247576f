# Windows builds (included from the top-level CMakeLists.txt when WIN32):
#  - the in-process COM server Ostrel.dll, with the type library compiled from
#    src/com/Ostrel.idl by widl and embedded as resource TYPELIB 1, linked
#    statically against the C and C++ runtimes so it imports system DLLs only;
#  - its tests, Windows programs run under Wine by tests/windows/run-wine-tests.

if(NOT MINGW)
  message(WARNING "Ostrel.dll is set up for MinGW-w64 (GCC, widl, windres): not built with this toolchain")
  return()
endif()
enable_language(RC)

# ------------------------------------------------------------------ IDL
if(NOT OSTREL_WIDL)
  set(OSTREL_WIDL widl)
endif()
find_program(OSTREL_WIDL_PROGRAM NAMES ${OSTREL_WIDL} widl REQUIRED NO_CMAKE_FIND_ROOT_PATH)
# Debian: libwine-dev's IDL files and Wine's stdole2.tlb; on Windows (MSYS2)
# the toolchain's own include folder and the system's stdole2.tlb.
get_filename_component(OSTREL_COMPILER_DIR ${CMAKE_CXX_COMPILER} DIRECTORY)
find_path(OSTREL_IDL_INCLUDE_DIR oaidl.idl
  PATHS /usr/include/wine/wine/windows /usr/include/wine/windows /usr/share/mingw-w64/include
        ${OSTREL_COMPILER_DIR}/../include
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_path(OSTREL_STDOLE2_DIR stdole2.tlb
  PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/i386-linux-gnu/wine/i386-windows
        /usr/lib/x86_64-linux-gnu/wine/i386-windows /usr/lib/wine/x86_64-windows /usr/lib/wine/i386-windows
        $ENV{SystemRoot}/System32
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT OSTREL_IDL_INCLUDE_DIR OR NOT OSTREL_STDOLE2_DIR)
  message(FATAL_ERROR "The system IDL files or stdole2.tlb were not found: run scripts/install-windows-deps")
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(OSTREL_WIDL_TARGET --win64)
else()
  set(OSTREL_WIDL_TARGET --win32)
endif()

set(OSTREL_COM_GENERATED ${CMAKE_BINARY_DIR}/com)
set(OSTREL_COM_IDL ${CMAKE_SOURCE_DIR}/src/com/Ostrel.idl)
file(MAKE_DIRECTORY ${OSTREL_COM_GENERATED})
add_custom_command(
  OUTPUT ${OSTREL_COM_GENERATED}/Ostrel.tlb ${OSTREL_COM_GENERATED}/Ostrel_h.h
  COMMAND ${OSTREL_WIDL_PROGRAM} ${OSTREL_WIDL_TARGET} -I${OSTREL_IDL_INCLUDE_DIR} -L${OSTREL_STDOLE2_DIR}
          -t -o ${OSTREL_COM_GENERATED}/Ostrel.tlb ${OSTREL_COM_IDL}
  COMMAND ${OSTREL_WIDL_PROGRAM} ${OSTREL_WIDL_TARGET} -I${OSTREL_IDL_INCLUDE_DIR}
          -h -o ${OSTREL_COM_GENERATED}/Ostrel_h.h ${OSTREL_COM_IDL}
  DEPENDS ${OSTREL_COM_IDL}
  COMMENT "Compiling the type library Ostrel.tlb"
  VERBATIM)
add_custom_target(ostrel_com_idl DEPENDS ${OSTREL_COM_GENERATED}/Ostrel.tlb ${OSTREL_COM_GENERATED}/Ostrel_h.h)

# ------------------------------------------------------------------ the server
# The platform layer's Windows side calls the registry, profile and message
# box functions.
target_link_libraries(ostrel PUBLIC advapi32 user32)

# Everything of the server but its entry points, so the tests can link it.
file(GLOB OSTREL_COM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/com/*.cpp)
list(REMOVE_ITEM OSTREL_COM_SOURCES ${CMAKE_SOURCE_DIR}/src/com/dll_entry_points.cpp)
add_library(ostrel_com_core STATIC ${OSTREL_COM_SOURCES})
add_dependencies(ostrel_com_core ostrel_com_idl)
target_include_directories(ostrel_com_core PUBLIC ${CMAKE_SOURCE_DIR}/src ${OSTREL_COM_GENERATED})
target_link_libraries(ostrel_com_core PUBLIC ostrel ole32 oleaut32 uuid advapi32 user32 gdi32 comctl32)

add_library(ostrel_com SHARED
  ${CMAKE_SOURCE_DIR}/src/com/dll_entry_points.cpp
  ${CMAKE_SOURCE_DIR}/src/com/Ostrel.rc
  ${CMAKE_SOURCE_DIR}/src/com/Ostrel.def)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/com/Ostrel.rc PROPERTIES
  OBJECT_DEPENDS ${OSTREL_COM_GENERATED}/Ostrel.tlb
  COMPILE_DEFINITIONS "OSTREL_VERSION_MAJOR=${PROJECT_VERSION_MAJOR};OSTREL_VERSION_MINOR=${PROJECT_VERSION_MINOR};OSTREL_VERSION_PATCH=${PROJECT_VERSION_PATCH}")
target_include_directories(ostrel_com PRIVATE ${OSTREL_COM_GENERATED})
target_link_libraries(ostrel_com PRIVATE ostrel_com_core)
set_target_properties(ostrel_com PROPERTIES
  OUTPUT_NAME Ostrel
  PREFIX ""
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
# No runtime DLLs beside Ostrel.dll: libgcc, libstdc++ and winpthread go in.
target_link_options(ostrel_com PRIVATE -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release,MinSizeRel>:-s>)
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
  # 32-bit stdcall names are decorated (DllCanUnloadNow@0): the .def names
  # bind to them (stdcall fixup) and are exported plain (kill-at).
  target_link_options(ostrel_com PRIVATE -Wl,--enable-stdcall-fixup -Wl,--kill-at)
endif()

# ------------------------------------------------------------------ tests
option(OSTREL_WINDOWS_TESTS "Build the COM server's tests (Windows programs run under Wine)" ON)
if(OSTREL_TESTS AND OSTREL_WINDOWS_TESTS)
  include(${CMAKE_CURRENT_LIST_DIR}/OstrelWindowsTests.cmake)
endif()
