#!/usr/bin/env bash
# Browser benchmark of the control page: the plain page (the shipped header
# without its script line, as every browser without JavaScript gets it)
# against the enhanced page (the shipped header), side by side in one run, in
# headless Chromium, through lighttpd and tunaro.exe under Wine, with the
# stand-in player's generated playlists of 0, 1,000, 10,000 and 100,000
# entries. It prints figures and judges nothing.
#
#   bench/browser/run.sh [--rounds N] [--entries "0 1000 10000 100000"]
#
# Everything it starts (lighttpd, the stand-in player, Wine in a private
# prefix, Chromium) is stopped at the end by process id and by the prefix.
set -euo pipefail
cd "$(dirname "$0")/../.."
repo=$(pwd)

rounds=5
sizes="0 1000 10000 100000"
while (($#)); do
  case $1 in
    --rounds)
      rounds=$2
      shift 2
      ;;
    --entries)
      sizes=$2
      shift 2
      ;;
    *)
      echo "usage: bench/browser/run.sh [--rounds N] [--entries \"0 1000 10000 100000\"]" >&2
      exit 2
      ;;
  esac
done

# shellcheck source=../../tests/lib/lib.sh
source tests/lib/lib.sh

cmake --preset windows >/dev/null
cmake --build --preset windows >/dev/null
tunaro_browser_modules

tunaro_work_dir browser-bench
work=$TUNARO_WORK

tunaro_prefix_make "$work/prefix"
host=127.0.0.1
site=$work/site
tunaro_tree_install "$site" "$work/prefix" "$host" "$(tunaro_free_port "$host")" "$repo/build/windows"

# The plain page: a second copy of the program whose header lacks the script
# line, at /cgi-bin/plain/tunaro.
plain=$site/cgi-bin/plain
mkdir -p "$plain"
cp "$site/cgi-bin/tunaro/tunaro.exe" "$plain/"
grep -v 'tunaro\.js' demo/header.html >"$plain/header.html"
cp demo/footer.html "$plain/"
T_WIN_DIR=$(tunaro_winpath "$plain") perl -pe \
  's/^(HEADERFILE|FOOTERFILE) C:\\inetpub\\cgi-bin\\tunaro\\/$1 $ENV{T_WIN_DIR}\\/; s{^WWWPATH .*}{WWWPATH /cgi-bin/plain/}' \
  demo/tunaro.conf.sample >"$plain/tunaro.conf"
sed "s|$site/cgi-bin/tunaro/tunaro.exe|$plain/tunaro.exe|" "$site/cgi-bin/tunaro/tunaro.sh" >"$plain/tunaro.sh"
chmod +x "$plain/tunaro.sh"

started=
for _ in 1 2 3; do
  port=$(tunaro_free_port "$host")
  tunaro_lighttpd_configure "$site" "$host" "$port"
  printf '\nalias.url += ( "/cgi-bin/plain/tunaro" => "%s/tunaro.sh" )\n' "$plain" >>"$site/lighttpd.conf"
  if tunaro_lighttpd_start "$site" "$host" "$port"; then
    started=yes
    break
  fi
done
[[ -n $started ]] || tunaro_die "lighttpd did not start on a free port"

results=$work/results.jsonl
echo "browser bench: $rounds rounds; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for entries in $sizes; do
  tunaro_player_start "$site" "$work/prefix" --entries "$entries" >/dev/null
  BASE_URL=http://$host:$port ENTRIES=$entries ROUNDS=$rounds RESULTS=$results \
    timeout 1800 node bench/browser/page-bench.mjs
  kill "$TUNARO_PLAYER_PID" 2>/dev/null || true
  wait "$TUNARO_PLAYER_PID" 2>/dev/null || true
  TUNARO_PLAYER_PID=
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
node bench/browser/page-bench.mjs --report "$results"
