# Fails when a file includes a header of a layer it must not use. From the bottom: workbook,
# model, search, winsupport (which needs the model, not the search), then views and output
# side by side (never each other), then shell. The command-line tool uses the engine and,
# of output, the list printer (and the report's title, kept on the export dialog) and the
# workbook export.
# Each layer's sources and its tests (tests/<layer>) are held to the same rule.
#   cmake -DSOURCE=<project folder> -P Check_Layers.cmake
cmake_minimum_required(VERSION 3.22)
set(layers workbook model search winsupport views output shell cli)
set(may_workbook workbook)
set(may_model workbook model)
set(may_search workbook model search)
set(may_winsupport workbook model winsupport)
set(may_views workbook model search winsupport views)
set(may_output workbook model search winsupport output)
set(may_shell workbook model search winsupport views output shell)
set(may_cli workbook model search cli output/List_Printer.h output/Print_Device.h output/Export.h
            output/Workbook_Export.h)

set(problems "")
set(checked 0)
foreach(layer IN LISTS layers)
  file(GLOB files ${SOURCE}/src/${layer}/*.cpp ${SOURCE}/src/${layer}/*.h
                  ${SOURCE}/tests/${layer}/*.cpp ${SOURCE}/tests/${layer}/*.h)
  foreach(f IN LISTS files)
    math(EXPR checked "${checked} + 1")
    file(STRINGS ${f} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[A-Za-z_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"(([A-Za-z_]+)/[^\"]*)\".*" "\\1;\\2" parts "${line}")
      list(GET parts 0 header)
      list(GET parts 1 used)
      if(NOT used IN_LIST layers OR used IN_LIST may_${layer} OR header IN_LIST may_${layer})
        continue()
      endif()
      file(RELATIVE_PATH name ${SOURCE} ${f})
      list(APPEND problems "${name} (${layer}) includes ${header}")
    endforeach()
  endforeach()
endforeach()

if(checked LESS 100)
  message(FATAL_ERROR "only ${checked} files found under ${SOURCE}: wrong folder?")
endif()
if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "includes that run up or across the layers:\n  ${text}")
endif()
message(STATUS "${checked} files: every include stays within its layer's reach")
