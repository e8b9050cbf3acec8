# Makes the Windows zip with CPack in WORK_DIR and fails unless it holds exactly the DLL, the
# settings file in its folder and the install notes; the DLL is the release folder's, the
# settings file documents every key the driver reads (found in DRIVER_SOURCES), and the text
# files have Windows line ends.
#   cmake -DCPACK=<cpack> -DCPACK_CONFIG=<CPackConfig.cmake> -DWORK_DIR=<dir> -DVERSION=<x.y.z>
#         -DRELEASE_DIR=<release folder> -DDRIVER_SOURCES=<src/driver|src/dll> -P CheckZip.cmake
cmake_minimum_required(VERSION 3.25)

set(failures "")
macro(fail text)
  string(APPEND failures "  ${text}\n")
endmacro()

file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CPACK} -G ZIP --config ${CPACK_CONFIG} -B ${WORK_DIR}
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
set(zip ${WORK_DIR}/om6211-${VERSION}-win32.zip)
if(NOT result EQUAL 0 OR NOT EXISTS ${zip})
  message(FATAL_ERROR "cpack made no ${zip}:\n${output}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${zip} OUTPUT_VARIABLE listing)
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" entries "${listing}")
list(FILTER entries EXCLUDE REGEX "/$")
list(SORT entries)
set(expected INSTALL.txt controller/OM6211/settings.ini om6211.dll)
if(NOT entries STREQUAL expected)
  fail("holds [${entries}], expected exactly [${expected}]")
endif()

set(unpacked ${WORK_DIR}/unpacked)
file(MAKE_DIRECTORY ${unpacked})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${unpacked})

file(SHA256 ${RELEASE_DIR}/om6211.dll release_hash)
file(SHA256 ${unpacked}/om6211.dll zipped_hash)
if(NOT zipped_hash STREQUAL release_hash)
  fail("om6211.dll is not the release folder's stripped DLL")
endif()

foreach(text INSTALL.txt controller/OM6211/settings.ini)
  # Byte by byte ("0d 0a "): file(READ) as text would drop the CRs.
  file(READ ${unpacked}/${text} hex HEX)
  string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
  string(REGEX MATCHALL "0a " line_ends "${bytes}")
  string(REGEX MATCHALL "0d 0a " windows_line_ends "${bytes}")
  list(LENGTH line_ends line_count)
  list(LENGTH windows_line_ends windows_line_count)
  if(NOT line_count EQUAL windows_line_count)
    fail("${text} has line ends without CR (Notepad shows them as one line)")
  endif()
endforeach()

# Every key the driver looks up in its settings section appears as a KEY= line.
# The folders are separated by "|"; the DLL face reads the key Port.
string(REPLACE "|" ";" driver_folders "${DRIVER_SOURCES}")
set(driver_sources "")
foreach(folder IN LISTS driver_folders)
  file(GLOB folder_sources ${folder}/*.cpp)
  list(APPEND driver_sources ${folder_sources})
endforeach()
set(keys "")
foreach(source IN LISTS driver_sources)
  file(READ ${source} code)
  string(REGEX MATCHALL "SettingsSection,[ \n]*\"[^\"]+\"" lookups "${code}")
  foreach(lookup IN LISTS lookups)
    string(REGEX REPLACE ".*\"([^\"]+)\"" "\\1" key "${lookup}")
    list(APPEND keys "${key}")
  endforeach()
endforeach()
list(LENGTH keys key_count)
if(key_count LESS 2)
  fail("found ${key_count} settings keys in ${DRIVER_SOURCES}, expected at least TextFont and "
       "Text+GraphicsDisplayMode: has the lookup call changed shape?")
endif()
file(READ ${unpacked}/controller/OM6211/settings.ini settings)
foreach(key IN LISTS keys)
  string(FIND "\n${settings}" "\n${key}=" at)
  if(at EQUAL -1)
    fail("settings.ini has no line ${key}=... for a key the driver reads")
  endif()
endforeach()

file(SIZE ${zip} zip_size)
message(STATUS "om6211-${VERSION}-win32.zip: ${zip_size} bytes, [${entries}], keys [${keys}]")
if(failures)
  message(FATAL_ERROR "om6211-${VERSION}-win32.zip:\n${failures}")
endif()
