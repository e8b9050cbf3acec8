# Creates the Wine prefix the cases run in, once: headless, without the optional Mono and Gecko.
#   cmake -DWINE=<wine> -DPREFIX=<folder> -P WinePrefix.cmake
cmake_minimum_required(VERSION 3.25)
if(EXISTS ${PREFIX}/system.reg AND EXISTS ${PREFIX}/.update-timestamp)
  return()
endif()
get_filename_component(wine_folder ${WINE} DIRECTORY)
find_program(wineboot wineboot HINTS ${wine_folder} REQUIRED)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY WINEPREFIX=${PREFIX}
          WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= ${wineboot} --init
  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 540)
if(NOT result EQUAL 0 OR NOT EXISTS ${PREFIX}/system.reg)
  message(FATAL_ERROR "wineboot could not create ${PREFIX} (${result}):\n${output}")
endif()
