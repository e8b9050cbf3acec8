# Writes OUTPUT compressed as `gzip -9n` (no file name, no time stamp: the same bytes on every
# build, as Debian wants for documentation), from the file INPUT, or from what PROGRAM prints when
# run with ARGUMENT (then also kept uncompressed as PLAIN):
#   cmake -DINPUT=<file> -DOUTPUT=<file.gz> -P Gzip.cmake
#   cmake -DPROGRAM=<program> -DARGUMENT=<argument> -DPLAIN=<file> -DOUTPUT=<file.gz> -P Gzip.cmake
cmake_minimum_required(VERSION 3.25)

get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})

if(DEFINED PROGRAM)
  execute_process(COMMAND ${PROGRAM} ${ARGUMENT} OUTPUT_FILE ${PLAIN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} ${ARGUMENT} failed (${result})")
  endif()
  set(INPUT ${PLAIN})
endif()
find_program(GZIP gzip REQUIRED)
execute_process(COMMAND ${GZIP} -9n -c ${INPUT} OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(REMOVE ${OUTPUT})
  message(FATAL_ERROR "gzip ${INPUT} failed (${result})")
endif()
