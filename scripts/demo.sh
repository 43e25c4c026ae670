#!/usr/bin/env bash
# Runs Tunaro for a look in the browser: tunaro.exe (under Wine) behind
# lighttpd on 127.0.0.1, with our stand-in player playing the player's part.
#
#   scripts/demo.sh [PORT] [--auth USER:PASSWORD]
#
# PORT defaults to 8080. --auth puts the whole demo behind a login. Stop it
# with Ctrl-C: it stops everything it started. The demo lives in build/demo/
# (the Wine prefix there is kept for the next run; the rest is made anew).
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

# What a demo killed without its cleanup may have left: its lighttpd (by the
# id it recorded, if that process still runs our configuration) and the Wine
# processes of our prefix.
if [[ -f $root/lighttpd.pid ]]; then
  old=$(cat "$root/lighttpd.pid")
  if [[ $old =~ ^[0-9]+$ ]] && tr '\0' ' ' <"/proc/$old/cmdline" 2>/dev/null | grep -qF "$root/site/lighttpd.conf"; then
    echo "stopping the lighttpd ($old) of an earlier demo"
    kill "$old" 2>/dev/null || true
  fi
  rm -f "$root/lighttpd.pid"
fi
prefix=$root/wineprefix
if [[ -d $prefix ]]; then
  tunaro_wine_env "$prefix" wineserver -k 2>/dev/null || true
fi

cleanup() {
  trap - EXIT INT TERM HUP
  echo
  echo "stopping the demo"
  tunaro_stop
  rm -f "$root/lighttpd.pid"
}
tunaro_on_exit cleanup

tunaro_prefix_make "$prefix"
tunaro_tree_install "$root/site" "$prefix" "$host" "$port" "$build" "$auth"

echo "== the stand-in player (its lines show each command it gets)"
# As a player of the 5.x line behaves: its playlist file in %APPDATA%\Winamp of
# the prefix, found through the player, and entries it has not read yet
# written without their information line (they show their file's name).
tunaro_player_start "$root/site" "$prefix" --like-current
tunaro_lighttpd_start "$root/site" "$host" "$port" || tunaro_die "lighttpd could not start"
echo "$TUNARO_LIGHTTPD_PID" >"$root/lighttpd.pid"
ready=$(tunaro_now_ms)

base=http://$host:$port
# A first look through lighttpd, timed: the page must come back from the
# program with the player running.
if command -v curl >/dev/null; then
  curl_auth=()
  [[ -n $auth ]] && curl_auth=(--user "$auth")
  page=$(curl -fsS "${curl_auth[@]}" "$base/cgi-bin/tunaro/tunaro") ||
    tunaro_die "the control page did not load; see $root/site/logs/error.log"
  [[ $page == *"Winamp is Running"* ]] || tunaro_die "the control page does not see the player"
  timing=$(curl -fsS -o /dev/null -w '%{time_total}' "${curl_auth[@]}" "$base/cgi-bin/tunaro/tunaro")
  echo "one request of the control page through lighttpd: $(awk -v t="$timing" 'BEGIN { printf "%d ms", t * 1000 }')"
fi

cat <<EOF

Tunaro demo is running (ready in $(((ready - started) / 1000)).$((((ready - started) % 1000) / 100)) s):

  control page            $base/cgi-bin/tunaro/tunaro
  page with the panel     $base/
  button images           $base/images/play.gif
${auth:+  login                   ${auth%%:*} / (the password you gave)
}
Logs: $root/site/logs/ (lighttpd). Press Ctrl-C to stop.
EOF

# Stay in the foreground until lighttpd ends or we are told to stop.
wait "$TUNARO_LIGHTTPD_PID" || true
TUNARO_LIGHTTPD_PID=
echo "lighttpd has stopped"
