# Makes the manual pages and the bash completion from the programs' own --help, so that
# neither can tell of an option the programs do not have.
#   -DCLI=kesmora-cli [-DGUI=kesmora] -DHELP2MAN=help2man -DSOURCE=dist -DOUT=dir
# Writes OUT/kesmora-cli.1.gz, OUT/kesmora.1.gz (with GUI) and OUT/kesmora-cli (completion).

# The changelog's last entry is that of the version the programs tell.
execute_process(COMMAND ${CLI} --version OUTPUT_VARIABLE version RESULT_VARIABLE rc)
file(STRINGS ${SOURCE}/changelog entry LIMIT_COUNT 1)
if(NOT rc EQUAL 0 OR NOT version MATCHES "^kesmora-cli ([^\n]+)\n$")
  message(FATAL_ERROR "kesmora-cli --version failed (${rc}): ${version}")
endif()
set(version ${CMAKE_MATCH_1})
if(NOT entry MATCHES "^kesmora [(]${version}[)] ")
  message(FATAL_ERROR "${SOURCE}/changelog has no entry for version ${version} on top: '${entry}'")
endif()

# The date of the pages is that of the last changelog entry, not of the build.
file(STRINGS ${SOURCE}/changelog trailer REGEX "^ -- .*  " LIMIT_COUNT 1)
string(REGEX REPLACE "^ -- .*  " "" released "${trailer}")
execute_process(COMMAND date -d "${released}" +%s OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the last entry of ${SOURCE}/changelog has no date: '${trailer}'")
endif()
set(ENV{SOURCE_DATE_EPOCH} ${epoch})
set(ENV{LC_ALL} C)
set(ENV{ASAN_OPTIONS} detect_leaks=0)  # a sanitizer build's programs print their help as well
unset(ENV{KESMORA_HOME})

function(help_of out)
  execute_process(COMMAND ${CLI} ${ARGN} --help RESULT_VARIABLE rc OUTPUT_VARIABLE text ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "kesmora-cli ${ARGN} --help failed (${rc}): ${err}")
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# From a help text: `commands` (the names under "Subcommands:"), `options` (every long option),
# `valued` (those that take a value) and for an option with a fixed set of values the
# variable choices_<option>.
function(read_help text)
  string(REPLACE ";" "," text "${text}")
  # A description that follows its option on a line of its own ("--election TEXT Excludes:
  # --require" over "Read the conditions from an election file") belongs to the option's line.
  string(REGEX REPLACE "\n                    +" " " text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(section "")
  set(commands "")
  set(options "")
  set(valued "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^([A-Za-z]+):$")
      set(section ${CMAKE_MATCH_1})
    elseif(section STREQUAL "Subcommands" AND line MATCHES "^  ([a-z][a-z0-9-]*)")
      list(APPEND commands ${CMAKE_MATCH_1})
    elseif(section STREQUAL "Options" AND line MATCHES "^  (-[A-Za-z],)?(--[a-z0-9-]+)( ([A-Z]+)(:[^ ]*)?)?( |$)")
      # "--zodiac TEXT:{tropical,sidereal}", "--date-order INT:INT in [0 - 2]", "--home DIR",
      # "--on-duplicate ENUM:value in {append->6,exit->7}", a flag "--transit-now Excludes: ..."
      set(option ${CMAKE_MATCH_2})
      set(type "${CMAKE_MATCH_4}")
      list(APPEND options ${option})
      if(type)
        list(APPEND valued ${option})
        set(kind "")
        if(type STREQUAL "DIR")
          set(kind dir)
        elseif(line MATCHES "{([^}]*)}")
          string(REGEX REPLACE "->[^,]*" "" kind "${CMAKE_MATCH_1}")
          string(REPLACE "," " " kind "${kind}")
        elseif(line MATCHES " in \\[([0-9]) - ([0-9])\\]")
          foreach(n RANGE ${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
            string(APPEND kind " ${n}")
          endforeach()
        elseif(type STREQUAL "TEXT" AND line MATCHES "[Ff][Ii][Ll][Ee]|[(][.][a-z0-9]+( list)?[)]")
          set(kind file)  # "Names file ...", "to FILE", "(.opt)", "(.mpn list)"
        else()
          set(kind "")  # a name, a number, a date: nothing to offer
        endif()
        string(STRIP "${kind}" kind)
        set(kind_${option} "${kind}" PARENT_SCOPE)
      endif()
    endif()
  endforeach()
  foreach(v commands options valued)
    set(${v} "${${v}}" PARENT_SCOPE)
  endforeach()
endfunction()

# A help text as lines of roff, shown as printed.
function(as_roff out text)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} ".PP\n.nf\n${text}.fi\n" PARENT_SCOPE)
endfunction()

# Every command, with its own commands below it ("person save").
help_of(top)
read_help("${top}")
set(program_options "${options}")
set(all_valued "${valued}")
set(paths "")
set(completion_options "")
string(REPLACE ";" " " names "${commands}")
set(completion_commands "    [kesmora-cli]=\"${names}\"\n")
set(roff "[COMMANDS]\n")
set(queue ${commands})
while(queue)
  list(POP_FRONT queue path)
  string(REPLACE " " ";" words "${path}")
  help_of(text ${words})
  read_help("${text}")
  as_roff(block "${text}")
  string(APPEND roff ".SS \"${path}\"\n${block}")
  list(REMOVE_ITEM options --help)
  string(REPLACE ";" " " options "${options}")
  string(APPEND completion_options "    [\"kesmora-cli ${path}\"]=\"${options}\"\n")
  if(commands)
    string(REPLACE ";" " " names "${commands}")
    string(APPEND completion_commands "    [\"kesmora-cli ${path}\"]=\"${names}\"\n")
    foreach(c IN LISTS commands)
      list(APPEND queue "${path} ${c}")
    endforeach()
  endif()
  list(APPEND all_valued ${valued})
endwhile()
list(REMOVE_DUPLICATES all_valued)

# The bash completion.
string(REPLACE ";" " " program_options "${program_options}")
set(completion_takes "")
foreach(option IN LISTS all_valued)
  string(APPEND completion_takes "    [${option}]=\"${kind_${option}}\"\n")
endforeach()
configure_file(${SOURCE}/kesmora-cli.bash-completion.in ${OUT}/kesmora-cli @ONLY)

# The manual pages: help2man over --help and --version, with the sections help cannot give.
file(WRITE ${OUT}/kesmora-cli.h2m "")
file(READ ${SOURCE}/kesmora-cli.h2m static)
file(WRITE ${OUT}/kesmora-cli.h2m "${static}\n${roff}")
function(manual_page program name include)
  execute_process(COMMAND ${HELP2MAN} --no-info --section=1 --name=${name} --include=${include}
                          --output=${OUT}/${program}.1 ${ARGN}
                  RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "help2man ${ARGN} failed (${rc}): ${err}")
  endif()
  execute_process(COMMAND gzip -9nf ${OUT}/${program}.1 RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "gzip ${OUT}/${program}.1 failed")
  endif()
endfunction()
manual_page(kesmora-cli "favourable times from planetary transits, without a window" ${OUT}/kesmora-cli.h2m ${CLI})
if(GUI)
  # The window program answers --help and --version without a display.
  unset(ENV{DISPLAY})
  unset(ENV{WAYLAND_DISPLAY})
  unset(ENV{QT_QPA_PLATFORM})
  # Its version line names the program "Kesmora"; the page is that of the command, kesmora.
  execute_process(COMMAND ${GUI} --version RESULT_VARIABLE rc OUTPUT_VARIABLE version ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT version MATCHES "^Kesmora ([^\n]+)\n$")
    message(FATAL_ERROR "kesmora --version failed (${rc}): ${version}${err}")
  endif()
  manual_page(kesmora "favourable times from planetary transits" ${SOURCE}/kesmora.h2m
              --version-string=${CMAKE_MATCH_1} ${GUI})
endif()

# The changelog, compressed as Debian wants it.
execute_process(COMMAND gzip -9n -c ${SOURCE}/changelog OUTPUT_FILE ${OUT}/changelog.gz RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gzip ${SOURCE}/changelog failed")
endif()
