# Static checks of the driver DLL, run as a CMake script:
#   cmake -DOBJDUMP=<objdump for i386 PE> -DLINKED_DLL=<DLL as linked, with symbols>
#         -DRELEASE_DLL=<stripped DLL that ships> -DVERSION=<x.y.z> -P CheckDll.cmake
# Fails unless the shipped DLL exports exactly the twelve entry points, imports only from the
# allowed system DLLs (the port libraries are bound at run time), every entry point removes exactly
# its argument block from the stack, and its version resource names the product and VERSION.
# The byte counts are read twice from the linked DLL: from the stdcall symbol Name@N that each
# export resolves to, and from the callee-pop immediate of every `ret` in that function's code.
cmake_minimum_required(VERSION 3.25)

foreach(required OBJDUMP LINKED_DLL RELEASE_DLL VERSION)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "CheckDll.cmake needs -D${required}=...")
  endif()
endforeach()

# Entry point and the bytes it removes, in the host's table order.
set(expected_exports
  DLL_GetInfo 4
  LCD_SetIOPropertys 56
  LCD_Init 0
  LCD_CleanUp 0
  LCD_IsReadyToReceive 0
  LCD_SendToController 4
  LCD_SendToMemory 4
  LCD_SendToGfxMemory 24
  LCD_SetOutputAddress 8
  LCD_SetCGRAMChar 68
  LCD_GetCGRAMChar 4
  LCD_Customize 20)

# Windows system DLLs that every installation has (compared without regard to case).
set(allowed_system_dlls kernel32.dll msvcrt.dll)
# The port libraries: the DLL binds them when a port operation needs them, so that it loads
# where they are missing; an import would make loading fail there.
set(run_time_libraries dlportio.dll ftd2xx.dll)

set(failures "")
macro(fail text)
  string(APPEND failures "  ${text}\n")
endmacro()

function(run_objdump out)
  execute_process(COMMAND ${OBJDUMP} ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output
                  ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} ${ARGN} failed: ${errors}")
  endif()
  set(${out} "${output}" PARENT_SCOPE)
endfunction()

# Reads the export table of `dll`: <prefix>_names (sorted) and <prefix>_rva_<name> for each.
function(read_exports dll prefix)
  run_objdump(headers -p ${dll})
  string(REGEX MATCH "Export Address Table -- Ordinal Base [0-9]+\n(.*)" address_part
         "${headers}")
  string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)+" name_part "${headers}")
  string(REGEX MATCHALL "\\[ *[0-9]+\\] \\+base\\[ *[0-9]+\\] +[0-9a-f]+ Export RVA"
         address_lines "${address_part}")
  foreach(line IN LISTS address_lines)
    string(REGEX REPLACE "\\[ *([0-9]+)\\].* ([0-9a-f]+) Export RVA" "\\1;\\2" fields "${line}")
    list(GET fields 0 index)
    list(GET fields 1 rva)
    set(rva_at_${index} ${rva})
  endforeach()
  string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [^\n]+" name_lines "${name_part}")
  set(names "")
  foreach(line IN LISTS name_lines)
    string(REGEX REPLACE "\t\\[ *([0-9]+)\\] (.+)" "\\1;\\2" fields "${line}")
    list(GET fields 0 index)
    list(GET fields 1 name)
    list(APPEND names ${name})
    set(${prefix}_rva_${name} "${rva_at_${index}}" PARENT_SCOPE)
  endforeach()
  list(SORT names)
  set(${prefix}_names "${names}" PARENT_SCOPE)
  string(REGEX MATCH "ImageBase[ \t]+([0-9a-fA-F]+)" image_base "${headers}")
  set(${prefix}_image_base "${CMAKE_MATCH_1}" PARENT_SCOPE)
  set(${prefix}_headers "${headers}" PARENT_SCOPE)
endfunction()

function(hex_to_number hex out)
  math(EXPR number "0x${hex}" OUTPUT_FORMAT DECIMAL)
  set(${out} ${number} PARENT_SCOPE)
endfunction()

