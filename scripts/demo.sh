#!/usr/bin/env bash
# Runs Tunaro for a look in the browser as users run it: tunaro-server.exe in
# its console mode (under Wine) serving the release folder's layout on
# 127.0.0.1 alone, with our stand-in player playing the player's part.
#
#   scripts/demo.sh [PORT] [--auth USER:PASSWORD]
#
# PORT defaults to 8080. Without --auth there is no login (--no-login, the
# address list 127.0.0.1 and ::1 only); --auth sets one (--set-login). Stop
# it with Ctrl-C: it stops everything it started. The demo lives in
# build/demo/ (the Wine prefix there is kept for the next run; the rest is
# made anew). lighttpd and Apache remain in the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

port=8080
auth=
while (($#)); do
  case $1 in
    --auth)
      [[ ${2:-} == *:* ]] || { echo "usage: scripts/demo.sh [PORT] [--auth USER:PASSWORD]" >&2; exit 2; }
      auth=$2
      shift 2
      ;;
    [0-9]*)
      port=$1
      shift
      ;;
    *)
      echo "usage: scripts/demo.sh [PORT] [--auth USER:PASSWORD]" >&2
      exit 2
      ;;
  esac
done
((port > 0 && port < 65536)) || { echo "demo: bad port $port" >&2; exit 2; }
host=127.0.0.1

# shellcheck source=../tests/lib/lib.sh
source tests/lib/lib.sh

started=$(tunaro_now_ms)
bash scripts/install-deps.sh

build() {
  cmake --preset windows >/dev/null
  cmake --build --preset windows >/dev/null
}
tunaro_step "build: windows" build
build=$repo/build/windows

root=$repo/build/demo
mkdir -p "$root"
# One demo at a time in build/demo. The lock goes with this shell; what it
# starts does not inherit it (9>&-), so a killed demo never blocks the next.
exec 9>"$root/.lock"
flock -n 9 || tunaro_die "another demo is running from $root"

# What a demo killed without its cleanup may have left: the Wine processes of
# our prefix, its server among them.
prefix=$root/wineprefix
if [[ -d $prefix ]]; then
  tunaro_wine_env "$prefix" wineserver -k 2>/dev/null || true
fi

SERVER_PID=
cleanup() {
  trap - EXIT INT TERM HUP
  echo
  echo "stopping the demo"
  if [[ -n $SERVER_PID ]]; then
    kill "$SERVER_PID" 2>/dev/null || true
    wait "$SERVER_PID" 2>/dev/null || true
  fi
  tunaro_stop
}
tunaro_on_exit cleanup

tunaro_prefix_make "$prefix"

# The release folder's layout, from the build: tunaro-server.exe beside
# wwwroot\ (the images and the page script) and cgi-bin\tunaro\ (tunaro.exe
# with the shipped settings, header and footer).
site=$root/site
rm -rf "$site"
mkdir -p "$site/wwwroot/images" "$site/cgi-bin/tunaro" "$site/player"
cp "$build/tunaro-server.exe" "$site/"
cp assets/images/*.{gif,png,webmanifest} assets/js/tunaro.js "$site/wwwroot/images/"
cp "$build/tunaro.exe" demo/header.html demo/footer.html "$site/cgi-bin/tunaro/"
cp demo/tunaro.conf.sample "$site/cgi-bin/tunaro/tunaro.conf"
cp "$build/standin_player.exe" demo/playlist.m3u demo/playlist.m3u8 "$site/player/"
# The playlist's songs as files in C:\Music of the prefix, the music folder of
# the Library view, each artist's with a picture for the cover.
rm -rf "$prefix/drive_c/Music"
python3 demo/make-music.py demo/playlist.m3u8 "$prefix/drive_c"
printf 'MUSICDIR C:\\Music\r\n' >>"$site/cgi-bin/tunaro/tunaro.conf"
server_exe=$site/tunaro-server.exe
login=(--no-login --allow 127.0.0.1,::1)
if [[ -n $auth ]]; then
  printf '%s\r\n' "${auth#*:}" |
    tunaro_wine_env "$prefix" wine "$server_exe" --set-login "${auth%%:*}" >/dev/null ||
    tunaro_die "--set-login failed"
  login=(--allow 127.0.0.1,::1)
fi

echo "== the stand-in player (its lines show each command it gets)"
# As a player of the 5.x line behaves: its playlist file in %APPDATA%\Winamp of
# the prefix, found through the player, and entries it has not read yet
# written without their information line (they show their file's name).
tunaro_player_start "$site" "$prefix" --like-current

echo "== tunaro-server.exe (a line per request, kept in $site/tunaro-server.log too)"
(tunaro_wine_exec "$prefix" wine "$server_exe" --console --port "$port" "${login[@]}" </dev/null) &
SERVER_PID=$!
for ((i = 0; i < 300; i++)); do
  tunaro_port_open "$host" "$port" && break
  kill -0 "$SERVER_PID" 2>/dev/null || tunaro_die "tunaro-server.exe ended at start"
  sleep 0.1
done
tunaro_port_open "$host" "$port" || tunaro_die "tunaro-server.exe did not listen within 30 s"
ready=$(tunaro_now_ms)

base=http://$host:$port
# A first look through the server, timed: the page must come back from the
# program with the player running.
if command -v curl >/dev/null; then
  curl_auth=()
  [[ -n $auth ]] && curl_auth=(--digest --user "$auth")
  page=$(curl -fsS "${curl_auth[@]}" "$base/cgi-bin/tunaro/tunaro") ||
    tunaro_die "the control page did not load; see $site/tunaro-server.log"
  [[ $page == *"Winamp is Running"* ]] || tunaro_die "the control page does not see the player"
  timing=$(curl -fsS -o /dev/null -w '%{time_total}' "${curl_auth[@]}" "$base/cgi-bin/tunaro/tunaro")
  echo "one request of the control page through tunaro-server.exe: $(awk -v t="$timing" 'BEGIN { printf "%d ms", t * 1000 }')"
fi

cat <<EOF

Tunaro demo is running (ready in $(((ready - started) / 1000)).$((((ready - started) % 1000) / 100)) s):

  control page            $base/cgi-bin/tunaro/tunaro
  button images           $base/images/play.gif
${auth:+  login                   ${auth%%:*} / (the password you gave)
}
Log: $site/tunaro-server.log. Press Ctrl-C to stop.
EOF

# Stay in the foreground until the server ends or we are told to stop.
wait "$SERVER_PID" || true
SERVER_PID=
echo "tunaro-server.exe has stopped"
