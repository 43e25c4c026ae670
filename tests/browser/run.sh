#!/usr/bin/env bash
# End-to-end browser test: a private demo instance (its own temporary folder,
# Wine prefix and free port on 127.0.0.1: lighttpd, tunaro.exe under Wine, the
# stand-in player with its message log), then tests/browser/test.mjs in
# headless Chromium and tests/browser/page-script.mjs in headless Chromium and
# Firefox against it. Everything started here is stopped at the
# end, pass or fail, by process id and by the private prefix.
#
#   tests/browser/run.sh [--update-screenshot]
#
# Screenshots go to build/browser-test/ (or $TUNARO_ARTIFACTS);
# --update-screenshot also rewrites docs/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/../.."
repo=$(pwd)

screenshot=
case ${1:-} in
  --update-screenshot) screenshot=$repo/docs/screenshot.png ;;
  "") ;;
  *)
    echo "usage: tests/browser/run.sh [--update-screenshot]" >&2
    exit 2
    ;;
esac

# shellcheck source=../lib/lib.sh
source tests/lib/lib.sh

started=$(tunaro_now_ms)
bash scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows >/dev/null

tunaro_browser_modules

work=$(mktemp -d "${TMPDIR:-/tmp}/tunaro-browser.XXXXXX")
artifacts=${TUNARO_ARTIFACTS:-$repo/build/browser-test}
rm -rf "$artifacts"
mkdir -p "$artifacts"

cleanup() {
  local code=$?
  trap - EXIT INT TERM HUP
  tunaro_stop
  if ((code != 0)) && [[ -d $work/site/logs ]]; then
    cp -r "$work/site/logs" "$artifacts/lighttpd-logs" 2>/dev/null || true
    cp "$work/player.log" "$artifacts/" 2>/dev/null || true
  fi
  rm -rf "$work"
  exit "$code"
}
tunaro_on_exit cleanup

tunaro_prefix_make "$work/prefix"
host=127.0.0.1
tunaro_tree_install "$work/site" "$work/prefix" "$host" "$(tunaro_free_port "$host")" "$repo/build/windows"
: >"$work/player.log"
tunaro_player_start "$work/site" "$work/prefix" --log "$(tunaro_winpath "$work/player.log")" \
  >"$work/player.out"
tunaro_lighttpd_start_anywhere "$work/site" "$host"
port=$TUNARO_PORT
ready=$(tunaro_now_ms)
echo "browser test: demo instance on http://$host:$port, ready in $(((ready - started) / 1000)) s"

# The test stops this player and starts its own (it stops that one by its
# id; tunaro_stop ends whatever is left in the prefix).
status=0
BASE_URL=http://$host:$port PLAYER_LOG=$work/player.log PLAYER_PID=$TUNARO_PLAYER_PID \
  PLAYER_DIR=$work/site/player WINE_PREFIX=$work/prefix PROBE=$repo/build/windows/player_probe.exe \
  ARTIFACTS=$artifacts SCREENSHOT=$screenshot \
  timeout 600 node tests/browser/test.mjs || status=$?
# The page script in Chromium and Firefox, with players of its own.
BASE_URL=http://$host:$port PLAYER_LOG=$work/player.log PLAYER_PID=$TUNARO_PLAYER_PID \
  PLAYER_DIR=$work/site/player WINE_PREFIX=$work/prefix PROBE=$repo/build/windows/player_probe.exe \
  ARTIFACTS=$artifacts timeout 600 node tests/browser/page-script.mjs || status=$?
echo "browser test: finished in $((($(tunaro_now_ms) - started) / 1000)) s"
exit "$status"
