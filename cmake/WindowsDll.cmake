# The shipped driver: om6211.dll for 32-bit Windows, exporting the twelve stdcall entry points
# by their undecorated names, importing nothing but system DLLs: the port libraries (DLPORTIO.DLL,
# FTD2XX.DLL) are bound at run time, so that the DLL loads where they are missing.

# The Windows back ends of the four platform seams, the FTDI back end through FTDI's D2XX driver
# and the settings key that chooses between the parallel port and an adapter.
add_library(om6211_windows_platform STATIC
  dll/ChosenPort.cpp
  host/Reconnector.cpp
  ports/ftdi/D2xxTransport.cpp
  ${OM6211_FTDI_SOURCES}
  ports/windows/DlPortIoPort.cpp
  ports/windows/KernelSleepPauses.cpp
  ports/windows/ModuleHostFolder.cpp
  ports/windows/ProfileSettingsLookup.cpp
)
target_link_libraries(om6211_windows_platform PUBLIC om6211_core PRIVATE om6211_warnings)
target_compile_definitions(om6211_windows_platform PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(om6211_exports PUBLIC om6211_windows_platform)

# The version resource: version, product name and description, as the file's properties show.
enable_language(RC)
configure_file(dll/om6211.rc.in ${CMAKE_CURRENT_BINARY_DIR}/om6211.rc @ONLY)

add_library(om6211 SHARED dll/Exports.cpp dll/PortSetting.cpp dll/om6211.def
                          ${CMAKE_CURRENT_BINARY_DIR}/om6211.rc)
target_link_libraries(om6211 PRIVATE om6211_core om6211_windows_platform om6211_warnings)
# The runtime goes inside the DLL: the host's machine has no MinGW runtime DLLs.
target_link_options(om6211 PRIVATE -static-libgcc -static-libstdc++ -static)
set_target_properties(om6211 PROPERTIES PREFIX "")

# The release folder: the DLL without symbols, the settings folder the driver reads, laid out as
# they go next to the host's executable, and the install notes. The zip holds the same files.
set(OM6211_RELEASE_DIR ${PROJECT_BINARY_DIR}/release)
set(OM6211_RELEASE_DLL ${OM6211_RELEASE_DIR}/om6211.dll)
configure_file(${PROJECT_SOURCE_DIR}/packaging/settings.ini
               ${OM6211_RELEASE_DIR}/controller/OM6211/settings.ini @ONLY NEWLINE_STYLE WIN32)
add_custom_command(TARGET om6211 POST_BUILD
  COMMAND ${CMAKE_STRIP} --strip-all -o ${OM6211_RELEASE_DLL} $<TARGET_FILE:om6211>
  COMMENT "Placing the stripped om6211.dll in ${OM6211_RELEASE_DIR}"
  VERBATIM)
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/INSTALL.txt
               ${OM6211_RELEASE_DIR}/INSTALL.txt @ONLY NEWLINE_STYLE WIN32)
install(FILES ${OM6211_RELEASE_DLL} ${OM6211_RELEASE_DIR}/INSTALL.txt DESTINATION .)
install(FILES ${OM6211_RELEASE_DIR}/controller/OM6211/settings.ini DESTINATION controller/OM6211)

# Static checks on the built DLL: its exports, its imports and the bytes each export removes.
add_subdirectory(${PROJECT_SOURCE_DIR}/tests/pe ${PROJECT_BINARY_DIR}/tests/pe)
# The DLL itself loaded and called by a Windows host under Wine, against the native host.
add_subdirectory(${PROJECT_SOURCE_DIR}/tests/windows ${PROJECT_BINARY_DIR}/tests/windows)
# The zip as CPack makes it: its file list and what is in its files.
add_subdirectory(${PROJECT_SOURCE_DIR}/tests/package ${PROJECT_BINARY_DIR}/tests/package)
