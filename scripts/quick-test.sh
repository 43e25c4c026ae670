#!/usr/bin/env bash
# The fast inner loop: builds what the unit tests and the process tests need
# (tunaro.exe, the stand-in player and the probe; the native test programs)
# and runs both. Needs the tools that scripts/install-deps.sh installs.
#
#   scripts/quick-test.sh [ctest arguments, e.g. -R unit]
set -euo pipefail
cd "$(dirname "$0")/.."

started=$(date +%s)
cmake --preset windows >/dev/null
cmake --build --preset windows --target tunaro standin_player player_probe
cmake --preset native >/dev/null
cmake --build --preset native --target unit_tests process_tests
ctest --preset native "$@"
echo "quick test: $(($(date +%s) - started)) s"
