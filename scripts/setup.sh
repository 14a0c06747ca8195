#!/usr/bin/env bash
# Installs the Debian packages Kesmora needs to build, test and run. Safe to run again.
#   --fuzz  also the optional packages of the fuzz harnesses (make fuzz)
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libswe-dev swe-basic-data
  qt6-base-dev libgl-dev
  libfmt-dev libhowardhinnant-date-dev libcli11-dev
  # The atlas: offsets from the system's time-zone database; state and country names for the
  # index of GeoNames' cities (libgeonames and iso-codes are read by the build only)
  tzdata libgeonames-dev iso-codes
  # A decimal-comma locale for the tests of the written number formats
  locales
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  poppler-utils
  python3
  # Spreadsheet export (and its test, which starts a headless Calc); calendar export test
  libreoffice-calc python3-uno python3-icalendar
  # Desktop files checked by the tests; "make package" (dpkg-shlibdeps needs dpkg-dev and file)
  desktop-file-utils appstream dpkg-dev file
  # Manual pages from the programs' --help; the package checked as Debian checks it
  help2man lintian
)
# Optional: only "make fuzz" needs them.
fuzz_packages=(clang libclang-rt-14-dev)

if [ "${1:-}" = "--fuzz" ]; then packages+=("${fuzz_packages[@]}"); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
# German numbers have a decimal comma; the names-file tests write under that locale.
if ! locale -a 2>/dev/null | grep -qix 'de_DE.utf8'; then
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
# GeoNames' cities of 1,000 people and more, which the build compiles into the atlas index.
python3 "$(dirname "$0")/fetch_cities.py"
