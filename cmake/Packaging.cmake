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

  # One Debian package per component: om6211 (the tool and the LCDd module), the C library's
  # runtime and development packages, and the Python package over the library. Each has its
  # own synopsis, the first line of its description, so none is prepended.
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")  # CPack's own
  set(CPACK_DEBIAN_OM6211_PACKAGE_NAME om6211)
  set(CPACK_DEBIAN_OM6211_DESCRIPTION "${PROJECT_DESCRIPTION}\n${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
  set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
  set(CPACK_DEBIAN_LIB_PACKAGE_NAME libom6211-1)
  set(CPACK_DEBIAN_LIB_PACKAGE_SECTION libs)
  set(CPACK_DEBIAN_LIB_PACKAGE_RECOMMENDS "")
  # The library cache is updated by the ldconfig trigger.
  set(CPACK_DEBIAN_LIB_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/libom6211-1/triggers)
  string(CONCAT CPACK_DEBIAN_LIB_DESCRIPTION
    "C library for the OM6211 84 x 48 display module\n"
    "The library libom6211.so.1 drives the 84 x 48 pixel display module of a\n"
    "mobile phone on a parallel port, GPIO lines, an SPI device or an FTDI USB\n"
    "adapter, or on a virtual panel that rebuilds the picture from the port\n"
    "writes alone, so that programs can test themselves without the hardware.")
  set(CPACK_DEBIAN_DEV_PACKAGE_NAME libom6211-dev)
  set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
  set(CPACK_DEBIAN_DEV_PACKAGE_DEPENDS "libom6211-1 (= ${PROJECT_VERSION})")
  set(CPACK_DEBIAN_DEV_PACKAGE_RECOMMENDS "")
  string(CONCAT CPACK_DEBIAN_DEV_DESCRIPTION
    "C library for the OM6211 84 x 48 display module (development files)\n"
    "The header <om6211/om6211.h>, the link to libom6211.so, the pkg-config\n"
    "file om6211 and the manual pages of the C library that drives the OM6211\n"
    "display module.")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-om6211)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_ARCHITECTURE all)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_SHLIBDEPS OFF)
  set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
      "python3:any, python3-pil, libom6211-1 (>= ${PROJECT_VERSION})")
  set(CPACK_DEBIAN_PYTHON_PACKAGE_RECOMMENDS python3-luma.core)
  string(CONCAT CPACK_DEBIAN_PYTHON_DESCRIPTION
    "OM6211 84 x 48 display module from Python\n"
    "The Python package om6211 draws Pillow images on the OM6211 display module\n"
    "on every port the C library libom6211.so.1 drives, and offers the display\n"
    "as a luma.core device; programs test themselves on the virtual panel.")
endif()

include(CPack)
