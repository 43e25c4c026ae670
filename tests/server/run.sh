#!/usr/bin/env bash
# The real tunaro-server.exe under Wine, from the release zip unpacked as a
# user unpacks it, into a folder whose name has a blank and a non-ASCII
# letter, with the stand-in player. Runs the remote suite through it
# (tests/remote/checks.mjs, the same checks as behind lighttpd and Apache:
# its digest login, the page, a choice, another site's request, a bad
# control, Chromium), and checks what only this server has: its commands and
# their errors, the logon start, a taken port, the address list checked at
# accept, pairing (the code from the console, the device cookie, the attempt
# limit, the devices file, restarts, forgetting; Chromium and Firefox in
# tests/server/pairing.mjs), the digest login made whole
# (tests/server/digest_replay.py), the Host rule, the console and its QR code
# (in a terminal of its own), the paths it serves and refuses, what one client
# may hold (idle and half-sent connections, trickling and chunked bodies), its
# log, a second copy, a hung player, the load test through it, and its window
# on a display of Xvfb (the QR code read back from a screenshot, the
# checklist, a second start, Quit). The server's clock is moved on by the test
# (--test-clock-shift) where minutes must pass. Its own temporary folder, Xvfb,
# Wine prefix and free ports on 127.0.0.1; everything it starts is stopped at
# the end by process id and by the private prefix.
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

# Wine's X11 driver on a display of the test's own, for the window.
tunaro_xvfb_start "$work"
tunaro_prefix_make "$work/prefix"
server() { tunaro_wine_env "$work/prefix" wine "$server_exe" "$@"; }
# The machine's IPv4 addresses, one of which the QR codes must carry.
read -r -a machine_ipv4 <<<"$(hostname -I | tr ' ' '\n' | grep -vF : | tr '\n' ' ')"
is_machine_url() {
  local url=$1 port=$2 address
  for address in "${machine_ipv4[@]}"; do
    [[ $url == "http://$address:$port/" ]] && return 0
  done
  return 1
}

# The seconds the main server's clock runs ahead (--test-clock-shift), moved
# on by move_clock SECONDS.
clock_shift=$work/clock-shift
echo 0 >"$clock_shift"
move_clock() {
  echo $(($(cat "$clock_shift") + $1)) >"$clock_shift.tmp" && mv "$clock_shift.tmp" "$clock_shift"
}

# Starts the server in the background with the options given; its output
# goes to $work/server-N.out. Waits until it listens.
runs=0
SERVER_OUT=
start_server() {
  local port=$1
  shift
  runs=$((runs + 1))
  SERVER_OUT=$work/server-$runs.out
  (tunaro_wine_exec "$work/prefix" wine "$server_exe" --console --port "$port" "$@" </dev/null \
    >"$SERVER_OUT" 2>&1) &
  SERVER_PID=$!
  local i
  for ((i = 0; i < 200; i++)); do
    grep -q 'stops the server' "$SERVER_OUT" 2>/dev/null && return 0
    kill -0 "$SERVER_PID" 2>/dev/null || { cat "$SERVER_OUT" >&2; tunaro_die "the server ended at start"; }
    sleep 0.1
  done
  tunaro_die "the server did not start within 20 s"
}

# The last pairing code the console shows ("Pairing address: ...#CODE"); with
# a code given, waits up to 10 s for another (a code is good once).
pairing_code() {
  local used=${1:-} code i
  for ((i = 0; i < 100; i++)); do
    code=$(grep -ao 'pair#[A-Z0-9]\{8\}' "$SERVER_OUT" | tail -n 1 | cut -c6-)
    [[ -n $code && $code != "$used" ]] && { echo "$code"; return 0; }
    sleep 0.1
  done
  echo "no pairing code after '$used'" >&2
  return 1
}

# ---- the one-shot commands and the errors ----------------------------------
# (They run whatever the filter: a few seconds, and --set-login makes the
# login that the other checks use.)
set +e
out=$(server --port 0 2>&1); code=$?
tunaro_expect "a bad option ends with code 2 and says why" [ "$code" = 2 -a -n "$(has "$out" '--port takes a number' && echo y)" ]
printf 'not a login\r\n' >"$top/tunaro-login.htdigest"
out=$(server --console --port "$(tunaro_free_port $host)" </dev/null 2>&1); code=$?
tunaro_expect "a broken login file ends with code 3 and names the file" \
  [ "$code" = 3 -a -n "$(has "$out" 'tunaro-login.htdigest is broken' && echo y)" ]
