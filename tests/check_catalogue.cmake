# SPDX-License-Identifier: MIT
# Runs lupdate over the sources into a copy of the Japanese catalogue, then lrelease on it: a
# text that is new, or not translated yet, fails the check.
file(REMOVE_RECURSE "${WORK}")
file(COPY "${SOURCE_DIR}/translations/Quorvix_ja_JP.ts" DESTINATION "${WORK}")
execute_process(COMMAND lupdate -silent -no-obsolete ${SOURCE_DIR}/ui ${SOURCE_DIR}/tidyup
                        ${SOURCE_DIR}/app -ts ${WORK}/Quorvix_ja_JP.ts RESULT_VARIABLE result)
execute_process(COMMAND lrelease ${WORK}/Quorvix_ja_JP.ts OUTPUT_VARIABLE out RESULT_VARIABLE result2)
message("${out}")
if(NOT result EQUAL 0 OR NOT result2 EQUAL 0 OR NOT out MATCHES " 0 unfinished" OR out MATCHES "untranslated")
    message(FATAL_ERROR "the catalogue is not complete")
endif()
