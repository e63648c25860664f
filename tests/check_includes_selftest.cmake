# SPDX-License-Identifier: MIT
cmake_minimum_required(VERSION 3.16)
# The include check on small trees of its own, each with one fault planted (or none): it must
# fail on each with the fault named, and pass the clean one.
# Usage: cmake -DCHECK=check_includes.cmake -DWORK=DIR -P check_includes_selftest.cmake

# Each case: its name, the words the check must print ("" for a pass), then file=include pairs
# ("tidyup/a.cpp=tidyup/b.h"; a file with no include: "tidyup/a.h=").
set(cases
    "clean|files in 4 modules|tidyup/a.h=|tidyup/a.cpp=tidyup/a.h|tidyup/names/b.h=tidyup/a.h|tidyup/names/b.cpp=tidyup/names/b.h|ui/w.h=tidyup/names/b.h|app/main.cpp=ui/w.h"
    "header and source|a circle of modules: tidyup/a -> tidyup/b -> tidyup/a|tidyup/a.h=|tidyup/a.cpp=tidyup/b.h|tidyup/b.h=tidyup/a.h"
    "three folders|a circle of modules: tidyup/files/c -> tidyup/names/a -> tidyup/record/b -> tidyup/files/c|tidyup/names/a.cpp=tidyup/record/b.h|tidyup/record/b.cpp=tidyup/files/c.h|tidyup/files/c.h=|tidyup/files/c.cpp=tidyup/names/a.h|tidyup/names/a.h="
    "core in a folder includes the window|tidyup/names/a.cpp: ui/w.h is a layer above|tidyup/names/a.cpp=ui/w.h|ui/w.h="
    "command line includes the window|app/cli.cpp: ui/w.h is a layer above|app/cli.cpp=ui/w.h|ui/w.h="
    "no folder named|tidyup/a.cpp: b.h does not name its folder|tidyup/a.cpp=b.h|tidyup/b.h=")
set(failed "")
foreach(case ${cases})
    string(REPLACE "|" ";" parts "${case}")
    list(POP_FRONT parts name expected)
    set(tree "${WORK}/${name}")
    file(REMOVE_RECURSE "${tree}")
    foreach(pair ${parts})
        string(REGEX REPLACE "=.*" "" path "${pair}")
        string(REGEX REPLACE "^[^=]*=" "" included "${pair}")
        set(text "// planted\n")
        if(included)
            set(text "${text}#include \"${included}\"\n")
        endif()
        file(APPEND "${tree}/${path}" "${text}")
    endforeach()
    execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${tree} -P ${CHECK}
                    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    string(REGEX REPLACE "[ \n]+" " " out "${out}")
    string(FIND "${out}" "${expected}" at)
    if(name STREQUAL "clean")
        set(right "${status}" EQUAL 0)
    else()
        set(right NOT "${status}" EQUAL 0)
    endif()
    if(NOT (${right} AND at GREATER -1))
        list(APPEND failed "${name}: status ${status}, expected \"${expected}\", printed: ${out}")
    endif()
endforeach()
if(failed)
    list(JOIN failed "\n" text)
    message(FATAL_ERROR "${text}")
endif()
list(LENGTH cases count)
message("the include check decided ${count} planted trees rightly")
