# What `cmake --install` puts where on Linux and other Unix systems: the om6211 command and its
# manual page, the LCDd driver module in LCDproc's module folder, the udev rules, and the
# documentation. (The
# Windows build installs its release folder; see WindowsDll.cmake.) Included at the end of the
# top-level list file, when every target exists.
include(GNUInstallDirs)
# What is installed without a component of its own goes into the om6211 package.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME om6211)

# Debian's lcdproc keeps its modules in /usr/lib/<multiarch>/lcdproc, LCDd's default DriverPath.
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(default_module_dir lib/${CMAKE_LIBRARY_ARCHITECTURE}/lcdproc)
else()
  set(default_module_dir ${CMAKE_INSTALL_LIBDIR}/lcdproc)
endif()
set(OM6211_INSTALL_LCDPROCDIR ${default_module_dir} CACHE STRING
    "Folder for the LCDd driver module om6211.so, relative to the install prefix")

set(OM6211_DOC_BUILD_DIR ${PROJECT_BINARY_DIR}/doc)

if(TARGET om6211_cli)
  install(TARGETS om6211_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

  # The manual page om6211(1), written by the tool from its own command tables.
  set(man_page ${OM6211_DOC_BUILD_DIR}/om6211.1)
  add_custom_command(
    OUTPUT ${man_page} ${man_page}.gz
    COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:om6211_cli> -DARGUMENT=--man
            -DPLAIN=${man_page} -DOUTPUT=${man_page}.gz -P ${PROJECT_SOURCE_DIR}/cmake/Gzip.cmake
    DEPENDS om6211_cli ${PROJECT_SOURCE_DIR}/cmake/Gzip.cmake
    COMMENT "Writing the manual page om6211.1"
    VERBATIM)
  add_custom_target(om6211_man_page ALL DEPENDS ${man_page}.gz)
  install(FILES ${man_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

if(TARGET om6211_lcdd)
  install(TARGETS om6211_lcdd LIBRARY DESTINATION ${OM6211_INSTALL_LCDPROCDIR})
endif()

if(NOT WIN32)
  # The changelog, in Debian's format; its newest entry must be this version's.
  set(changelog ${PROJECT_SOURCE_DIR}/packaging/changelog)
  file(STRINGS ${changelog} newest_entry LIMIT_COUNT 1)
  if(NOT newest_entry MATCHES "^om6211 \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog starts with '${newest_entry}': add an entry for "
                        "version ${PROJECT_VERSION} at its top")
  endif()
  add_custom_command(
    OUTPUT ${OM6211_DOC_BUILD_DIR}/changelog.gz
    COMMAND ${CMAKE_COMMAND} -DINPUT=${changelog} -DOUTPUT=${OM6211_DOC_BUILD_DIR}/changelog.gz
            -P ${PROJECT_SOURCE_DIR}/cmake/Gzip.cmake
    DEPENDS ${changelog} ${PROJECT_SOURCE_DIR}/cmake/Gzip.cmake
    COMMENT "Compressing the changelog"
    VERBATIM)
  add_custom_target(om6211_changelog ALL DEPENDS ${OM6211_DOC_BUILD_DIR}/changelog.gz)

  # The pages of docs/ lie beside the installed README, so its links lose their "docs/".
  file(READ ${PROJECT_SOURCE_DIR}/README.md readme)
  string(REPLACE "](docs/" "](" readme "${readme}")
  file(WRITE ${OM6211_DOC_BUILD_DIR}/README.md "${readme}")
  install(FILES ${OM6211_DOC_BUILD_DIR}/README.md packaging/copyright
          ${OM6211_DOC_BUILD_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
  # The guides, hardware notes, troubleshooting page and design notes, with their pictures,
  # folder by folder. Messages may name a page of it with an anchor
  # (/usr/share/doc/om6211/troubleshooting.md#ANCHOR), so the pages stay uncompressed.
  install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR}
          FILES_MATCHING PATTERN "*.md" PATTERN "*.png")
  # The udev rules that give users the parallel port, GPIO chips, SPI devices and FTDI
  # adapters. udev reads packages' rules from lib/udev/rules.d below /usr (recent udev also
  # below /usr/local), never from a multiarch library folder, hence not CMAKE_INSTALL_LIBDIR;
  # below any other prefix they are copied to /etc/udev/rules.d by hand.
  file(GLOB udev_rules ${PROJECT_SOURCE_DIR}/packaging/udev/*.rules)
  install(FILES ${udev_rules} DESTINATION lib/udev/rules.d)
  if(EXISTS ${PROJECT_SOURCE_DIR}/packaging/lcdproc/om6211.conf)
    install(FILES packaging/lcdproc/om6211.conf DESTINATION ${CMAKE_INSTALL_DOCDIR})
  endif()
endif()
