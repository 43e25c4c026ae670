#!/usr/bin/env bash
# Time per request for the control page through tunaro-server.exe against
# lighttpd (the demo's set-up: tunaro.exe through a `wine` wrapper), on the
# same machine in the same run, in alternating rounds; then the server's
# memory while idle. Everything under Wine in a private prefix, on free ports
# of 127.0.0.1, with one stand-in player; all stopped at the end.
#
#   bench/server/run.sh [--entries N] [--rounds R] [--per-round K]
set -euo pipefail
cd "$(dirname "$0")/../.."
repo=$(pwd)
entries=300
rounds=5
per_round=10
while (($#)); do
  case $1 in
    --entries) entries=${2:?}; shift 2 ;;
    --rounds) rounds=${2:?}; shift 2 ;;
    --per-round) per_round=${2:?}; shift 2 ;;
    *) sed -n '9p' "$0" >&2; exit 2 ;;
  esac
done
# shellcheck source=../../tests/lib/lib.sh
source tests/lib/lib.sh

tunaro_build_release_zip
version=$TUNARO_VERSION

work=$(mktemp -d "${TMPDIR:-/tmp}/tunaro-server-bench.XXXXXX")
SERVER_PID=
cleanup() {
  local code=$?
  trap - EXIT INT TERM HUP
  [[ -z $SERVER_PID ]] || { kill "$SERVER_PID" 2>/dev/null; wait "$SERVER_PID" 2>/dev/null || true; }
  tunaro_stop
  rm -rf "$work"
  exit "$code"
}
tunaro_on_exit cleanup

host=127.0.0.1
tunaro_prefix_make "$work/prefix"
tunaro_tree_install "$work/site" "$work/prefix" "$host" "$(tunaro_free_port $host)" "$repo/build/windows"
tunaro_player_start "$work/site" "$work/prefix" --entries "$entries" >/dev/null
tunaro_lighttpd_start_anywhere "$work/site" "$host"
lighttpd_port=$TUNARO_PORT

unzip -q "$TUNARO_ZIP" -d "$work/unpacked"
top=$work/unpacked/tunaro-$version-win64
printf 'secret\n' | tunaro_wine_env "$work/prefix" wine "$top/tunaro-server.exe" --set-login bench >/dev/null

# One server at a time per session: the server with the login, then without.
start_server() {
  local port
  port=$(tunaro_free_port $host)
  (tunaro_wine_exec "$work/prefix" wine "$top/tunaro-server.exe" --port "$port" "$@" \
    </dev/null >"$work/server.out" 2>&1) &
  SERVER_PID=$!
  for ((i = 0; i < 200; i++)); do
    grep -q 'stops the server' "$work/server.out" 2>/dev/null && break
    sleep 0.1
  done
  SERVER_PORT=$port
}
stop_server() { kill "$SERVER_PID" 2>/dev/null; wait "$SERVER_PID" 2>/dev/null || true; SERVER_PID=; }

page=/cgi-bin/tunaro/tunaro
echo "== time per control page ($entries entries), sequential, $rounds rounds of $per_round each"
start_server --no-login
python3 bench/server/time_requests.py --rounds "$rounds" --per-round "$per_round" \
  "lighttpd=http://$host:$lighttpd_port$page" "tunaro-server.exe=http://$host:$SERVER_PORT$page"
sleep 5
rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$SERVER_PID/status")
stop_server
start_server
python3 bench/server/time_requests.py --rounds "$rounds" --per-round "$per_round" \
  "lighttpd=http://$host:$lighttpd_port$page" \
  "tunaro-server.exe+login=http://$host:$SERVER_PORT$page,bench:secret"
start_rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$SERVER_PID/status")
stop_server
echo "== memory of tunaro-server.exe while idle (resident, the Wine process as a whole)"
echo "after the timed requests, 5 s idle: $((rss / 1024)) MiB; after its own timed run: $((start_rss / 1024)) MiB"
