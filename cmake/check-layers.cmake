# Fails when a file of a layer includes a header of a folder its layer may not use.
#   cmake -DSOURCE_DIR=<repository> -P cmake/check-layers.cmake
# Each layer may include from its own folder and from the folders listed for it; the
# folders outside the core (the stand-in host, the test host, tests) are off limits to all.
cmake_minimum_required(VERSION 3.20)

set(uses_platform "")
set(uses_settings platform)
set(uses_host platform)
set(uses_rules settings platform)
set(uses_seat rules settings platform)
set(uses_journal rules settings platform)
set(uses_command journal rules host platform)
set(uses_texts command journal rules settings platform)
set(uses_framework platform)
set(uses_controls framework platform)
set(uses_dialogs texts controls framework platform command journal rules settings)
set(uses_entry seat texts command journal dialogs controls framework rules settings host platform)
set(uses_workbench texts command journal rules settings platform)
set(layers platform framework settings host rules seat journal command texts controls dialogs entry
    workbench)

set(wrong "")
foreach(layer IN LISTS layers)
    file(GLOB files RELATIVE ${SOURCE_DIR}
         ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp ${SOURCE_DIR}/${layer}/*.rc)
    foreach(file IN LISTS files)
        file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line IN LISTS lines)
            string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" header "${line}")
            # A header named without a folder is found beside the including file.
            set(folder ${layer})
            if(header MATCHES "^([^/]*)/")
                set(folder ${CMAKE_MATCH_1})
            endif()
            if(NOT folder STREQUAL layer AND NOT folder IN_LIST uses_${layer})
                string(REPLACE ";" " " allowed "${layer} ${uses_${layer}}")
                string(APPEND wrong "\n  ${file}: \"${header}\" (${layer} may use: ${allowed})")
            endif()
        endforeach()
    endforeach()
endforeach()
if(wrong)
    message(FATAL_ERROR "Includes against the layers:${wrong}")
endif()
