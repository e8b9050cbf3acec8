# One Wine case: lays out a host folder (host, DLL, stand-in DLPORTIO.DLL, optional settings
# file in controller/OM6211), runs the host under Wine there, and compares with what the native
# om6211 prints and traces for the same script and folder; or, with FAILURE, expects the host to
# fail with a message matching it. With ADAPTER (the stand-in FTD2XX.DLL, its environment in
# ADAPTER_ENV) the settings name the port PORT, and what reached the adapter is decoded by PIXELS
# and compared with the native run's glass. See CMakeLists.txt beside this file for the variables.
cmake_minimum_required(VERSION 3.25)

function(fail text)
  message(FATAL_ERROR "${text}")
endfunction()

if(NOT FOLDER)
  set(FOLDER host)
endif()
set(host_dir ${WORK}/${FOLDER})
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${host_dir})
# SCRIPT may be "FIRST|MORE": the session of FIRST continued by the calls of MORE (a file
# beside it), under FIRST's name.
string(REPLACE "|" ";" script_parts "${SCRIPT}")
list(POP_FRONT script_parts SCRIPT)
get_filename_component(script_dir ${SCRIPT} DIRECTORY)
get_filename_component(script_name ${SCRIPT} NAME)
get_filename_component(dll_name ${DLL} NAME)
file(GLOB bitmaps ${script_dir}/*.bitmap)
file(COPY ${HOST} ${DLL} ${STANDIN} ${ADAPTER} ${SCRIPT} ${bitmaps} DESTINATION ${host_dir})
foreach(part IN LISTS script_parts)
  file(READ ${script_dir}/${part} calls)
  file(APPEND ${host_dir}/${script_name} "${calls}")
endforeach()
set(settings "")
if(SETTINGS)
  file(READ ${SETTINGS} settings)
endif()
if(PORT)
  # The key goes first in the section the driver reads; the native host reads no Port.
  if(settings MATCHES "\\[init\\]\n")
    string(REPLACE "[init]\n" "[init]\nPort=${PORT}\n" settings "${settings}")
  else()
    string(PREPEND settings "[init]\nPort=${PORT}\n")
  endif()
endif()
if(SETTINGS OR PORT)
  file(WRITE ${host_dir}/controller/OM6211/settings.ini "${settings}")
endif()

set(wine_environment WINEPREFIX=${PREFIX} WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=)
if(ADAPTER)
  separate_arguments(adapter_environment UNIX_COMMAND "${ADAPTER_ENV}")
  list(APPEND wine_environment OM6211_FAKE_FTDI_LOG=${host_dir}/adapter.log
       ${adapter_environment})
endif()
if(LOCALE)
  # Wine takes the ANSI code page and the encoding of file names from the C library's locale.
  execute_process(COMMAND locale -a OUTPUT_VARIABLE locales)
  string(REGEX REPLACE "\\.UTF-8$" ".utf8" locale_name "${LOCALE}")
  if(NOT locales MATCHES "(^|\n)${locale_name}(\n|$)")
    message("om6211-wine: skipped: the ${LOCALE} locale is not generated (scripts/cross "
            "generates it)")
    return()
  endif()
  list(APPEND wine_environment LANG=${LOCALE} LC_ALL=${LOCALE})
endif()
set(host_options --dll ${dll_name})
if(WAIT_BEFORE)
  list(APPEND host_options --wait-before ${WAIT_BEFORE})
endif()
if(CODE_PAGE)
  list(APPEND host_options --code-page ${CODE_PAGE})
endif()
get_filename_component(host_name ${HOST} NAME)
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY ${wine_environment}
          ${WINE} ${host_name} ${host_options} ${script_name} wine.trace
  WORKING_DIRECTORY ${host_dir} RESULT_VARIABLE wine_status OUTPUT_VARIABLE wine_output
  ERROR_VARIABLE wine_errors TIMEOUT 240)

# Under qemu-user, Wine's own background processes of the session (device drivers) sometimes
# crash; the emulator says so on the standard error they share with the host.
string(REGEX REPLACE "qemu: uncaught target signal [^\n]*\n" "" wine_errors "${wine_errors}")

if(wine_status EQUAL 77)
  message("om6211-wine: skipped: ${wine_output}(the ${LOCALE} locale gives Wine no such "
          "ANSI code page; is it generated?)")
  return()
endif()
if(FAILURE)
  if(wine_status EQUAL 0 OR NOT "${wine_output}${wine_errors}" MATCHES "${FAILURE}")
    fail("expected the host to fail with '${FAILURE}'; exit ${wine_status}, it printed:\n"
         "${wine_output}${wine_errors}")
  endif()
  message(STATUS "the host failed as it should: ${wine_errors}")
  return()
endif()

if(NOT EXISTS ${NATIVE})
  fail("no native om6211 at ${NATIVE} to compare with: build the default preset first, or set "
       "OM6211_NATIVE_TOOL")
endif()
execute_process(
  COMMAND ${NATIVE} run ${script_name} --trace native.trace --host-dir ${host_dir}
  WORKING_DIRECTORY ${host_dir} RESULT_VARIABLE native_status OUTPUT_VARIABLE native_output
  ERROR_VARIABLE native_errors TIMEOUT 120)

set(differences "")
set(compared status output errors)
if(EXPECTED_ERRORS)
  # The native run has no adapter that goes away: the calls that fail under Wine are checked
  # against the case's expectation instead.
  set(compared output)
  if(NOT wine_errors MATCHES "${EXPECTED_ERRORS}")
    string(APPEND differences "the failures under Wine do not match '${EXPECTED_ERRORS}':\n"
           "${wine_errors}\n")
  endif()
endif()
foreach(part IN LISTS compared)
  if(NOT "${wine_${part}}" STREQUAL "${native_${part}}")
    string(APPEND differences "${part} under Wine:\n${wine_${part}}\nnative:\n${native_${part}}\n")
  endif()
endforeach()
if(ADAPTER)
  if(NOT EXISTS ${PIXELS})
    fail("no decoder at ${PIXELS} for the adapter's record: build om6211_ftdi_log_pixels in the "
         "default preset first, or set OM6211_NATIVE_FTDI_PIXELS")
  endif()
  # What reached the adapter's pins, decoded, against the native run's glass on the virtual
  # panel; a blank glass would prove nothing.
  execute_process(COMMAND ${PIXELS} ${host_dir}/adapter.log RESULT_VARIABLE decoded
                  OUTPUT_VARIABLE wine_glass ERROR_VARIABLE decoder_problems)
  execute_process(COMMAND ${NATIVE} decode native.trace --pixels WORKING_DIRECTORY ${host_dir}
                  OUTPUT_VARIABLE native_glass)
  if(NOT decoded EQUAL 0)
    string(APPEND differences "the module could not take what reached the adapter "
           "(${host_dir}/adapter.log):\n${decoder_problems}\n")
  elseif(NOT wine_glass STREQUAL native_glass)
    string(APPEND differences "the glass under Wine:\n${wine_glass}\nnative:\n${native_glass}\n")
  elseif(NOT wine_glass MATCHES "#")
    string(APPEND differences "the glass is blank\n")
  endif()
  if(differences)
    fail("the Wine run differs from the native one:\n${differences}")
  endif()
  file(STRINGS ${host_dir}/adapter.log writes REGEX "^write ")
  list(LENGTH writes write_count)
  message(STATUS "Wine and native agree: exit ${wine_status}, the same glass from ${write_count} "
                 "adapter writes")
  # COST "LINE:MOST ...": what the call of each script line cost on the USB (a transfer is at
  # most 4096 bytes of one FT_Write), and at most MOST transfers out.
  separate_arguments(costs UNIX_COMMAND "${COST}")
  if(costs)
    file(STRINGS ${host_dir}/adapter.log events REGEX "^(# [0-9]+:|write |read )")
    set(line 0)
    foreach(event IN LISTS events)
      if(event MATCHES "^# ([0-9]+):")
        set(line ${CMAKE_MATCH_1})
      elseif(event MATCHES "^write (.*)")
        string(LENGTH "${CMAKE_MATCH_1}" digits)
        math(EXPR bytes "${digits} / 2")
        math(EXPR bytes_${line} "0${bytes_${line}} + ${bytes}")
        math(EXPR out_${line} "0${out_${line}} + (${bytes} + 4095) / 4096")
      else()
        math(EXPR in_${line} "0${in_${line}} + 1")
      endif()
    endforeach()
    foreach(cost IN LISTS costs)
      string(REPLACE ":" ";" cost "${cost}")
      list(GET cost 0 line)
      list(GET cost 1 most)
      math(EXPR out "0${out_${line}}")
      math(EXPR in "0${in_${line}}")
      math(EXPR bytes "0${bytes_${line}}")
      message(STATUS "line ${line}: ${out} transfers out, ${in} read-backs, ${bytes} bytes")
      if(out GREATER most)
        fail("line ${line} took ${out} transfers out, more than ${most}")
      endif()
    endforeach()
  endif()
  return()
endif()
file(SHA256 ${host_dir}/wine.trace wine_trace)
file(SHA256 ${host_dir}/native.trace native_trace)
if(NOT wine_trace STREQUAL native_trace)
  string(APPEND differences "the traces differ: ${host_dir}/wine.trace, native.trace\n")
endif()
if(GOLDEN)
  # The golden trace has the operations alone; the annotations carry none.
  file(STRINGS ${host_dir}/wine.trace operations REGEX "^[^#]")
  list(JOIN operations "\n" operations)
  file(WRITE ${host_dir}/wine.operations.trace "${operations}\n")
  file(SHA256 ${host_dir}/wine.operations.trace wine_operations)
  file(SHA256 ${GOLDEN} golden)
  if(NOT wine_operations STREQUAL golden)
    string(APPEND differences "the operations differ from ${GOLDEN}: "
           "${host_dir}/wine.operations.trace\n")
  endif()
endif()
if(differences)
  fail("the Wine run differs from the native one:\n${differences}")
endif()
file(STRINGS ${host_dir}/wine.trace lines)
list(LENGTH lines line_count)
message(STATUS "Wine and native agree: exit ${wine_status}, ${line_count} trace lines")
