#!/usr/bin/env bash
# The fast inner loop: builds the native test programs and runs the unit
# tests and the process tests. ctest builds tunaro.exe, the stand-in player
# and the probe (build/windows) first whenever the process tests are
# selected. Needs the tools that scripts/install-deps.sh installs.
#
#   scripts/quick-test.sh [ctest arguments]     e.g. -R unit: the unit tests alone
#   scripts/quick-test.sh -k GTEST_PATTERN      the unit and process tests of that name
#
# By name:
#   one unit test        scripts/quick-test.sh -R 'unit\.RunTest\.TheTypicalRequestPlaysTheChosenEntryOnce$'
#                        (ctest knows each unit test as unit.Suite.Test)
#   one process test     scripts/quick-test.sh -k 'PagesTest.TheFullPageByteForByte'
#                        (a gtest filter: Suite.Test, * and ? as wildcards, ':' between
#                        patterns, '-' before those left out; unit tests of that name too)
#   one end-to-end check tests/<suite>/run.sh -k PATTERN, a regular expression over the
#                        checks' names (letter case ignored), e.g.
#                        tests/server/run.sh -k 'bad control'
#                        tests/browser/run.sh -k 'phone'
#                        tests/apache/run.sh -k '1251'
#                        scripts/fuzz.sh 30 url_decode   (fuzz targets by name)
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=../tests/lib/steps.sh
source tests/lib/steps.sh

usage() {
  awk 'NR > 1 && !/^#/ { exit } NR > 1 { sub(/^# ?/, ""); print }' "$0"
  exit "${1:-0}"
}
pattern=
case ${1:-} in
  -h | --help) usage ;;
  -k)
    (($# == 2)) || usage 2
    pattern=$2
    ;;
esac

build() {
  cmake --preset native >/dev/null
  cmake --build --preset native --target unit_tests process_tests
}
tunaro_step "build the native tests" build

if [[ -z $pattern ]]; then
  tunaro_step "unit and process tests (ctest${*:+ $*})" ctest --preset native "$@"
  tunaro_steps_summary
  exit 0
fi

# By gtest name: each test program with the tests of that name, the process
# tests after the exes they run are up to date (ctest's fixture).
unit=build/native/tests/unit/unit_tests
process=build/native/tests/process/process_tests
has_tests() { "$1" --gtest_list_tests --gtest_filter="$pattern" | grep -q '^  '; }
found=0
if has_tests "$unit"; then
  found=1
  tunaro_step "unit tests $pattern" "$unit" --gtest_filter="$pattern"
fi
if has_tests "$process"; then
  found=1
  tunaro_step "the Windows exes the process tests run" ctest --preset native -R '^windows_exes_build$'
  tunaro_step "process tests $pattern" "$process" --gtest_filter="$pattern"
fi
((found)) || { echo "quick-test: no unit or process test matches $pattern" >&2; exit 1; }
tunaro_steps_summary