rm "$top/tunaro-login.htdigest"
out=$(printf 'seven77\r\n' | server --set-login "$user" 2>&1); code=$?
tunaro_expect "--set-login refuses a password under 8 characters: code 2, no file" \
  [ "$code" = 2 -a ! -e "$top/tunaro-login.htdigest" -a -n "$(has "$out" '8 characters' && echo y)" ]
set -e
help=$(server --firewall-help)
tunaro_expect "--firewall-help: the private rule and removing Block rules" \
  bash -c '[[ $1 == *"-Profile Private"* && $1 == *"Remove-NetFirewallRule"* ]]' _ "$help"
tunaro_expect "--firewall-help: the Block rules of any copy by its name, and PowerShell's .\\" \
  bash -c '[[ $1 == *"[WildcardPattern]::Escape('"'"'tunaro-server.exe'"'"')"* && $1 == *".\tunaro-server.exe"* ]]' \
  _ "$help"

# ---- the logon start ------------------------------------------------------------
logon_checks=("--autostart on: the Run value holds the quoted exe, the options and --tray"
  "--autostart on: a start Task Manager disabled is enabled again (StartupApproved)"
  "--autostart off: the Run value and its StartupApproved flag are gone")
if tunaro_wanted "${logon_checks[@]}"; then
  run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
  approved_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run'
  reg() { tunaro_wine_env "$work/prefix" wine reg "$@" 2>/dev/null | tr -d '\r' || true; }
  # As Task Manager leaves it: 03, then the time it was disabled.
  reg add "$approved_key" /v Tunaro /t REG_BINARY /d 030000001020304050607001 /f >/dev/null
  server --autostart on --port 8090 --no-login >/dev/null
  tunaro_expect "${logon_checks[0]}" bash -c \
    '[[ $1 == *"tunaro-server.exe\" \"--port\" \"8090\" \"--no-login\" \"--tray\""* ]]' _ \
    "$(reg query "$run_key" /v Tunaro)"
  tunaro_expect "${logon_checks[1]}" \
    grep -q 'REG_BINARY *020000000000000000000000' <<<"$(reg query "$approved_key" /v Tunaro)"
  server --autostart off >/dev/null
  tunaro_expect "${logon_checks[2]}" [ -z "$(reg query "$run_key" /v Tunaro | grep Tunaro)$(
    reg query "$approved_key" /v Tunaro | grep Tunaro)" ]
fi

# ---- a taken port ------------------------------------------------------------
if tunaro_wanted "a taken port: code 4, names the port and --port"; then
taken=$(tunaro_free_port $host)
python3 -c 'import socket, sys, time
s = socket.socket(); s.bind(("127.0.0.1", int(sys.argv[1]))); s.listen(); time.sleep(60)' "$taken" &
holder=$!
for ((i = 0; i < 50; i++)); do tunaro_port_open $host "$taken" && break; sleep 0.1; done
set +e
out=$(server --console --port "$taken" </dev/null 2>&1); code=$?
set -e
kill "$holder" 2>/dev/null; wait "$holder" 2>/dev/null || true
tunaro_expect "a taken port: code 4, names the port and --port" \
  [ "$code" = 4 -a -n "$(has "$out" "Port $taken is in use" && has "$out" "tunaro-server.exe --port" && echo y)" ]
fi

# ---- no login file, a broken devices file, --allow without this computer ---------
first_start=("without a login file the server starts, for pairing alone"
  "a broken devices file is reported with what to do, and left as it is"
  "--allow leaving 127.0.0.1 out: its connections are closed at once, unanswered"
  "... and 64 of them hold no worker: a request from ::1 is answered at once"
  "--forget-devices writes over a broken devices file")
