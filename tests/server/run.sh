#!/usr/bin/env bash
# The real tunaro-server.exe under Wine, from the release zip unpacked as a
# user unpacks it, into a folder whose name has a blank and a non-ASCII
# letter, with the stand-in player. Runs the remote suite through it
# (tests/remote/checks.mjs, the same checks as behind lighttpd and Apache:
# its digest login, the page, a choice, another site's request, a bad
# control, Chromium), and checks what only this server has: its commands and
# their errors, the logon start, a taken port, the address list, the paths it
# serves and refuses, its console, a second copy, a hung player, and the load
# test through it. Its own temporary folder, Wine prefix and free ports on
# 127.0.0.1; everything it starts is stopped at the end by process id and by
# the private prefix.
#
#   tests/server/run.sh [-k PATTERN]    (-k: only the checks whose names match)
set -euo pipefail
cd "$(dirname "$0")/../.."
repo=$(pwd)
# shellcheck source=../lib/lib.sh
source tests/lib/lib.sh
case ${1:-} in
  -k) export TUNARO_FILTER=${2:?} ;;
  "") ;;
  *) echo "usage: tests/server/run.sh [-k PATTERN]" >&2; exit 2 ;;
esac

started=$(tunaro_now_ms)
bash scripts/install-deps.sh
tunaro_build_release_zip
version=$TUNARO_VERSION zip=$TUNARO_ZIP
tunaro_browser_modules
tunaro_constants  # the player's numbers: TUNARO_PLAYER[QueryPlayState]

work=$(mktemp -d "${TMPDIR:-/tmp}/tunaro-server.XXXXXX")
SERVER_PID=
stop_server() {
  if [[ -n $SERVER_PID ]]; then
    kill "$SERVER_PID" 2>/dev/null || true
    wait "$SERVER_PID" 2>/dev/null || true
    SERVER_PID=
  fi
}
cleanup() {
  local code=$?
  trap - EXIT INT TERM HUP
  stop_server
  tunaro_stop
  if ((code != 0)); then
    echo "server test: the server's output, its access lines left out:"
    grep -hvE '^[0-9]{2}:[0-9]{2}:[0-9]{2}  ' "$work"/server-*.out 2>/dev/null | tail -n 60
  fi >&2
  rm -rf "$work"
  exit "$code"
}
tunaro_on_exit cleanup

has() { [[ $1 == *"$2"* ]]; }

# Unpacked as a user does: the zip's folder inside one of their own.
home="$work/Musik von Zoë"
mkdir -p "$home"
unzip -q "$zip" -d "$home"
top="$home/tunaro-$version-win64"
server_exe="$top/tunaro-server.exe"
host=127.0.0.1
user=alice
password='pass word:1'

tunaro_prefix_make "$work/prefix"
server() { tunaro_wine_env "$work/prefix" wine "$server_exe" "$@"; }

# Starts the server in the background with the options given; its output
# goes to $work/server-N.out. Waits until it listens.
runs=0
SERVER_OUT=
start_server() {
  local port=$1
  shift
  runs=$((runs + 1))
  SERVER_OUT=$work/server-$runs.out
  (tunaro_wine_exec "$work/prefix" wine "$server_exe" --port "$port" "$@" </dev/null >"$SERVER_OUT" 2>&1) &
  SERVER_PID=$!
  local i
  for ((i = 0; i < 200; i++)); do
    grep -q 'stops the server' "$SERVER_OUT" 2>/dev/null && return 0
    kill -0 "$SERVER_PID" 2>/dev/null || { cat "$SERVER_OUT" >&2; tunaro_die "the server ended at start"; }
    sleep 0.1
  done
  tunaro_die "the server did not start within 20 s"
}

# ---- the one-shot commands and the errors ----------------------------------
# (They run whatever the filter: a few seconds, and --set-login makes the
# login that the other checks use.)
set +e
out=$(server --port 0 2>&1); code=$?
tunaro_expect "a bad option ends with code 2 and says why" [ "$code" = 2 -a -n "$(has "$out" '--port takes a number' && echo y)" ]
printf 'not a login\r\n' >"$top/tunaro-login.htdigest"
out=$(server --port "$(tunaro_free_port $host)" </dev/null 2>&1); code=$?
tunaro_expect "a broken login file ends with code 3 and names the file" \
  [ "$code" = 3 -a -n "$(has "$out" 'tunaro-login.htdigest is broken' && echo y)" ]
rm "$top/tunaro-login.htdigest"
out=$(server --port "$(tunaro_free_port $host)" </dev/null 2>&1); code=$?
tunaro_expect "no login file and no console: code 3, names --set-login" [ "$code" = 3 -a -n "$(has "$out" '--set-login' && echo y)" ]
out=$(printf '%s\r\n' "$password" | server --set-login "$user" 2>&1); code=$?
set -e
digest=$(printf '%s' "$user:Tunaro:$password" | md5sum | cut -d' ' -f1)
tunaro_expect "--set-login writes the digest line beside the exe" \
  [ "$code" = 0 -a "$(cat "$top/tunaro-login.htdigest")" = "$user:Tunaro:$digest"$'\r' ]
