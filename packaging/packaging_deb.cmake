# The Debian package "qordriver", built with "cpack -G DEB" in a configured build folder.
set(CPACK_PACKAGE_NAME qordriver)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "QorDriver developers")
set(CPACK_PACKAGE_CONTACT "QorDriver developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "fiscal register driver: executes ticket files on fiscal cash registers")
set(CPACK_PACKAGE_DESCRIPTION
  "Point-of-sale software drops plain-text ticket files into one folder per fiscal cash register:\n"
  "the driver translates and executes them on the register and leaves reply files beside them.\n"
  "Includes a register emulator, the TillDemo and TillJobIt clients and a systemd user service.")
string(CONCAT CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Installing into DESTDIR keeps CMAKE_INSTALL_PREFIX the real /usr, which the user unit names.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The Qt 6 runtime: found by dpkg-shlibdeps from the programs when it is there, else named here.
find_program(QOR_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QOR_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6core6, libqt6gui6, libqt6widgets6, libc6, libstdc++6")
endif()
# The desktop windows of QorDriver and TillDemo need a Qt platform plugin; Qt's own texts in their
# languages come with its translations.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-qpa-plugins, qt6-translations-l10n")

include(CPack)