if tunaro_wanted "${first_start[@]}"; then
  devices="$top/tunaro-devices.txt"
  printf '# devices\nnot a device\n' >"$devices"
  port=$(tunaro_free_port $host)
  start_server "$port" --allow 192.168.0.0/16,::1
  tunaro_expect "${first_start[0]}" grep -q 'Phones pair with the code' "$SERVER_OUT"
  tunaro_expect "${first_start[1]}" bash -c 'grep -q "tunaro-devices.txt is broken: line 2" "$1" &&
    grep -q "run tunaro-server.exe --forget-devices" "$1" && grep -qx "not a device" "$2"' _ "$SERVER_OUT" "$devices"
  status=$(curl -s -o /dev/null -w '%{http_code}' "http://$host:$port/pair" || true)
  tunaro_expect "${first_start[2]}" [ "$status" = 000 ]
  tunaro_expect "${first_start[3]}" timeout 60 python3 tests/server/connection_limits.py \
    --port "$port" --holder 127.0.0.1 --other ::1 refused 64
  stop_server
  out=$(server --forget-devices)
  tunaro_expect "${first_start[4]}" bash -c '[[ $1 == "Forgot 0 devices"* ]] && ! grep -q "not a device" "$2"' \
    _ "$out" "$devices"
fi

# The login the other checks use, for scripts.
printf '%s\r\n' "$password" | server --set-login "$user" >/dev/null
digest=$(printf '%s' "$user:Tunaro:$password" | md5sum | cut -d' ' -f1)
tunaro_expect "--set-login writes the digest line beside the exe, readable by the user alone" \
  bash -c '[[ $(cat "$1") == "$2"$'"'"'\r'"'"' ]] && (( 8#$(stat -c %a "$1") % 8 == 0 ))' _ \
  "$top/tunaro-login.htdigest" "$user:Tunaro:$digest"

# ---- --no-login: still its own names only -------------------------------------------
no_login=("--no-login: served without a login, no pairing code" "--no-login: Host evil.example gets 421")
if tunaro_wanted "${no_login[@]}"; then
  port=$(tunaro_free_port $host)
  start_server "$port" --no-login
  status=$(curl -s -o /dev/null -w '%{http_code}' "http://$host:$port/images/play.gif")
  tunaro_expect "${no_login[0]}" bash -c '[[ $1 == 200 ]] && ! grep -q "Pairing code" "$2"' _ "$status" "$SERVER_OUT"
  answer=$(curl -s -i -H "Host: evil.example:$port" "http://$host:$port/images/play.gif" | tr -d '\r')
  tunaro_expect "${no_login[1]}" bash -c '[[ $1 == "HTTP/1.1 421 "* && $1 == *"answers only to this computer"* &&
    $1 == *"X-Frame-Options: DENY"* ]]' _ "$answer"
  stop_server
fi