help=$(server --firewall-help)
tunaro_expect "--firewall-help: the private rule and removing Block rules" \
  bash -c '[[ $1 == *"-Profile Private"* && $1 == *"Remove-NetFirewallRule"* ]]' _ "$help"

# ---- the logon start ------------------------------------------------------------
if tunaro_wanted "--autostart on: the Run value holds the quoted exe and the options" \
  "--autostart off: the Run value is gone"; then
  run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
  server --autostart on --port 8090 --no-login >/dev/null
  value=$(tunaro_wine_env "$work/prefix" wine reg query "$run_key" /v Tunaro 2>/dev/null | tr -d '\r' || true)
  tunaro_expect "--autostart on: the Run value holds the quoted exe and the options" \
    bash -c '[[ $1 == *"tunaro-server.exe\" \"--port\" \"8090\" \"--no-login\""* ]]' _ "$value"
  server --autostart off >/dev/null
  left=$(tunaro_wine_env "$work/prefix" wine reg query "$run_key" /v Tunaro 2>/dev/null | tr -d '\r' || true)
  tunaro_expect "--autostart off: the Run value is gone" [ -z "$(grep Tunaro <<<"$left")" ]
fi

# ---- a taken port ------------------------------------------------------------
if tunaro_wanted "a taken port: code 4, names the port and --port"; then
taken=$(tunaro_free_port $host)
python3 -c 'import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", int(sys.argv[1]))); s.listen(); time.sleep(60)' "$taken" &
holder=$!
for ((i = 0; i < 50; i++)); do tunaro_port_open $host "$taken" && break; sleep 0.1; done
set +e
out=$(server --port "$taken" </dev/null 2>&1); code=$?
set -e
kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null || true
tunaro_expect "a taken port: code 4, names the port and --port" \
  [ "$code" = 4 -a -n "$(has "$out" "Port $taken is in use" && has "$out" "tunaro-server.exe --port" && echo y)" ]
fi

# ---- --allow without this computer: 403 ---------------------------------------
if tunaro_wanted "--allow leaving 127.0.0.1 out: 403"; then
  port=$(tunaro_free_port $host)
  start_server "$port" --allow 192.168.0.0/16,::1
  status=$(curl -s -o /dev/null -w '%{http_code}' --digest -u "$user:$password" "http://$host:$port/cgi-bin/tunaro/tunaro")
  tunaro_expect "--allow leaving 127.0.0.1 out: 403" [ "$status" = 403 ]
  stop_server
fi

# ---- the remote through the server ---------------------------------------------
# The player with the demo's list, for the remote suite.
: >"$work/player.log"
mkdir -p "$work/site/player"
cp build/windows/standin_player.exe demo/playlist.m3u "$work/site/player/"
tunaro_player_start "$work/site" "$work/prefix" --log "$(tunaro_winpath "$work/player.log")" >/dev/null
tunaro_wine_run_script "$work/wine-run" "$work/prefix"
port=$(tunaro_free_port $host)
start_server "$port"
base=http://$host:$port
remote=$base/cgi-bin/tunaro/tunaro
banner=$(cat "$SERVER_OUT")
tunaro_expect "the console names the address to open" has "$banner" ":$port/"
tunaro_expect "the console says the login is on and the home network only" \
  bash -c '[[ $1 == *"Log in with"* && $1 == *"home network"* ]]' _ "$banner"

code_of() { curl -s -o "$work/body" -w '%{http_code}' --path-as-is "$@"; }
tunaro_expect_suite "the remote through the server (tests/remote/checks.mjs)" \
  env BASE_URL="$base" PLAYER_LOG="$work/player.log" WINE_RUN="$work/wine-run" \
  PROBE="$repo/build/windows/player_probe.exe" ARTIFACTS="${TUNARO_ARTIFACTS:-$repo/build/server-test}" \
  PLAYLIST="$work/site/player/playlist.m3u" LOGIN="$user:$password" LOGIN_SCHEME=Digest START_PATH=/ \
  LOOK_ALIKE_HEADERS=kept-out PROGRAM_ALIASES=/cgi-bin/tunaro/tunaro.exe \
  timeout 300 node tests/remote/checks.mjs
location=$(curl -s -o /dev/null -w '%{redirect_url}' "$base/")
tunaro_expect "/ leads to the remote" [ "$location" = "$remote" ]

for file in images/play.gif images/previous.gif images/pause.gif images/stop.gif images/forward.gif \
  images/tunaro.js tunaro-panel.shtml; do
  tunaro_expect "/$file served as shipped" \
    bash -c 'curl -s --digest -u "$1" "$2" | cmp -s - "$3"' _ "$user:$password" "$base/$file" "$top/wwwroot/$file"
done

