#!/usr/bin/env bash
# The fast inner loop: builds the native test programs and runs the unit
# tests and the process tests. ctest builds tunaro.exe, the stand-in player
# and the probe (build/windows) first whenever the process tests are
# selected. Needs the tools that scripts/install-deps.sh installs.
#
#   scripts/quick-test.sh [ctest arguments, e.g. -R unit]
set -euo pipefail
cd "$(dirname "$0")/.."

started=$(date +%s)
cmake --preset native >/dev/null
cmake --build --preset native --target unit_tests process_tests
ctest --preset native "$@"
echo "quick test: $(($(date +%s) - started)) s"
