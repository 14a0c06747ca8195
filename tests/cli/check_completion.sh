#!/bin/bash
# Sources the bash completion of kesmora-cli and completes a few command lines with it.
#   check_completion.sh COMPLETION_FILE SCRATCH_DIR
set -u
# shellcheck source=/dev/null
source "$1" || exit 1
if ! complete -p kesmora-cli | grep -q -- "-F _kesmora_cli"; then
  echo "FAIL: complete -p kesmora-cli: $(complete -p kesmora-cli 2>&1)"
  exit 1
fi
scratch=$2
rm -rf "$scratch" && mkdir -p "$scratch/ephems" && touch "$scratch/ephemeris.txt"

fail=0
# check EXPECTED WORD...: the completions of the last word of the command line (sorted, as
# readline shows them).
check() {
  local expected=$1
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _kesmora_cli
  local actual
  actual=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd ' ')
  if [[ "$actual" != "$expected" ]]; then
    echo "FAIL: '$*' completes to '$actual', not '$expected'"
    fail=1
  fi
}
check "chart" kesmora-cli ch
check "aspectarian atlas" kesmora-cli a
check "--help --home" kesmora-cli --h
check "--home" kesmora-cli atlas Houston --ho
check "--standard-time --state" kesmora-cli atlas Houston --st
check "sidereal" kesmora-cli chart --zodiac s
check "placidus" kesmora-cli --home "$scratch" chart --houses p
check "save" kesmora-cli person s
check "--on-duplicate" kesmora-cli --home "$scratch" person save --on
check "--hits-file" kesmora-cli hotspots --hi
check "$scratch/ephemeris.txt $scratch/ephems" kesmora-cli elect --election "$scratch/e"
check "$scratch/ephems" kesmora-cli chart --home "$scratch/e"
check "$scratch/ephemeris.txt $scratch/ephems" kesmora-cli aspectarian --selection "$scratch/e"
exit $fail
