#!/usr/bin/env bash
# Checks the release archive as a user meets it: builds it
# (cmake --build --preset windows --target package), looks at its list of
# files, unpacks it into C:\inetpub of a private Wine prefix (the layout the
# shipped tunaro.conf and DEPLOYMENT.md assume), starts the stand-in player
# and runs both unpacked programs as a web server would.
#
#   tests/package/run.sh [-k PATTERN]    (-k: only the checks whose names match)
set -euo pipefail
cd "$(dirname "$0")/../.."
# shellcheck source=../lib/lib.sh
source tests/lib/lib.sh
case ${1:-} in
  -k) export TUNARO_FILTER=${2:?} ;;
  "") ;;
  *) echo "usage: tests/package/run.sh [-k PATTERN]" >&2; exit 2 ;;
esac

tunaro_build_release_zip
version=$TUNARO_VERSION zip=$TUNARO_ZIP

work=$(mktemp -d "${TMPDIR:-/tmp}/tunaro-package.XXXXXX")
cleanup() {
  local code=$?
  trap - EXIT INT TERM
  tunaro_stop
  rm -rf "$work"
  exit "$code"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM


top=tunaro-$version-win64
expected="$top/DEPLOYMENT.md
$top/LICENSE-civetweb.txt
$top/LICENSE-qrcodegen.txt
$top/LICENSE-taglib-LGPL.txt
$top/LICENSE-taglib-MPL.txt
$top/README.txt
$top/tunaro-server-x86.exe
$top/tunaro-server.exe
$top/cgi-bin/tunaro-panel/tunaro-x86.exe
$top/cgi-bin/tunaro-panel/tunaro.conf
$top/cgi-bin/tunaro-panel/tunaro.exe
$top/cgi-bin/tunaro/footer.html
$top/cgi-bin/tunaro/header.html
$top/cgi-bin/tunaro/tunaro-x86.exe
$top/cgi-bin/tunaro/tunaro.conf
$top/cgi-bin/tunaro/tunaro.exe
$top/wwwroot/images/forward.gif
$top/wwwroot/images/icon-192.png
$top/wwwroot/images/icon-512.png
$top/wwwroot/images/pause.gif
$top/wwwroot/images/play.gif
$top/wwwroot/images/previous.gif
$top/wwwroot/images/stop.gif
$top/wwwroot/images/tunaro.js
$top/wwwroot/images/tunaro.webmanifest
$top/wwwroot/pair.html
$top/wwwroot/tunaro-panel.shtml"
# The header for each ANSI code page, named after it, beside header.html.
declare -A charset_of=([874]=windows-874 [932]=shift_jis [936]=gbk [949]=euc-kr [950]=big5
  [1250]=windows-1250 [1251]=windows-1251 [1252]=windows-1252 [1253]=windows-1253
  [1254]=windows-1254 [1255]=windows-1255 [1256]=windows-1256 [1257]=windows-1257
  [1258]=windows-1258 [65001]=utf-8)
expected=$(
  printf '%s\n' "$expected"
  for code_page in "${!charset_of[@]}"; do
    echo "$top/cgi-bin/tunaro/charsets/header-$code_page.html"
  done
)
expected=$(LC_ALL=C sort <<<"$expected")
listed=$(unzip -Z1 "$zip" | grep -v '/$' | LC_ALL=C sort)
tunaro_expect "the archive holds exactly the release files" [ "$listed" = "$expected" ]
if [[ $listed != "$expected" ]]; then
  diff <(echo "$expected") <(echo "$listed") || true
fi

tunaro_prefix_make "$work/prefix"
inetpub=$work/prefix/drive_c/inetpub
mkdir -p "$inetpub"
unzip -q "$zip" -d "$work/unpacked"
cp -r "$work/unpacked/$top/." "$inetpub/"

for folder in tunaro tunaro-panel; do
  tunaro_expect "$folder: the 64-bit and 32-bit exes, checked as files" \
    bash scripts/check-windows-exes.sh "$inetpub/cgi-bin/$folder/tunaro.exe" \
    "$inetpub/cgi-bin/$folder/tunaro-x86.exe" - -
done
tunaro_expect "the server's 64-bit and 32-bit exes, checked as files" \
  bash scripts/check-windows-exes.sh - - "$inetpub/tunaro-server.exe" "$inetpub/tunaro-server-x86.exe"
tunaro_expect "the license texts of CivetWeb, qrcodegen and TagLib" \
  bash -c 'grep -q "The CivetWeb developers" "$1" && grep -q "Project Nayuki" "$2" &&
    grep -q "MOZILLA PUBLIC LICENSE" "$3" && grep -q "LESSER GENERAL PUBLIC LICENSE" "$4"' \
  _ "$inetpub/LICENSE-civetweb.txt" "$inetpub/LICENSE-qrcodegen.txt" \
  "$inetpub/LICENSE-taglib-MPL.txt" "$inetpub/LICENSE-taglib-LGPL.txt"

crlf_only() { ! grep -q $'[^\r]$' "$1" && [[ -s $1 ]]; }
# Each code page's header is header.html with that code page's charset named,
# and nothing else changed.
charsets_only() {
  local cgi=$inetpub/cgi-bin/tunaro code_page header
  for code_page in "${!charset_of[@]}"; do
    header=$cgi/charsets/header-$code_page.html
    if ! grep -q "charset=${charset_of[$code_page]}" "$header" ||
      [[ $(sed "s/charset=${charset_of[$code_page]}/charset=windows-1252/" "$header") != "$(cat "$cgi/header.html")" ]]; then
      echo "     $header"
      return 1
    fi
  done
}
tunaro_expect "each charsets/header-NNNN.html is header.html declaring code page NNNN" charsets_only
tunaro_expect "tunaro.conf has CR LF line ends" crlf_only "$inetpub/cgi-bin/tunaro/tunaro.conf"
tunaro_expect "the panel's tunaro.conf has CR LF line ends" crlf_only "$inetpub/cgi-bin/tunaro-panel/tunaro.conf"
tunaro_expect "the panel's tunaro.conf says SSI 1" grep -q $'^SSI 1\r$' "$inetpub/cgi-bin/tunaro-panel/tunaro.conf"
tunaro_expect "the guide users read has none of the Apache test's <!-- tested --> marks" \
  bash -c '! grep -q "<!-- tested" "$1"' _ "$inetpub/DEPLOYMENT.md"

# The player, with the stand-in from the build (it is not in the archive).
mkdir -p "$work/player"
cp build/windows/standin_player.exe "$work/player/"
(tunaro_wine_exec "$work/prefix" wine "$work/player/standin_player.exe" \
  --ready "$(tunaro_winpath "$work/player/ready")" >/dev/null </dev/null) &
TUNARO_PLAYER_PID=$!
for ((i = 0; i < 300; i++)); do
  [[ -s $work/player/ready ]] && break
  sleep 0.1
done
tunaro_expect "the stand-in player is ready" [ -s "$work/player/ready" ]

run_cgi() {
  REQUEST_METHOD=GET QUERY_STRING= SCRIPT_NAME=/cgi-bin/tunaro/tunaro \
    tunaro_wine_env "$work/prefix" wine "$1" </dev/null
}
page=$(run_cgi 'C:\inetpub\cgi-bin\tunaro\tunaro.exe')
panel=$(run_cgi 'C:\inetpub\cgi-bin\tunaro-panel\tunaro.exe')

has() { [[ $1 == *"$2"* ]]; }
tunaro_expect "the control page sees the player" has "$page" 'Winamp is Running'
tunaro_expect "the control page uses the shipped header" has "$page" "<meta name=viewport content='width=device-width, initial-scale=1'>"
tunaro_expect "the control page uses the shipped footer" has "$page" '</div>'
tunaro_expect "the control page links to /cgi-bin/tunaro/tunaro" has "$page" 'href="/cgi-bin/tunaro/tunaro?stop"'
tunaro_expect "the panel copy answers with the panel" has "$panel" '<select size=1 name=MP3List>'
tunaro_expect "the control page loads the shipped page script" \
  bash -c '[[ $1 == *"<script src=/images/tunaro.js defer blocking=render></script>"* ]] && cmp -s "$2" "$3"' \
  _ "$page" "$inetpub/wwwroot/images/tunaro.js" assets/js/tunaro.js
for image in previous play pause stop forward; do
  tunaro_expect "$image.gif is linked and shipped" \
    bash -c '[[ $1 == *"src=\"/images/$2.gif\""* && -s $3/wwwroot/images/$2.gif ]]' _ "$page" "$image" "$inetpub"
done

echo "package: $((TUNARO_CHECKS - TUNARO_FAILURES)) passed, $TUNARO_FAILURES failed ($zip)"
((TUNARO_FAILURES == 0))
