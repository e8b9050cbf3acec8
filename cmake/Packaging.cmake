# The packages CPack makes of the install rules: on the Windows build the zip a host
# application's user unpacks (om6211-<version>-win32.zip), elsewhere the Debian package
# (om6211_<version>_<arch>.deb).
set(CPACK_PACKAGE_NAME om6211)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(OM6211_PACKAGE_CONTACT "om6211 maintainers <om6211@example.org>" CACHE STRING
    "Maintainer of the packages: name <address>")
set(CPACK_PACKAGE_CONTACT "${OM6211_PACKAGE_CONTACT}")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
set(CPACK_PACKAGE_CHECKSUM SHA256)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME om6211-${PROJECT_VERSION}-win32)
  # The zip's root is the release folder's layout, not a folder named after the zip.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The libraries the binaries link (libpng, libstdc++, libc) as dpkg-shlibdeps finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS lcdproc)
  # The synopsis is CPACK_PACKAGE_DESCRIPTION_SUMMARY; this is the text below it.
  string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "The OM6211 controller drives the 84 x 48 pixel monochrome display module\n"
    "of a mobile phone. Wired to a PC parallel port, it becomes a small status\n"
    "display.\n"
    "\n"
    "This package holds the om6211 command, which draws text, images and host\n"
    "scripts on the display or on a virtual panel that rebuilds the picture\n"
    "from the port writes alone (written as PNG or to the terminal), and the\n"
    "LCDd driver module om6211.so, with which the LCDproc server and its\n"
    "clients put their screens on the display.")
  # Strip the binaries, and make the package's folders 0755 whatever the umask.
  set(CPACK_STRIP_FILES ON)
  set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
      OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()

include(CPack)
