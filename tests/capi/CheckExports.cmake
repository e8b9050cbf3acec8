# Fails unless the library LIBRARY exports the om6211_ calls and nothing else, each in the
# version node OM6211_1, with the soname libom6211.so.1.
find_program(READELF readelf REQUIRED)
execute_process(COMMAND ${READELF} --dyn-syms --wide -d ${LIBRARY} OUTPUT_VARIABLE dump
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "readelf ${LIBRARY} failed")
endif()
if(NOT dump MATCHES "\\(SONAME\\)[^\n]*\\[libom6211\\.so\\.1\\]")
  message(FATAL_ERROR "${LIBRARY}: the soname is not libom6211.so.1")
endif()
string(REPLACE "\n" ";" lines "${dump}")
set(exported 0)
foreach(line IN LISTS lines)
  # Defined global symbols: "Num: Value Size Type Bind Vis Ndx Name" with Ndx a section number.
  if(line MATCHES "^ *[0-9]+: [0-9a-f]+ +[0-9]+ +[A-Z]+ +(GLOBAL|WEAK) +[A-Z]+ +[0-9]+ +([^ ]+)$")
    set(name ${CMAKE_MATCH_2})
    if(NOT name MATCHES "^om6211_[a-z_]+@@OM6211_1$")
      message(FATAL_ERROR "${LIBRARY} exports ${name}")
    endif()
    math(EXPR exported "${exported} + 1")
  endif()
endforeach()
if(NOT exported EQUAL 14)  # the calls of om6211.h
  message(FATAL_ERROR "${LIBRARY} exports ${exported} om6211_ calls, not the 14 of om6211.h")
endif()
