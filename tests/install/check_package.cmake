# Builds the Debian package into a scratch folder with cpack and checks it as Debian would:
# lintian without errors or warnings, and the copyright, changelog, manual pages and bash
# completion in their places.   -DCPACK=... -DBUILD_DIR=... -DSTAGE=... [-DGUI=ON]
find_program(LINTIAN lintian)
if(NOT LINTIAN)
  message(FATAL_ERROR "lintian is not installed (scripts/setup.sh installs it)")
endif()
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake -B ${STAGE}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
file(GLOB debs ${STAGE}/*.deb)
list(LENGTH debs count)
if(NOT rc EQUAL 0 OR NOT count EQUAL 1)
  message(FATAL_ERROR "cpack failed (${rc}):\n${out}")
endif()

execute_process(COMMAND dpkg-deb --contents ${debs} OUTPUT_VARIABLE contents RESULT_VARIABLE rc)
set(expected usr/share/doc/kesmora/copyright usr/share/doc/kesmora/changelog.gz
             usr/share/man/man1/kesmora-cli.1.gz usr/share/bash-completion/completions/kesmora-cli)
if(GUI)
  list(APPEND expected usr/share/man/man1/kesmora.1.gz)
endif()
foreach(f IN LISTS expected)
  if(NOT contents MATCHES " \\./${f}\n")
    message(FATAL_ERROR "the package has no ${f}:\n${contents}")
  endif()
endforeach()

# Informational and pedantic tags are shown; errors and warnings fail the test.
execute_process(COMMAND ${LINTIAN} --fail-on error,warning --display-info --pedantic ${debs}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message(STATUS "lintian:\n${out}${err}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "lintian refuses ${debs} (${rc})")
endif()