# ---- the console's QR code, in a terminal ------------------------------------------
# The console of a terminal (script's), where the server draws the code and
# takes Ctrl+C; once as it is, once switched to code page 932 (chcp), where
# it draws in ASCII. The drawing read back as an image must carry the IPv4
# address.
console_qr() {
  local label=$1 code_page=$2 port typescript=$work/console-$2.txt vars i
  port=$(tunaro_free_port $host)
  decoded=
  tunaro_wine_vars "$work/prefix" vars
  # A shell runs the command: the paths in single quotes (they hold blanks).
  local command="wine '$server_exe' --console --port $port"
  if [[ -n $code_page ]]; then
    # The exe named from the batch file's own folder (%~dp0): cmd reads the
    # lines after chcp in that code page, which cannot spell the folder.
    printf '@chcp %s >nul\r\n@"%%~dp0tunaro-server.exe" --console --port %s\r\n' "$code_page" \
      "$port" >"$top/console-$code_page.cmd"
    command="wine cmd /c '$(tunaro_winpath "$top/console-$code_page.cmd")'"
  fi
  rm -f "$work/keys"
  mkfifo "$work/keys"
  (exec script -qfec "env ${vars[*]@Q} $command" "$typescript" <"$work/keys" >/dev/null 2>&1) &
  local terminal=$!
  exec 8>"$work/keys"
  for ((i = 0; i < 200; i++)); do
    grep -q 'stops the server' "$typescript" 2>/dev/null && break
    kill -0 "$terminal" 2>/dev/null || break
    sleep 0.1
  done
  # Ctrl+C; written by a subshell, which a terminal gone already cannot end us with.
  (printf '\003' >&8) 2>/dev/null || true
  for ((i = 0; i < 100; i++)); do
    grep -q 'Stopped\.' "$typescript" 2>/dev/null && break
    kill -0 "$terminal" 2>/dev/null || break
    sleep 0.1
  done
  kill "$terminal" 2>/dev/null || true
  wait "$terminal" 2>/dev/null || true
  exec 8>&-
  # cmd may end before the server it started: wait for the server to close its
  # port, and end it within the test's own prefix if it does not.
  for ((i = 0; i < 150; i++)); do tunaro_port_open "$host" "$port" || break; sleep 0.1; done
  if tunaro_port_open "$host" "$port"; then
    echo "     (the server of the console went on after Ctrl+C: ended with taskkill in the test's prefix)"
    tunaro_wine_env "$work/prefix" wine taskkill /F /IM tunaro-server.exe >/dev/null 2>&1 || true
    sleep 1
  fi
  python3 tests/server/console_qr.py "$typescript" "$work/console.pbm" &&
    decoded=$(zbarimg -q --raw "$work/console.pbm" 2>/dev/null)
  # With the login, the code drawn is the pairing code's: its page at the address.
  local carried=no
  [[ $decoded =~ /pair#[A-Z0-9]{8}$ ]] && is_machine_url "${decoded%pair#*}" "$port" && carried=yes
  tunaro_expect "$label ($decoded)" [ "$carried" = yes ]
}
if tunaro_wanted "the console's QR code carries the pairing page at this machine's IPv4 address"; then
  console_qr "the console's QR code carries the pairing page at this machine's IPv4 address" ""
  tunaro_expect "... and Ctrl+C stops it" grep -q 'Stopped\.' "$work/console-.txt"
fi
if tunaro_wanted "code page 932: the console's QR code in ASCII carries it too"; then
  console_qr "code page 932: the console's QR code in ASCII carries it too" 932
  tunaro_expect "... drawn with ## and blanks only" grep -q '^  ######' <(tr -d '\r' <"$work/console-932.txt")
fi

# ---- the remote through the server ---------------------------------------------
# The player with the demo's list, for the remote suite.
: >"$work/player.log"
mkdir -p "$work/site/player"
cp build/windows/standin_player.exe demo/playlist.m3u "$work/site/player/"
tunaro_player_start "$work/site" "$work/prefix" --log "$(tunaro_winpath "$work/player.log")" >/dev/null
tunaro_wine_run_script "$work/wine-run" "$work/prefix"
port=$(tunaro_free_port $host)
serving=(--allow-host musik.example --test-clock-shift "$(tunaro_winpath "$clock_shift")")
start_server "$port" "${serving[@]}"
base=http://$host:$port
remote=$base/cgi-bin/tunaro/tunaro
banner=$(cat "$SERVER_OUT")
tunaro_expect "the console names the address to open" has "$banner" ":$port/"
tunaro_expect "the console says phones pair, and the home network only" \
  bash -c '[[ $1 == *"Phones pair with the code"* && $1 == *"home network"* ]]' _ "$banner"
code=$(pairing_code)
tunaro_expect "the console shows the code in large letters and the address the QR code carries" \
  bash -c '[[ $1 == *"Pairing code: ${2:0:4}-${2:4}"* && $1 == *"█"* && $1 =~ Pairing\ address:\ http://[0-9.]+:$3/pair#$2 ]]' \
  _ "$(cat "$SERVER_OUT")" "$code" "$port"

code_of() { curl -s -o "$work/body" -w '%{http_code}' --path-as-is "$@"; }

# ---- pairing ---------------------------------------------------------------------
browser_agent='Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/124.0 Mobile Safari/537.36'
# The pairing page alone: its form, none of the remote's data.
pairing_page() { grep -q 'action="/pair"' "$1" && ! grep -q -e Winamp -e GIF89a -e '"running"' "$1"; }
unpaired=()
for path in / /cgi-bin/tunaro/tunaro '/cgi-bin/tunaro/tunaro?status' /images/play.gif; do
  unpaired+=("$path:$(code_of -A "$browser_agent" "$base$path"):$(pairing_page "$work/body" && echo page)")
done
tunaro_expect "an unpaired browser gets the pairing page with 401 for /, the remote, ?status, an image" \
  [ "${unpaired[*]}" = "/:401:page /cgi-bin/tunaro/tunaro:401:page /cgi-bin/tunaro/tunaro?status:401:page /images/play.gif:401:page" ]
answer=$(curl -s -i -c "$work/jar" --data "code=${code,,}" "$base/pair" | tr -d '\r')
tunaro_expect "the code (any letter case) pairs a curl session: 303 to / with the device cookie" \
  bash -c '[[ $1 == "HTTP/1.1 303 "* && $1 == *"Location: /"* &&
    $1 =~ Set-Cookie:\ tunaro_device=[0-9a-f]{64}\;\ Max-Age=31536000\;\ Path=/\;\ HttpOnly\;\ SameSite=Strict ]]' _ "$answer"