# Nothing else, however spelled; logged in, so only the path rules stand between.
for path in /cgi-bin/tunaro/tunaro.conf /cgi-bin/tunaro/header.html /cgi-bin/tunaro/ /cgi-bin/ \
  /images/ /tunaro-login.htdigest /cgi-bin/tunaro-panel/tunaro.conf /cgi-bin/tunaro/tunaro-x86.exe \
  /tunaro-server.exe /README.txt /wwwroot/images/play.gif \
  /cgi-bin/tunaro/tunaro.conf. '/cgi-bin/tunaro/tunaro.conf%20' '/cgi-bin/tunaro/tunaro.conf::$DATA' \
  '/cgi-bin/tunaro/tunaro.conf%3a%3a$DATA' /cgi-bin/tunaro/TUNARO~1.CON /cgi-bin/tunaro/tunaro.exe. \
  '/images/%2e%2e/%2e%2e/tunaro-login.htdigest' '/images/..%5c..%5ctunaro-login.htdigest' \
  '/images/..\..\tunaro-login.htdigest' '/%2e%2e/tunaro-login.htdigest' '/images/%252e%252e/x' \
  '/images/../cgi-bin/tunaro/tunaro.conf' '/images/play.gif.' '/images/play.gif%20' \
  '/images/play.gif::$DATA' '/cgi-bin/tunaro/tunaro/x' '/cgi-bin/%2e%2e/tunaro-login.htdigest'; do
  status=$(code_of --digest -u "$user:$password" "$base$path")
  tunaro_expect "refused: $path ($status)" \
    bash -c '[[ $1 != 2* ]] && ! grep -q -e WWWPATH -e "Tunaro:" -e GIF89a -e "^MZ" "$2"' _ "$status" "$work/body"
done
# (One request of the page of its own, for a check picked by name.)
curl -s -o /dev/null --digest -u "$user:$password" "$remote"
tunaro_expect "one line per request: time, address, status, path" \
  grep -qE '^[0-9]{2}:[0-9]{2}:[0-9]{2}  127\.0\.0\.1 +200  /cgi-bin/tunaro/tunaro' "$SERVER_OUT"

out=$(server --port "$(tunaro_free_port $host)" </dev/null 2>&1)
tunaro_expect "a second copy says the first one's address and exits" has "$out" "already running in this session: http://"
tunaro_expect "... whose port is the first one's" has "$out" ":$port/"

# ---- a hung player ----------------------------------------------------------------
# The player stops answering the play-state query: tunaro.exe gives up after
# its 5 s, and the server answers other requests meanwhile.
hung_checks=("while a page waits for the hung player, an image is served"
  "the page of the hung player ends by tunaro.exe's own limit")
if tunaro_wanted "${hung_checks[@]}"; then
  kill "$TUNARO_PLAYER_PID" 2>/dev/null; wait "$TUNARO_PLAYER_PID" 2>/dev/null || true
  tunaro_player_start "$work/site" "$work/prefix" --hang-on "${TUNARO_PLAYER[QueryPlayState]}" >/dev/null
  hung_started=$(tunaro_now_ms)
  curl -s -o "$work/hung" --max-time 60 --digest -u "$user:$password" "$remote" &
  hung=$!
  sleep 1
  image=$(code_of --max-time 10 --digest -u "$user:$password" "$base/images/play.gif")
  tunaro_expect "${hung_checks[0]}" bash -c '[[ $1 == 200 ]] && kill -0 "$2"' _ "$image" "$hung"
  wait "$hung" || true
  hung_ms=$(($(tunaro_now_ms) - hung_started))
  tunaro_expect "${hung_checks[1]} ($hung_ms ms)" \
    bash -c '(($1 < 15000)) && [[ -s $2 ]]' _ "$hung_ms" "$work/hung"
fi

# ---- the load test through it ------------------------------------------------------
load_check="the load test: 16 clients, 320 requests, no bad page"
if tunaro_wanted "$load_check"; then
  entries=300
  kill "$TUNARO_PLAYER_PID" 2>/dev/null; wait "$TUNARO_PLAYER_PID" 2>/dev/null || true
  : >"$work/player.log"
  tunaro_player_start "$work/site" "$work/prefix" --entries "$entries" \
    --log "$(tunaro_winpath "$work/player.log")" >/dev/null
  tunaro_expect "$load_check" \
    timeout 900 python3 tests/load/load_test.py --base-url "$base" --digest-login "$user:$password" \
    --playlist-file "$TUNARO_PLAYLIST_FILE" --player-log "$work/player.log" --entries "$entries" \
    --clients 16 --requests 320 --stall-seconds 120 --label tunaro-server.exe
fi
tunaro_port_open $host "$port" ||
  echo "     the server no longer accepts connections (if Wine printed an assertion above, see" \
    "bench/RESULTS.md on complete_async_poll)"

echo "server test: $((TUNARO_CHECKS - TUNARO_FAILURES)) passed, $TUNARO_FAILURES failed, in $((($(tunaro_now_ms) - started) / 1000)) s"
((TUNARO_FAILURES == 0))
