# SPDX-License-Identifier: MIT
# Runs lupdate over the sources into copies of the catalogues (the English one holds only plural
# forms), then lrelease on them: a text that is new, or not translated yet, fails the check.
file(REMOVE_RECURSE "${WORK}")
foreach(ts Quorvix_ja_JP Quorvix_en)
    file(COPY "${SOURCE_DIR}/translations/${ts}.ts" DESTINATION "${WORK}")
    set(only)
    if(ts STREQUAL Quorvix_en)
        set(only -pluralonly)
    endif()
    execute_process(COMMAND ${LUPDATE} -silent -no-obsolete ${only} -I ${SOURCE_DIR} ${SOURCE_DIR}/ui ${SOURCE_DIR}/tidyup
                            ${SOURCE_DIR}/app -ts ${WORK}/${ts}.ts RESULT_VARIABLE result)
    execute_process(COMMAND ${LRELEASE} ${WORK}/${ts}.ts OUTPUT_VARIABLE out RESULT_VARIABLE result2)
    message("${out}")
    if(NOT result EQUAL 0 OR NOT result2 EQUAL 0 OR NOT out MATCHES " 0 unfinished" OR out MATCHES "untranslated")
        message(FATAL_ERROR "the catalogue ${ts} is not complete")
    endif()
endforeach()
