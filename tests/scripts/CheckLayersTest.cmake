# Runs the layer checker on scratch copies of src/, each with one file added that includes a
# folder its own may not use, and fails unless every run fails naming that file.
#   cmake -DPYTHON=<python3> -DCHECKER=<scripts/check-layers> -DSRC=<src> -DSCRATCH=<dir>
#         -P CheckLayersTest.cmake
cmake_minimum_required(VERSION 3.25)

# Each case: the file added, and the header it includes.
set(cases
    "link/ReachesUp.h|driver/Driver.h"            # a layer above
    "ports/portable/ReachesUp.cpp|ports/linux/SystemCalls.h"  # a back end family beside
    "lcdproc/ReachesUp.cpp|cli/Tool.h"            # a face beside
    "capi/ReachesUp.cpp|ports/portable/NoSettings.h"  # a face past what the faces share
    "module/ReachesUp.h|seams/Bus.h")             # the facts depend on nothing

set(failures "")
foreach(entry IN LISTS cases)
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 added)
  list(GET parts 1 included)
  file(REMOVE_RECURSE ${SCRATCH})
  file(COPY ${SRC}/ DESTINATION ${SCRATCH})
  file(WRITE ${SCRATCH}/${added} "#pragma once\n\n#include \"${included}\"\n")
  execute_process(COMMAND ${PYTHON} ${CHECKER} ${SCRATCH} RESULT_VARIABLE result
                  OUTPUT_QUIET ERROR_VARIABLE errors)
  if(result EQUAL 0)
    string(APPEND failures "  ${added} including ${included} passed\n")
  elseif(NOT errors MATCHES "${added}: includes ${included}")
    string(APPEND failures "  ${added} including ${included}: the checker did not name it:\n${errors}\n")
  endif()
endforeach()
file(REMOVE_RECURSE ${SCRATCH})
if(failures)
  message(FATAL_ERROR "check-layers missed what it must refuse:\n${failures}")
endif()
