#!/usr/bin/env bash
# Builds everything and runs every test: the unit tests (plain and under
# AddressSanitizer and UndefinedBehaviorSanitizer), the tests of the real
# tunaro.exe under Wine, a short run of every fuzz target, the release
# archive, the browser test and the load test through lighttpd.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

echo "== build: windows"
cmake --preset windows >/dev/null
cmake --build --preset windows

echo "== build: windows-x86 (tunaro.exe for 32-bit Windows; it cannot run here)"
cmake --preset windows-x86 >/dev/null
cmake --build --preset windows-x86
bash scripts/check-windows-exes.sh

echo "== build: native"
cmake --preset native >/dev/null
cmake --build --preset native

echo "== build: native under sanitizers"
cmake --preset native-sanitize >/dev/null
cmake --build --preset native-sanitize

echo "== unit tests under sanitizers"
ctest --preset native-sanitize

echo "== unit and process tests"
ctest --preset native

echo "== fuzz targets, 30 s each"
bash scripts/fuzz.sh 30

echo "== release archive"
bash tests/package/run.sh

echo "== browser test (lighttpd, Wine, headless Chromium)"
bash tests/browser/run.sh
echo "== browser test of a Japanese Windows (code page 932, the shift_jis header)"
bash tests/browser/code_page.sh

echo "== Apache test (apache2 with the deployment guide's configuration, Wine, headless Chromium)"
bash tests/apache/run.sh

echo "== server test (tunaro-server.exe from the release zip under Wine: login, paths, Chromium, load)"
bash tests/server/run.sh

echo "== load test (16 clients through lighttpd; first without the playlist lock, for comparison)"
bash tests/load/run.sh --compare