# The distinct callee-pop counts of the returns that end `symbol`: its own `ret`s, those of
# its split-off cold part, and those of the functions it leaves by a tail jump.
# The code of one function as `objdump --disassemble=<function>` prints it, which runs on into
# the local functions that follow it: everything up to the next symbol's label is cut off.
function(disassemble function out)
  run_objdump(code -d --no-show-raw-insn --disassemble=${function} ${LINKED_DLL})
  string(REGEX MATCH "\n[0-9a-f]+ <[^>\n]+>:\n" first "${code}")
  if(first)
    string(FIND "${code}" "${first}" start)
    string(LENGTH "${first}" length)
    math(EXPR body "${start} + ${length}")
    string(SUBSTRING "${code}" ${body} -1 rest)
    string(REGEX MATCH "\n[0-9a-f]+ <[^>\n]+>:\n" next "${rest}")
    if(next)
      string(FIND "${rest}" "${next}" end)
      string(SUBSTRING "${rest}" 0 ${end} rest)
    endif()
    set(code "${first}${rest}")
  endif()
  set(${out} "${code}" PARENT_SCOPE)
endfunction()

function(bytes_popped_by symbol out)
  set(pending ${symbol})
  set(visited "")
  set(popped "")
  while(pending)
    list(POP_FRONT pending function)
    if(function IN_LIST visited)
      continue()
    endif()
    list(APPEND visited ${function})
    disassemble(${function} code)
    disassemble(${function}.cold cold_code)
    string(REGEX MATCHALL "\t(repz )?ret[l]? *(\\$0x[0-9a-f]+)?" returns "${code}${cold_code}")
    foreach(return IN LISTS returns)
      if(return MATCHES "\\$0x([0-9a-f]+)")
        hex_to_number(${CMAKE_MATCH_1} bytes)
      else()
        set(bytes 0)
      endif()
      list(APPEND popped ${bytes})
    endforeach()
    string(REGEX MATCHALL "\tj[a-z]+ +[0-9a-f]+ <[^>+]+>" jumps "${code}${cold_code}")
    foreach(jump IN LISTS jumps)
      string(REGEX MATCH "<([^>]+)>" _ "${jump}")
      string(REGEX REPLACE "\\.cold$" "" target "${CMAKE_MATCH_1}")
      list(APPEND pending ${target})
    endforeach()
  endwhile()
  list(REMOVE_DUPLICATES popped)
  set(${out} "${popped}" PARENT_SCOPE)
endfunction()

read_exports(${RELEASE_DLL} release)
read_exports(${LINKED_DLL} linked)

# Exports: exactly the twelve names, nothing else.
set(expected_names "")
set(remaining ${expected_exports})
while(remaining)
  list(POP_FRONT remaining name bytes)
  list(APPEND expected_names ${name})
  set(expected_bytes_${name} ${bytes})
endwhile()
set(sorted_expected ${expected_names})
list(SORT sorted_expected)
if(NOT release_names STREQUAL sorted_expected)
  fail("exports are [${release_names}], expected exactly [${sorted_expected}]")
endif()

# Imports: per DLL, the functions named.
string(REGEX MATCHALL "DLL Name: [^\n]+\n[^\n]*\n([^\n]+\n)*" import_blocks "${release_headers}")
set(import_summary "")
foreach(block IN LISTS import_blocks)
  string(REGEX MATCH "DLL Name: ([^\n]+)" _ "${block}")
  set(dll "${CMAKE_MATCH_1}")
  string(REGEX MATCHALL "\t[0-9a-f]+\t +[0-9]+  [^\n]+" entries "${block}")
  set(functions "")
  foreach(entry IN LISTS entries)
    string(REGEX REPLACE ".*[0-9]+  ([^\n ]+).*" "\\1" function "${entry}")
    list(APPEND functions ${function})
  endforeach()
  list(SORT functions)
  list(LENGTH functions count)
  string(APPEND import_summary "  ${dll}: ${count} functions\n")
  string(TOLOWER "${dll}" dll_lower)
  if(dll_lower IN_LIST run_time_libraries)
    fail("imports ${dll} at load time: the DLL would not load where it is missing")
  elseif(NOT dll_lower IN_LIST allowed_system_dlls)
    fail("imports from ${dll}, which is not an allowed system DLL")
  endif()
