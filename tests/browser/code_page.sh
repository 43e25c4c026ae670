#!/usr/bin/env bash
# The browser test of a Japanese Windows: Wine in the ja_JP locale (ANSI code
# page 932), the control page with the header for 932 (shift_jis), and the
# stand-in player with Japanese titles, some of whose second bytes are
# backslashes. tests/browser/code_page.mjs checks in headless Chromium that
# the list shows them and that choosing one plays it. A private instance on a
# free port of 127.0.0.1, stopped at the end by process id and by its prefix.
#
#   tests/browser/code_page.sh [-k PATTERN]     (runs when PATTERN matches its name)
set -euo pipefail
cd "$(dirname "$0")/../.."
repo=$(pwd)

# shellcheck source=../lib/lib.sh
source tests/lib/lib.sh

name="a Japanese Windows: the shift_jis page lists the titles and plays a chosen one"
case ${1:-} in
  -k) export TUNARO_FILTER=${2:?} ;;
  "") ;;
  *) echo "usage: tests/browser/code_page.sh [-k PATTERN]" >&2; exit 2 ;;
esac
tunaro_wanted "$name" || exit 0

bash scripts/install-deps.sh
build() {
  cmake --preset windows >/dev/null
  cmake --build --preset windows >/dev/null
  tunaro_browser_modules
}
tunaro_step "build tunaro.exe and the stand-in player; the browser modules" build

export TUNARO_WINE_LOCALE=ja_JP.UTF-8
tunaro_work_dir code-page
work=$TUNARO_WORK

tunaro_prefix_make "$work/prefix"
host=127.0.0.1
tunaro_tree_install "$work/site" "$work/prefix" "$host" "$(tunaro_free_port "$host")" \
  "$repo/build/windows"
# The header the release has for this code page (cmake/packaging.cmake).
sed -i 's/charset=windows-1252/charset=shift_jis/' "$work/site/cgi-bin/tunaro/header.html"
# The player's list: its UTF-8 copy holds the names, and the player keeps
# them in code page 932.
{
  printf '\xEF\xBB\xBF#EXTM3U\r\n'
  printf '#EXTINF:200,%s\r\nC:\\Music\\%s.mp3\r\n' '表示ソナタ' a '許功蓋' b '小林さくら - 夜' c
} >"$work/site/player/playlist.m3u8"
printf '#EXTM3U\r\n' >"$work/site/player/playlist.m3u"
: >"$work/player.log"
tunaro_player_start "$work/site" "$work/prefix" --log "$(tunaro_winpath "$work/player.log")" \
  >"$work/player.out"
tunaro_lighttpd_start_anywhere "$work/site" "$host"

tunaro_step "$name (tests/browser/code_page.mjs)" env BASE_URL="http://$host:$TUNARO_PORT" \
  PLAYER_LOG="$work/player.log" timeout 300 node tests/browser/code_page.mjs
