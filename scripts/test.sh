#!/usr/bin/env bash
# Builds everything and runs every test: the unit tests (plain and under
# AddressSanitizer and UndefinedBehaviorSanitizer), the tests of the real
# tunaro.exe under Wine, a short run of every fuzz target, the release
# archive, the remote behind lighttpd, Apache and tunaro-server.exe (in
# Chromium and Firefox), and the load test through lighttpd. Each step prints
# its time; the first that fails ends the run.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=../tests/lib/steps.sh
source tests/lib/steps.sh

tunaro_step "packages" bash scripts/install-deps.sh

build() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}
tunaro_step "build: windows" build windows
tunaro_step "build: windows-x86 (tunaro.exe for 32-bit Windows; it cannot run here)" build windows-x86
tunaro_step "the Windows exes as files" bash scripts/check-windows-exes.sh
tunaro_step "build: native" build native
tunaro_step "build: native under sanitizers" build native-sanitize

tunaro_step "unit tests under sanitizers" ctest --preset native-sanitize
tunaro_step "unit and process tests" ctest --preset native
tunaro_step "fuzz targets, 30 s each" bash scripts/fuzz.sh 30
tunaro_step "release archive" bash tests/package/run.sh
tunaro_step "browser test (lighttpd, Wine, headless Chromium and Firefox)" bash tests/browser/run.sh
tunaro_step "browser test of a Japanese Windows (code page 932, the shift_jis header)" \
  bash tests/browser/code_page.sh
tunaro_step "Apache test (apache2 with the deployment guide's configuration, Wine, headless Chromium)" \
  bash tests/apache/run.sh
tunaro_step "server test (tunaro-server.exe from the release zip under Wine: login, paths, Chromium, load)" \
  bash tests/server/run.sh
tunaro_step "load test (16 clients through lighttpd; first without the playlist lock, for comparison)" \
  bash tests/load/run.sh --compare
tunaro_steps_summary