token=$(grep -o 'tunaro_device.[0-9a-f]*' "$work/jar" | cut -c15-)
cookie="tunaro_device=$token"
tunaro_expect "the paired session gets the remote and its JSON" \
  bash -c '[[ $(curl -s -b "$1" "$2") == *"Winamp is Running"* && $(curl -s -b "$1" "$2?status") == *"\"running\": true"* ]]' \
  _ "$cookie" "$remote"
status=$(code_of --data "code=$code" "$base/pair")
tunaro_expect "the same code a second time: 401, the code used" \
  bash -c '[[ $1 == 401 ]] && grep -q "used or has expired" "$2"' _ "$status" "$work/body"

tunaro_expect_suite "the remote through the server (tests/remote/checks.mjs)" \
  env BASE_URL="$base" PLAYER_LOG="$work/player.log" WINE_RUN="$work/wine-run" \
  PROBE="$repo/build/windows/player_probe.exe" ARTIFACTS="${TUNARO_ARTIFACTS:-$repo/build/server-test}" \
  PLAYLIST="$work/site/player/playlist.m3u" LOGIN="$user:$password" LOGIN_SCHEME=Digest START_PATH=/ \
  DEVICE_COOKIE="$cookie" LOOK_ALIKE_HEADERS=kept-out PROGRAM_ALIASES=/cgi-bin/tunaro/tunaro.exe \
  timeout 300 node tests/remote/checks.mjs
location=$(curl -s -o /dev/null -w '%{redirect_url}' -b "$cookie" "$base/")
tunaro_expect "/ leads to the remote" [ "$location" = "$remote" ]

# A code ten minutes old, then five wrong ones from one address (another of
# the loopback's, 127.0.0.2, so that nothing else waits for it).
code=$(pairing_code "$code")
move_clock 601
status=$(code_of --data "code=$code" "$base/pair")
tunaro_expect "an expired code: 401" bash -c '[[ $1 == 401 ]] && grep -q "used or has expired" "$2"' _ "$status" "$work/body"
code=$(pairing_code "$code")
limited=()
for wrong in 2222-2222 3333-3333 4444-4444 5555-5555 6666-6666; do
  limited+=("$(code_of --interface 127.0.0.2 --data "code=$wrong" "$base/pair")")
done
limited+=("$(code_of --interface 127.0.0.2 --data "code=$code" "$base/pair")")
move_clock 61
limited+=("$(code_of --interface 127.0.0.2 --data "code=$code" "$base/pair")")
tunaro_expect "5 wrong codes, then the right one within the minute waits (429), after the minute it pairs" \
  [ "${limited[*]}" = "401 401 401 401 401 429 303" ]
tunaro_expect "every wrong code is in the log with its address" \
  [ "$(grep -cE '^[0-9:]{8}  pairing: a wrong code from 127\.0\.0\.2 ' "$SERVER_OUT")" = 5 ]