endforeach()
if(NOT import_blocks)
  fail("no import table found")
endif()

# Bytes removed, from the linked DLL's symbols and code.
run_objdump(symbols -t ${LINKED_DLL})
set(byte_summary "")
foreach(name IN LISTS expected_names)
  set(expected ${expected_bytes_${name}})
  if(NOT "${release_rva_${name}}" STREQUAL "${linked_rva_${name}}")
    fail("${name}: the shipped DLL's export (${release_rva_${name}}) is not the linked one's "
         "(${linked_rva_${name}})")
    continue()
  endif()
  string(REGEX MATCHALL " _${name}@[0-9]+\n" decorated "${symbols}")
  list(LENGTH decorated decorated_count)
  if(NOT decorated_count EQUAL 1)
    fail("${name}: expected one stdcall symbol _${name}@N, found ${decorated_count}")
    continue()
  endif()
  string(REGEX MATCH "@([0-9]+)" _ "${decorated}")
  set(decorated_bytes ${CMAKE_MATCH_1})
  set(symbol "_${name}@${decorated_bytes}")

  run_objdump(code -d --no-show-raw-insn --disassemble=${symbol} ${LINKED_DLL})
  string(REGEX MATCH "\n([0-9a-f]+) <${symbol}>:" _ "${code}")
  hex_to_number("${CMAKE_MATCH_1}" symbol_address)
  hex_to_number("${linked_image_base}" image_base)
  hex_to_number("${linked_rva_${name}}" export_rva)
  math(EXPR export_address "${image_base} + ${export_rva}")
  if(NOT symbol_address EQUAL export_address)
    fail("${name}: the export does not point to ${symbol}")
  endif()

  bytes_popped_by(${symbol} popped)
  string(APPEND byte_summary "  ${name}: @${decorated_bytes}, ret pops [${popped}]\n")
  if(NOT decorated_bytes EQUAL expected)
    fail("${name}: stdcall symbol ${symbol}, expected @${expected}")
  endif()
  if(NOT popped STREQUAL "${expected}")
    fail("${name}: its returns remove [${popped}] bytes, expected ${expected}")
  endif()
endforeach()

# The version resource (type 16 in the resource directory) and its strings, which are UTF-16,
# each name directly followed by its value. Any description will do ("").
set(version_names FileVersion ProductVersion ProductName OriginalFilename FileDescription)
set(version_values ${VERSION} ${VERSION} om6211 om6211.dll "")
set(version_type_entry "Resource Directory section:\n([^\n]*\n)*[0-9a-f]+   Entry: ID: 0x000010,")
if(NOT release_headers MATCHES "${version_type_entry}")
  fail("has no version resource")
else()
  file(STRINGS ${RELEASE_DLL} resource_strings ENCODING UTF-16LE REGEX "^[^][;]+$")
  list(APPEND resource_strings "")
  foreach(name expected IN ZIP_LISTS version_names version_values)
    list(FIND resource_strings ${name} at)
    math(EXPR at "${at} + 1")
    list(GET resource_strings ${at} value)
    if(at EQUAL 0 OR (expected STREQUAL "" AND value STREQUAL ""))
      fail("the version resource has no ${name}")
    elseif(NOT expected STREQUAL "" AND NOT value STREQUAL expected)
      fail("the version resource's ${name} is '${value}', expected '${expected}'")
    endif()
  endforeach()
endif()

get_filename_component(release_name ${RELEASE_DLL} NAME)
file(SIZE ${RELEASE_DLL} release_size)
message(STATUS "${release_name}: ${release_size} bytes\nImports:\n${import_summary}"
               "Bytes removed (expected ${expected_exports}):\n${byte_summary}")
if(failures)
  message(FATAL_ERROR "${release_name} fails its static checks:\n${failures}")
endif()
