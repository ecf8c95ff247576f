# The Windows Installer package, built on Linux with wixl (Debian's wixl):
#   cmake --build build-win64 --target msi   ->  build-win64/Ostrel-<version>-x64.msi
#   (build-win32: Ostrel-<version>-x86.msi)
# from cmake/msi/Ostrel.wxs. The class registration goes in as the MSI's own
# registry rows, generated at configure time from src/com/class_registry_rows.h,
# the table DllRegisterServer writes.

find_program(OSTREL_WIXL wixl NO_CMAKE_FIND_ROOT_PATH)
if(NOT OSTREL_WIXL)
  message(STATUS "wixl not found (scripts/install-windows-deps installs it): no msi target")
  return()
endif()

set(OSTREL_MSI_HELP_LINK "https://ostrel.example/help" CACHE STRING "The help link of the MSI's Add/Remove Programs entry")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(OSTREL_MSI_ARCH x64)
  set(OSTREL_MSI_IDS Win64=yes ProgramFilesFolder=ProgramFiles64Folder
      UpgradeCode={4F0C4B7E-2D39-4E58-9A57-3E6B0D1C8A41}
      ComServerGuid={B1C2F4D5-6A7B-4C8D-9E0F-1A2B3C4D5E61} ProgramGuid={C2D3E5F6-7B8C-4D9E-8F10-2B3C4D5E6F72})
  set(OSTREL_MSI_SYSKIND win64)
else()
  set(OSTREL_MSI_ARCH x86)
  set(OSTREL_MSI_IDS Win64=no ProgramFilesFolder=ProgramFilesFolder
      UpgradeCode={7A1D5C2B-8E4F-4B3A-9C6D-5F2E1B0A9D83}
      ComServerGuid={D3E4F607-8C9D-4EAF-9021-3C4D5E6F7083} ProgramGuid={E4F50718-9DAE-4FB0-A132-4D5E6F708194})
  set(OSTREL_MSI_SYSKIND win32)
endif()

# registry.wxi: one RegistryValue per row of the table, the markers turned
# into the MSI's own references.
set(OSTREL_REGISTRY_ROWS ${CMAKE_SOURCE_DIR}/src/com/class_registry_rows.h)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${OSTREL_REGISTRY_ROWS})
file(STRINGS ${OSTREL_REGISTRY_ROWS} rows REGEX "^ *\\{L\"[^\"]*\", L\"[^\"]*\", L\"[^\"]*\"\\},$")
set(wxi "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- Generated from src/com/class_registry_rows.h by cmake/OstrelMsi.cmake. -->\n<Include xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n")
foreach(row IN LISTS rows)
  string(REGEX REPLACE "^ *\\{L\"([^\"]*)\", L\"([^\"]*)\", L\"([^\"]*)\"\\},$" "\\1;\\2;\\3" row "${row}")
  string(REPLACE "\\\\" "\\" row "${row}")
  string(REPLACE "<module>" "[#OstrelDll]" row "${row}")
  string(REPLACE "<folder>" "[INSTALLDIR]" row "${row}")
  string(REPLACE "<syskind>" "${OSTREL_MSI_SYSKIND}" row "${row}")
  string(REPLACE "&" "&amp;" row "${row}")
  list(GET row 0 key)
  list(GET row 1 name)
  list(GET row 2 value)
  if(name STREQUAL "")
    string(APPEND wxi "  <RegistryValue Root=\"HKCR\" Key=\"${key}\" Type=\"string\" Value=\"${value}\"/>\n")
  else()
    string(APPEND wxi "  <RegistryValue Root=\"HKCR\" Key=\"${key}\" Name=\"${name}\" Type=\"string\" Value=\"${value}\"/>\n")
  endif()
endforeach()
string(APPEND wxi "</Include>\n")
list(LENGTH rows row_count)
if(row_count LESS 10)
  message(FATAL_ERROR "Only ${row_count} registry rows read from ${OSTREL_REGISTRY_ROWS}: is its table still one row per line?")
endif()
set(OSTREL_MSI_DIR ${CMAKE_BINARY_DIR}/msi)
file(CONFIGURE OUTPUT ${OSTREL_MSI_DIR}/registry.wxi CONTENT "${wxi}" @ONLY)

# wixl's arguments but the version and the output, which the msi target adds
# (wixl runs in the folder of the files: it takes sources relative to it);
# the upgrade test (tests/windows/run-msi-tests) reads them from
# msi/wixl.args to build a higher version of the same package.
set(OSTREL_WIXL_ARGS -a ${OSTREL_MSI_ARCH} -I ${OSTREL_MSI_DIR} -D Arch=${OSTREL_MSI_ARCH}
    -D HelpLink=${OSTREL_MSI_HELP_LINK})
foreach(id IN LISTS OSTREL_MSI_IDS)
  list(APPEND OSTREL_WIXL_ARGS -D ${id})
endforeach()
list(APPEND OSTREL_WIXL_ARGS ${CMAKE_SOURCE_DIR}/cmake/msi/Ostrel.wxs)
list(JOIN OSTREL_WIXL_ARGS "\n" args_text)
file(CONFIGURE OUTPUT ${OSTREL_MSI_DIR}/wixl.args CONTENT "${OSTREL_WIXL}\n${args_text}\n" @ONLY)

set(OSTREL_MSI ${CMAKE_BINARY_DIR}/Ostrel-${PROJECT_VERSION}-${OSTREL_MSI_ARCH}.msi)
add_custom_command(
  OUTPUT ${OSTREL_MSI}
  COMMAND ${OSTREL_WIXL} ${OSTREL_WIXL_ARGS} -D Version=${PROJECT_VERSION} -o ${OSTREL_MSI}
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/msi/Ostrel.wxs ${OSTREL_MSI_DIR}/registry.wxi ostrel_com ostrel_cli
          ${CMAKE_BINARY_DIR}/com/Ostrel.tlb
  COMMENT "Building ${OSTREL_MSI}"
  VERBATIM)
add_custom_target(msi DEPENDS ${OSTREL_MSI})

# ------------------------------------------------------------------ tests
# tests/windows/run-msi-tests: the tables of either package; under Wine (the
# 64-bit one) install, the VBScript host, ostrel.exe against the Linux
# program's drawings, upgrade and removal, in a prefix of their own
# (msi-prefix, made fresh by msi_install).
if(OSTREL_TESTS)
  enable_testing()
  set(OSTREL_LINUX_PROGRAM ${CMAKE_SOURCE_DIR}/build/ostrel CACHE FILEPATH
      "The Linux build's ostrel, whose drawings ostrel.exe's must equal byte for byte")
  set(steps tables install vbscript program upgrade uninstall)
  set(previous "")
  foreach(step IN LISTS steps)
    add_test(NAME msi_${step} COMMAND ${CMAKE_SOURCE_DIR}/tests/windows/run-msi-tests
             ${CMAKE_BINARY_DIR} ${step} ${OSTREL_LINUX_PROGRAM})
    set_tests_properties(msi_${step} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300 RESOURCE_LOCK msi_prefix
                         DEPENDS "${previous}")
    set(previous msi_${step})
  endforeach()
  set_tests_properties(msi_install PROPERTIES FIXTURES_SETUP msi_installed)
  set_tests_properties(msi_vbscript msi_program msi_upgrade PROPERTIES FIXTURES_REQUIRED msi_installed)
  set_tests_properties(msi_uninstall PROPERTIES FIXTURES_CLEANUP msi_installed)
endif()
