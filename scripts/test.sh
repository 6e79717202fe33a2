#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds everything and runs every test:
# the normal build with all tests, then the sanitizer build with the codec, engine and platform tests.
# The wall time of each stage goes to build/ci-stages.txt; scripts/ci-time.sh shows it with the
# slowest compile units.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/cups-pdf.sh start
trap 'bash scripts/cups-pdf.sh stop' EXIT
jobs=$(nproc)
stages=build/ci-stages.txt

# stage <name> <command...>: runs the command and notes its wall time.
stage() {
  local name=$1 start=$SECONDS
  shift
  "$@"
  printf '%6d s  %s\n' $((SECONDS - start)) "$name" >>"$stages"
}

cmake --preset default
: >"$stages"
stage "build" cmake --build --preset default -j "$jobs"
stage "tests" ctest --preset default -j "$jobs" -LE "cups|sane"
echo "Printing tests: they share one CUPS scheduler, which now and then lists a queue it has just"
echo "added or removed a moment late, so they run one at a time with up to three tries each."
stage "tests: printing (cups)" ctest --preset default -L cups --repeat until-pass:3
echo "Scanning tests: SANE's test backend now and then hangs a process when it cancels its reader"
echo "thread (see tests/scan_sane), so each case runs on its own with up to three tries."
stage "tests: scanning (sane)" ctest --preset default -j "$jobs" -L sane --repeat until-pass:3

if [ "${VELMORA_SKIP_SANITIZE:-0}" != "1" ]; then
  stage "sanitize: configure" cmake --preset sanitize
  # The sanitize build preset builds only the programs of the tests labelled "sanitize".
  stage "sanitize: build" cmake --build --preset sanitize -j "$jobs"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
  stage "sanitize: tests" ctest --preset sanitize -j "$jobs" -LE "cups|sane"
  echo "Printing tests under the sanitizers: one at a time, up to three tries (see above)."
  stage "sanitize: tests: printing (cups)" ctest --preset sanitize -L cups --repeat until-pass:3
  echo "Scanning tests under the sanitizers: each case on its own, up to three tries (see above)."
  stage "sanitize: tests: scanning (sane)" ctest --preset sanitize -j "$jobs" -L sane --repeat until-pass:3
fi
cat "$stages"