# Chromium and Firefox pair from /pair#CODE and stay paired through a restart.
mkdir -p "$work/browsers"
env BASE_URL="$base" SERVER_OUT="$SERVER_OUT" STATE="$work/browsers" LOGIN="$user:$password" \
  timeout 300 node tests/server/pairing.mjs >"$work/browsers.out" 2>&1 &
browsers=$!
for ((i = 0; i < 1200; i++)); do [[ -e $work/browsers/paired ]] && break; sleep 0.1; done

devices="$top/tunaro-devices.txt"
token_hash=$(python3 -c 'import hashlib, sys; print(hashlib.sha256(bytes.fromhex(sys.argv[1])).hexdigest())' "$token")
tunaro_expect "the devices file holds the token's hash, never the token, and is the user's alone" \
  bash -c 'grep -q "^$2	" "$1" && ! grep -q "$3" "$1" && (( 8#$(stat -c %a "$1") % 8 == 0 ))' _ \
  "$devices" "$token_hash" "$token"
tunaro_expect "the console's and the log's lines never hold a code the browsers used" \
  bash -c '! grep -aE "^[0-9]{2}:[0-9]{2}:[0-9]{2}  .*(#|$2)" "$1"' _ "$SERVER_OUT" \
  "$(grep -ao 'pair#[A-Z0-9]\{8\}' "$SERVER_OUT" | cut -c6- | paste -sd'|')"

# (It moves the clock by ten minutes: after the browsers took their codes.)
tunaro_expect_suite "the digest login made whole (tests/server/digest_replay.py)" \
  python3 tests/server/digest_replay.py "$base" "$user:$password" "$clock_shift"

# A restart, with what a kill in the middle of writing the file leaves: the
# old file whole beside a part of the new one.
stop_server
head -c 40 "$devices" >"$devices.new"
start_server "$port" "${serving[@]}"
touch "$work/browsers/restarted"
wait "$browsers" && browsers_ok=yes || browsers_ok=
sed 's/^/     /' "$work/browsers.out"
tunaro_expect_suite "Chromium and Firefox pair, reload, and stay paired through a restart (tests/server/pairing.mjs)" \
  [ -n "$browsers_ok" ]
tunaro_expect "a restart (and a part of a new devices file left) keeps the device" \
  bash -c '[[ $(curl -s -b "$1" "$2") == *"Winamp is Running"* ]]' _ "$cookie" "$remote"

# ---- only its own names ------------------------------------------------------------
name=$(sed -n 's|^  http://\([^:/]*[^0-9.:/][^:/]*\):.*|\1|p' "$SERVER_OUT" | head -n 1)
numeric=$(sed -n 's|^  http://\([0-9.]*\):.*|\1|p' "$SERVER_OUT" | paste -sd' ')
served=()
for named in "$name" "${name,,}.local" "${name,,}" $numeric musik.example localhost "[::1]"; do
  served+=("$named:$(code_of -b "$cookie" -H "Host: $named:$port" "$base/images/play.gif")")
done
tunaro_expect "its name, its .local name, its addresses and an --allow-host name are served" \
  bash -c '! grep -qv ":200$" <<<"$(printf "%s\n" "$@")"' _ "${served[@]}"
misdirected=("$(code_of -H "Host: evil.example:$port" "$base/")"
  "$(code_of -b "$cookie" -H "Host: evil.example:$port" "$remote")"
  "$(code_of --digest -u "$user:$password" -H "Host: evil.example:$port" "$remote")"
  "$(code_of -b "$cookie" -H "Host: $name:$((port + 1))" "$remote")")
tunaro_expect "Host evil.example gets 421 without and with a login, and so does another port" \
  [ "${misdirected[*]}" = "421 421 421 421" ]

# ---- forgetting ------------------------------------------------------------------
set +e
out=$(server --forget-devices 2>&1); code=$?
set -e
tunaro_expect "--forget-devices while the server runs: refused, says to stop it" \
  bash -c '[[ $1 == 1 && $2 == *"stop it"* ]]' _ "$code" "$out"
