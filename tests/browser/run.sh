#!/usr/bin/env bash
# End-to-end browser test through lighttpd: a private demo instance (its own
# temporary folder, Wine prefix and free port on 127.0.0.1: lighttpd,
# tunaro.exe under Wine with a music folder of its own, the stand-in player
# with its message log), then the
# remote suite (tests/remote/checks.mjs, the same checks as behind Apache and
# tunaro-server.exe) with the demo's page with the panel, the page's steps
# (tests/browser/test.mjs) in headless Chromium, and the page script
# (tests/browser/page-script.mjs) in headless Chromium and Firefox. Everything
# started here is stopped at the end, pass or fail, by process id and by the
# private prefix.
#
#   tests/browser/run.sh [-k PATTERN] [--update-screenshot]
#
# -k runs only the checks whose names match PATTERN (a regular expression,
# letter case ignored). Screenshots go to build/browser-test/ (or
# $TUNARO_ARTIFACTS); --update-screenshot also rewrites docs/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/../.."
repo=$(pwd)

screenshot=
while (($#)); do
  case $1 in
    --update-screenshot) screenshot=$repo/docs/screenshot.png; shift ;;
    -k) export TUNARO_FILTER=${2:?}; shift 2 ;;
    *)
      echo "usage: tests/browser/run.sh [-k PATTERN] [--update-screenshot]" >&2
      exit 2
      ;;
  esac
done

# shellcheck source=../lib/lib.sh
source tests/lib/lib.sh

bash scripts/install-deps.sh
build() {
  cmake --preset windows >/dev/null
  cmake --build --preset windows >/dev/null
  tunaro_browser_modules
}
tunaro_step "build tunaro.exe and the stand-in player; the browser modules" build

tunaro_work_dir browser
work=$TUNARO_WORK
artifacts=${TUNARO_ARTIFACTS:-$repo/build/browser-test}
rm -rf "$artifacts"
mkdir -p "$artifacts"
keep_logs() {
  if [[ -d $work/site/logs ]]; then
    cp -r "$work/site/logs" "$artifacts/lighttpd-logs" 2>/dev/null || true
    cp "$work/player.log" "$artifacts/" 2>/dev/null || true
  fi
}

started=$(tunaro_now_ms)
tunaro_prefix_make "$work/prefix"
host=127.0.0.1
tunaro_tree_install "$work/site" "$work/prefix" "$host" "$(tunaro_free_port "$host")" "$repo/build/windows"
# The music folder the Library view browses; page-script.mjs puts its files in.
mkdir "$work/music"
printf 'MUSICDIR %s\r\n' "$(tunaro_winpath "$work/music")" >>"$work/site/cgi-bin/tunaro/tunaro.conf"
: >"$work/player.log"
tunaro_player_start "$work/site" "$work/prefix" --log "$(tunaro_winpath "$work/player.log")" \
  >"$work/player.out"
tunaro_lighttpd_start_anywhere "$work/site" "$host"
tunaro_wine_run_script "$work/wine-run" "$work/prefix"
echo "browser test: demo instance on http://$host:$TUNARO_PORT, ready in" \
  "$((($(tunaro_now_ms) - started) / 1000)) s"

# test.mjs stops this player and starts its own, and page-script.mjs its own
# again (each stops them by their ids; tunaro_stop ends whatever is left in
# the prefix).
export BASE_URL=http://$host:$TUNARO_PORT PLAYER_LOG=$work/player.log WINE_RUN=$work/wine-run \
  PROBE=$repo/build/windows/player_probe.exe ARTIFACTS=$artifacts PLAYER_PID=$TUNARO_PLAYER_PID \
  PLAYER_DIR=$work/site/player MUSIC_DIR=$work/music
suite() {
  "$@" || { keep_logs; return 1; }
}
tunaro_step "the remote behind lighttpd (tests/remote/checks.mjs)" \
  suite env PLAYLIST="$work/site/player/playlist.m3u" PANEL_PAGE=/ timeout 300 node tests/remote/checks.mjs
tunaro_step "the page's steps (tests/browser/test.mjs)" \
  suite env SCREENSHOT="$screenshot" timeout 600 node tests/browser/test.mjs
tunaro_step "the page script in Chromium and Firefox (tests/browser/page-script.mjs)" \
  suite timeout 600 node tests/browser/page-script.mjs
