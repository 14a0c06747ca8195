# Installs the build into a scratch prefix and checks what a desktop needs of it: the menu entry
# and the metainfo pass Debian's validators, the icon and binary they name are there, and the
# installed program seeds ~/.local/share/kesmora on its first start.
# -DBUILD_DIR=... -DSTAGE=... [-DGUI=ON]
file(REMOVE_RECURSE ${STAGE})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${STAGE}/usr
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc})")
endif()

set(id org.kesmora.Kesmora)
set(share ${STAGE}/usr/share)
set(expected ${STAGE}/usr/bin/kesmora-cli ${share}/kesmora/planets_used.txt ${share}/kesmora/OPTIONS.MST)
if(GUI)
  list(APPEND expected ${STAGE}/usr/bin/kesmora ${share}/applications/${id}.desktop
       ${share}/icons/hicolor/scalable/apps/${id}.svg ${share}/metainfo/${id}.metainfo.xml)
endif()
foreach(f IN LISTS expected)
  if(NOT EXISTS ${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

if(GUI)
  foreach(check "desktop-file-validate;${share}/applications/${id}.desktop"
                "appstreamcli;validate;--no-net;${share}/metainfo/${id}.metainfo.xml")
    execute_process(COMMAND ${check} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    # desktop-file-validate prints nothing when the file is sound; hints are faults too.
    if(NOT rc EQUAL 0 OR (check MATCHES "^desktop-file-validate" AND NOT out STREQUAL ""))
      message(FATAL_ERROR "${check}:\n${out}")
    endif()
  endforeach()
  file(STRINGS ${share}/applications/${id}.desktop exec REGEX "^Exec=")
  file(STRINGS ${share}/applications/${id}.desktop icon REGEX "^Icon=")
  if(NOT exec STREQUAL "Exec=kesmora" OR NOT icon STREQUAL "Icon=${id}")
    message(FATAL_ERROR "the menu entry runs '${exec}' with '${icon}'")
  endif()
endif()

# Both programs tell their version on a console, without a display (the window program once
# aborted there).
set(programs kesmora-cli)
if(GUI)
  list(APPEND programs kesmora)
endif()
foreach(program IN LISTS programs)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
                          ${STAGE}/usr/bin/${program} --version
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT out MATCHES "^(Kesmora|kesmora-cli) [0-9]+[.][0-9]+\n$")
    message(FATAL_ERROR "${program} --version without a display (${rc}): ${out}${err}")
  endif()
endforeach()

# First start of the installed copy: the program directory is made from the shipped files.
set(home ${STAGE}/home)
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=KESMORA_HOME --unset=XDG_DATA_HOME HOME=${home}
                        ${STAGE}/usr/bin/kesmora-cli chart --natal Example --transit Example
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT out MATCHES "Sun")
  message(FATAL_ERROR "the installed kesmora-cli failed (${rc}): ${out}${err}")
endif()
foreach(f planets_used.txt NAMES.FIL OPTIONS.OPT TIPOFDAY.TXT)
  if(NOT EXISTS ${home}/.local/share/kesmora/${f})
    message(FATAL_ERROR "first start did not seed ${f} into ~/.local/share/kesmora")
  endif()
endforeach()
