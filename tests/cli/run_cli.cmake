# Runs kesmora-cli in a fresh program directory and checks its exit code and, when an
# expected file is named, its standard output byte for byte.
#   -DCLI=... -DHOME_DIR=... -DARGS="a|b|c" -DEXPECT_CODE=0 [-DEXPECTED=file] [-DACTUAL=file]
#   [-DBYTES=1: compare the raw bytes, CR LF line ends included; needs ACTUAL]
#   [-DSAME_AS="d|e|f": standard output the same as that of these arguments]
file(REMOVE_RECURSE ${HOME_DIR})
string(REPLACE "|" ";" ARGS "${ARGS}")
if(BYTES)
  # An output file keeps carriage returns, which an output variable would drop.
  execute_process(COMMAND ${CLI} ${ARGS} --home ${HOME_DIR}
    RESULT_VARIABLE code OUTPUT_FILE ${ACTUAL} ERROR_VARIABLE err)
  file(READ ${ACTUAL} out)
else()
  execute_process(COMMAND ${CLI} ${ARGS} --home ${HOME_DIR}
    RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
endif()
if(NOT code STREQUAL EXPECT_CODE)
  message(FATAL_ERROR "exit code ${code}, expected ${EXPECT_CODE}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(DEFINED EXPECTED_ERROR AND NOT err MATCHES "${EXPECTED_ERROR}")
  message(FATAL_ERROR "stderr does not say '${EXPECTED_ERROR}':\n${err}")
endif()
if(DEFINED EXPECTED)
  if(BYTES)
    file(READ ${ACTUAL} actual HEX)
    file(READ ${EXPECTED} expected HEX)
  else()
    file(WRITE ${ACTUAL} "${out}")
    file(READ ${EXPECTED} expected)
    set(actual "${out}")
  endif()
  if(NOT actual STREQUAL expected)
    execute_process(COMMAND diff -u ${EXPECTED} ${ACTUAL})
    message(FATAL_ERROR "output differs from ${EXPECTED} (actual output kept in ${ACTUAL})")
  endif()
endif()
if(DEFINED SAME_AS)
  string(REPLACE "|" ";" SAME_AS "${SAME_AS}")
  execute_process(COMMAND ${CLI} ${SAME_AS} --home ${HOME_DIR} RESULT_VARIABLE code2 OUTPUT_VARIABLE out2)
  if(NOT out STREQUAL out2)
    message(FATAL_ERROR "output differs from that of ${SAME_AS} (exit ${code2}):\n${out}\n---\n${out2}")
  endif()
endif()
