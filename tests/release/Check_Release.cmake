# Makes the release package, unpacks it into an empty folder and runs the tool there:
# it must find its code tables and workbook beside itself.
#   cmake -DBUILD=build -DWORK=scratch -P Check_Release.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/package" "${WORK}/unpacked")
execute_process(COMMAND cpack --config "${BUILD}/CPackConfig.cmake" -B "${WORK}/package"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cpack failed: ${out}${err}")
endif()
file(GLOB archives "${WORK}/package/*.tar.gz")
list(LENGTH archives n)
if(NOT n EQUAL 1)
  message(FATAL_ERROR "expected one .tar.gz in ${WORK}/package, found ${n}")
endif()
file(ARCHIVE_EXTRACT INPUT "${archives}" DESTINATION "${WORK}/unpacked")
file(GLOB folders "${WORK}/unpacked/*")
list(GET folders 0 folder)
foreach(f Sifa_Soft sifa-query Refs.dat Sifa_table.xls Sifa_soft_manual_V062_def_En.pdf
          Sifa_soft_manuel_v062_def_Fr.pdf)
  if(NOT EXISTS "${folder}/${f}")
    message(FATAL_ERROR "the release lacks ${f}")
  endif()
endforeach()
# The tool is started from elsewhere: it finds its files in its own folder.
execute_process(COMMAND "${folder}/sifa-query" -c "!Year:Empty" --count WORKING_DIRECTORY "${WORK}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out STREQUAL "400 Records found\n")
  message(FATAL_ERROR "sifa-query in the release answered ${rc}: ${out}${err}")
endif()
file(REMOVE_RECURSE "${WORK}")