stop_server
out=$(server --forget-devices)
start_server "$port" "${serving[@]}"
status=$(code_of -b "$cookie" -A "$browser_agent" "$remote")
tunaro_expect "--forget-devices ends every device: the pairing page again" \
  bash -c '[[ $1 == "Forgot "[3-9]" devices"* && $2 == 401 ]] && grep -q "Pair this device" "$3"' _ "$out" "$status" "$work/body"

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
# The console takes the log's queue a few times a second.
request_line() {
  local i
  for ((i = 0; i < 30; i++)); do
    grep -qE '^[0-9]{2}:[0-9]{2}:[0-9]{2}  127\.0\.0\.1 +200  /cgi-bin/tunaro/tunaro' "$SERVER_OUT" && return 0
    sleep 0.1
  done
  return 1
}
tunaro_expect "one line per request: time, address, status, path" request_line

# ---- its log ------------------------------------------------------------------------
log_checks=("the log: a path cannot forge a line or reach the console raw"
  "the log: status polls are counted, not written line by line"
  "the log: kept in tunaro-server.log beside the program")
if tunaro_wanted "${log_checks[@]}"; then
  # (A raw control byte in the request line CivetWeb refuses itself, unlogged.)
  curl -s -o /dev/null --path-as-is "$base/images/x%0d%0a12:00:00%20%20forged%1b%5b2J"
  lines_before=$(wc -l <"$SERVER_OUT")
  for _ in 1 2 3; do curl -s -o /dev/null --digest -u "$user:$password" "$remote?status"; done
  sleep 1  # the log is written every quarter of a second
  log_file="$top/tunaro-server.log"
  tunaro_expect "${log_checks[0]}" bash -c \
    '! grep -qa -e "^12:00:00" -e $'"'"'\e'"'"' "$1" "$2" &&
     grep -qaF "x\x0d\x0a12:00:00  forged\x1b[2J" "$1" && grep -qaF "forged\x1b[2J" "$2"' \
    _ "$SERVER_OUT" "$log_file"
  # (curl's first try of each, without the login, answers 401: a line of its own.)
  tunaro_expect "${log_checks[1]}" bash -c '! tail -n "+$2" "$1" | grep -qa " 200  [^ ]*?status"' \
    _ "$SERVER_OUT" "$((lines_before + 1))"
  tunaro_expect "${log_checks[2]}" \
    grep -qaE '^[0-9]{2}:[0-9]{2}:[0-9]{2}  127\.0\.0\.1 +200  /cgi-bin/tunaro/tunaro'$'\r''$' "$log_file"
fi

# ---- what one client may hold ----------------------------------------------------------
# From 127.0.0.2, while a request from 127.0.0.1 is timed: it must be answered
# within 1 s, and the server's memory stay under 64 MiB (figures printed).
limits() {
  timeout 120 python3 tests/server/connection_limits.py --port "$port" --login "$user:$password" \
    --server-pid "$SERVER_PID" "$@"
}
for check in "idle 64:64 idle connections from one address do not hold another's request" \
  "half 64:64 half-sent request heads do not either" \
  "trickle 4:4 trickling bodies end at their deadline (408), and do not hold another's request" \
  "chunked 300:a 300 MiB chunked GET is refused (411), the memory stays under 64 MiB"; do
  # shellcheck disable=SC2086  # the kind and its amount, two words
  tunaro_expect "${check#*:}" limits ${check%%:*}
done

out=$(server --console --port "$(tunaro_free_port $host)" </dev/null 2>&1)
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

stop_server

# ---- the window ------------------------------------------------------------------------
# Started as the logon start starts it (--tray: only the icon), then as a
# double-click starts it, which brings the first one's window up. The probe
# reads the window's texts; a screenshot of the display, its QR code.
window_checks=("the window: --tray starts it hidden"
  "the window: a second start brings the first one's window up"
  "the window: its QR code carries the pairing page at this machine's IPv4 address, and the code"
  "the window: its text shows the same address and code"
  "the window: the checklist answers each line through the real calls"
  "the window: a request shows in its log"
  "the window: a phone paired with its QR code's code is listed"
  "the window: Forget forgets it: the phone gets the pairing page again"
  "the window: Quit from the tray menu ends the server")
