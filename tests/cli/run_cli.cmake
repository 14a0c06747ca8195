# Runs kesmora-cli in a fresh program directory and checks its exit code and, when an
# expected file is named, its standard output byte for byte.
#   -DCLI=... -DHOME_DIR=... -DARGS="a|b|c" -DEXPECT_CODE=0 [-DEXPECTED=file] [-DACTUAL=file]
#   [-DBYTES=1: compare the raw bytes, CR LF line ends included; needs ACTUAL]
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
