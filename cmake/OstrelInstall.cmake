# Installation (cmake --install BUILD [--prefix P]) and the Debian package
# (cpack -G DEB), included from the top-level CMakeLists.txt on POSIX:
#   bin/ostrel                               the command-line program
#   lib/libostrel.so.1.0.0 (SONAME .so.1)    the shared library, lib/libostrel.a the static one
#   include/ostrel/*.h                       the public headers
#   lib/cmake/Ostrel/                        find_package(Ostrel): Ostrel::ostrel, Ostrel::ostrel_static
#   lib/pkgconfig/ostrel.pc                  pkg-config
#   share/man/man1/ostrel.1                  the man page (doc/ostrel.1.in)
include(CMakePackageConfigHelpers)

set(OSTREL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Ostrel)

install(TARGETS ostrel_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ostrel ostrel_shared EXPORT OstrelTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
# What a program using the library needs, and no more: the conversion class,
# its error, the host's prompter and progress, the C interface.
install(FILES
  ${CMAKE_SOURCE_DIR}/include/ostrel/clsDWG.h
  ${CMAKE_SOURCE_DIR}/include/ostrel/errors.h
  ${CMAKE_SOURCE_DIR}/include/ostrel/export.h
  ${CMAKE_SOURCE_DIR}/include/ostrel/host.h
  ${CMAKE_SOURCE_DIR}/include/ostrel/ostrel.h
  ${CMAKE_SOURCE_DIR}/include/ostrel/report.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/ostrel)

# ------------------------------------------------------------------ CMake package
install(EXPORT OstrelTargets NAMESPACE Ostrel:: DESTINATION ${OSTREL_CMAKE_DIR})
configure_package_config_file(${CMAKE_SOURCE_DIR}/cmake/OstrelConfig.cmake.in
  ${CMAKE_BINARY_DIR}/OstrelConfig.cmake INSTALL_DESTINATION ${OSTREL_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/OstrelConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/OstrelConfig.cmake ${CMAKE_BINARY_DIR}/OstrelConfigVersion.cmake
  DESTINATION ${OSTREL_CMAKE_DIR})

# ------------------------------------------------------------------ pkg-config
# Written at install time, so that the paths in it follow --prefix (and
# CPack's /usr) rather than the prefix the build was configured with.
# The first pass fills in the version and the folders and leaves the prefix.
set(OSTREL_PC_PREFIX "@OSTREL_PC_PREFIX@")
configure_file(${CMAKE_SOURCE_DIR}/cmake/ostrel.pc.in ${CMAKE_BINARY_DIR}/ostrel.pc.in @ONLY)
install(CODE "
  set(OSTREL_PC_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
  configure_file(\"${CMAKE_BINARY_DIR}/ostrel.pc.in\"
    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig/ostrel.pc\" @ONLY)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig/ostrel.pc\")
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig/ostrel.pc\")")

# ------------------------------------------------------------------ man page
configure_file(${CMAKE_SOURCE_DIR}/doc/ostrel.1.in ${CMAKE_BINARY_DIR}/ostrel.1 @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/ostrel.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# ------------------------------------------------------------------ Debian package
set(CPACK_PACKAGE_NAME ostrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Ostrel")
set(CPACK_PACKAGE_CONTACT "Ostrel maintainers <ostrel@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Converts survey text exports into DXF and DWG drawings")
set(CPACK_PACKAGE_DESCRIPTION "Ostrel turns a survey package's drawing export (comma-separated records with a companion symbol file) into a DXF or DWG drawing of a configured release, with an optional paper-space sheet. The package holds the ostrel program, the library (shared and static), its C and C++ headers, a CMake package and a pkg-config file.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
# The dependencies are those of the program and the shared library, as
# dpkg-shlibdeps finds them (libc6, libgcc-s1, libstdc++6).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
include(CPack)

# ------------------------------------------------------------------ checks
if(OSTREL_TESTS)
  # Both install the build (one into a prefix, one through the package).
  add_test(NAME InstalledLibraryServesConsumers
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install/check-install ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
  add_test(NAME DebianPackageInstallsAndRuns
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install/check-deb ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
  set_tests_properties(InstalledLibraryServesConsumers DebianPackageInstallsAndRuns PROPERTIES
    RESOURCE_LOCK ostrel_install TIMEOUT 600
    ENVIRONMENT "CMAKE_COMMAND=${CMAKE_COMMAND};CPACK_COMMAND=${CMAKE_CPACK_COMMAND};CXX=${CMAKE_CXX_COMPILER}")
endif()