if tunaro_wanted "${window_checks[@]}"; then
  probe() {
    tunaro_wine_env "$work/prefix" wine "$repo/build/windows/player_probe.exe" --class Tunaro.Server \
      "$@" 2>/dev/null | tr -d '\r'
  }
  # The probe's texts, once they hold the line wanted, within 20 s.
  texts_with() {
    local i
    for ((i = 0; i < 40; i++)); do
      texts=$(probe texts) && grep -qxF -- "$1" <<<"$texts" && return 0
      sleep 0.5
    done
    return 1
  }
  ended() {
    local i
    for ((i = 0; i < 300; i++)); do kill -0 "$SERVER_PID" 2>/dev/null || return 0; sleep 0.1; done
    return 1
  }
  port=$(tunaro_free_port $host)
  window_started=$(tunaro_now_ms)
  (tunaro_wine_exec "$work/prefix" wine "$server_exe" --tray --port "$port" </dev/null \
    >"$work/window.out" 2>&1) &
  SERVER_PID=$!
  texts=
  tunaro_expect "${window_checks[0]}" texts_with hidden
  server --port "$(tunaro_free_port $host)" </dev/null >/dev/null 2>&1 || true
  tunaro_expect "${window_checks[1]}" texts_with shown
  echo "     (the window shown $(($(tunaro_now_ms) - window_started)) ms after the first start)"
  xwd -root -display "$TUNARO_WINE_DISPLAY" -silent >"$work/window.xwd"
  decoded=$(zbarimg -q --raw "$work/window.xwd" 2>/dev/null | head -n 1)
  window_code=${decoded##*/pair#}
  window_ok=no
  [[ $window_code =~ ^[A-Z0-9]{8}$ ]] && is_machine_url "${decoded%pair#*}" "$port" && window_ok=yes
  tunaro_expect "${window_checks[2]} ($decoded)" [ "$window_ok" = yes ]
  tunaro_expect "${window_checks[3]}" bash -c 'grep -qxF -- "$2" <<<"$1" &&
    grep -qxF -- "Code: ${3:0:4}-${3:4}" <<<"$1"' _ "$texts" "${decoded%pair#*}" "$window_code"
  # Each line's state, or that Windows did not say: never a crash, never blank.
  tunaro_expect "${window_checks[4]}" bash -c '
    for label in Player Network Firewall Phone; do
      status=$(grep -A1 -x "$label" <<<"$1" | tail -n 1)
      [[ -n $status && $status != "$label" ]] || exit 1
    done
    grep -qx "Winamp is running" <<<"$1"' _ "$texts"
  curl -s -o /dev/null --digest -u "$user:$password" "http://$host:$port/images/play.gif"
  sleep 1  # the window takes the log every quarter of a second
  tunaro_expect "${window_checks[5]}" grep -q '127\.0\.0\.1 *200  /images/play\.gif' <<<"$(probe texts)"
  phone='Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/124.0 Mobile Safari/537.36'
  curl -s -o /dev/null -c "$work/window-jar" -A "$phone" --data "code=$window_code" "http://$host:$port/pair"
  phone_line=$(grep -m1 '^Android, Chrome: paired just now' <<<"$(sleep 1; probe texts)" || true)
  tunaro_expect "${window_checks[6]} ($phone_line)" [ -n "$phone_line" ]
  probe command 2000 >/dev/null  # the first device's Forget
  sleep 1
  status=$(curl -s -o /dev/null -w '%{http_code}' -b "$work/window-jar" -A "$phone" "http://$host:$port/")
  tunaro_expect "${window_checks[7]}" bash -c '[[ $1 == 401 ]] && ! grep -q "^Android, Chrome: paired" <<<"$2"' \
    _ "$status" "$(probe texts)"
  quit_started=$(tunaro_now_ms)
  probe command 40004 >/dev/null
  tunaro_expect "${window_checks[8]}" ended
  echo "     (it ended $(($(tunaro_now_ms) - quit_started)) ms after Quit)"
  SERVER_PID=
fi

echo "server test: $((TUNARO_CHECKS - TUNARO_FAILURES)) passed, $TUNARO_FAILURES failed, in $((($(tunaro_now_ms) - started) / 1000)) s"
((TUNARO_FAILURES == 0))
