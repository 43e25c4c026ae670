#!/usr/bin/env bash
# Load test through a real lighttpd on 127.0.0.1: a private demo instance (its
# own temporary folder, Wine prefix and free port; tunaro.exe under Wine; the
# stand-in player with a long generated playlist and its message log), then
# tests/load/load_test.py with C clients at once for a bounded number of
# requests. Everything started here is stopped at the end, pass or fail, by
# process id and by the private prefix.
#
#   tests/load/run.sh [--exe tunaro.exe|tunaro_unlocked.exe] [--compare]
#                     [--clients C] [--requests N] [--entries M] [--seed S]
#                     [--expect-races] [--results DIR] [-k PATTERN]
#
# --exe tunaro_unlocked.exe   the build without the playlist lock; implies
#                             --expect-races: pages with missing or wrong
#                             titles are counted, not failed
# --compare                   on one instance, first the unlocked build
#                             (informational), then tunaro.exe (must pass)
# --results DIR               the figures of each run as DIR/<exe>.json
# -k PATTERN                  only the runs whose names match ("the load test
#                             of tunaro.exe", "... of tunaro_unlocked.exe")
#
# Exit status: non-zero when a check of a run that is not informational fails,
# or when the instance cannot be set up. The lighttpd logs, the player's log
# and up to 10 failing pages of each run are left in build/load-test/ (or
# $TUNARO_ARTIFACTS).
set -euo pipefail
cd "$(dirname "$0")/../.."
repo=$(pwd)

exe=tunaro.exe
compare=0
clients=16
requests=320
entries=2000
seed=1
expect_races=0
results=
usage() {
  sed -n '9,11p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}
while (($#)); do
  case $1 in
    --exe) exe=${2:?}; shift 2 ;;
    --compare) compare=1; shift ;;
    --clients) clients=${2:?}; shift 2 ;;
    --requests) requests=${2:?}; shift 2 ;;
    --entries) entries=${2:?}; shift 2 ;;
    --seed) seed=${2:?}; shift 2 ;;
    --expect-races) expect_races=1; shift ;;
    --results) results=${2:?}; shift 2 ;;
    -k) export TUNARO_FILTER=${2:?}; shift 2 ;;
    *) usage ;;
  esac
done
case $exe in
  tunaro.exe | tunaro_unlocked.exe) ;;
  *) usage ;;
esac
for number in "$clients" "$requests" "$entries" "$seed"; do
  [[ $number =~ ^[0-9]+$ ]] || usage
done
((clients >= 1 && clients <= 64 && requests >= 1 && requests <= 5000 && entries >= 1 && entries <= 20000)) ||
  { echo "run.sh: --clients 1..64, --requests 1..5000, --entries 1..20000" >&2; exit 2; }
[[ -z $results ]] || { mkdir -p "$results" && results=$(cd "$results" && pwd); }

# shellcheck source=../lib/lib.sh
source tests/lib/lib.sh

started=$(tunaro_now_ms)
build=$repo/build/windows
if [[ ! -f $build/tunaro.exe || ! -f $build/tunaro_unlocked.exe || ! -f $build/standin_player.exe ||
  ! -f $TUNARO_CONSTANTS ]]; then
  cmake --preset windows >/dev/null
  cmake --build --preset windows >/dev/null
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/tunaro-load.XXXXXX")
artifacts=${TUNARO_ARTIFACTS:-$repo/build/load-test}
rm -rf "$artifacts"

cleanup() {
  local code=$?
  trap - EXIT INT TERM HUP
  tunaro_stop
  if [[ -d $work/site/logs ]]; then
    mkdir -p "$artifacts"
    cp -r "$work/site/logs" "$artifacts/lighttpd-logs" 2>/dev/null || true
    cp "$work/player.log" "$work/player.out" "$artifacts/" 2>/dev/null || true
    cp -r "$work/bad-pages" "$artifacts/" 2>/dev/null || true
    ((code == 0)) || echo "load test: logs and failing pages in $artifacts" >&2
  fi
  rm -rf "$work"
  exit "$code"
}
tunaro_on_exit cleanup

host=127.0.0.1

tunaro_prefix_make "$work/prefix"
tunaro_tree_install "$work/site" "$work/prefix" "$host" "$(tunaro_free_port "$host")" "$build"
: >"$work/player.log"
tunaro_player_start "$work/site" "$work/prefix" --entries "$entries" \
  --log "$(tunaro_winpath "$work/player.log")" >"$work/player.out"
tunaro_lighttpd_start_anywhere "$work/site" "$host"
port=$TUNARO_PORT
echo "load test: demo instance on http://$host:$port, $entries entries, ready in" \
  "$((($(tunaro_now_ms) - started) / 1000)) s"

# One load run with the given build of the program in place of tunaro.exe.
# The client tells a hang from a slow machine by progress: it fails only
# when a request gets nothing, or no request finishes, for 180 s. `timeout`
# only guards against the client itself hanging.
run_load() {
  local program=$1 informational=$2
  local options=()
  cp "$build/$program" "$work/site/cgi-bin/tunaro/tunaro.exe"
  ((informational)) && options+=(--expect-races)
  [[ -n $results ]] && options+=(--json "$results/${program%.exe}.json")
  timeout 1800 python3 tests/load/load_test.py \
    --base-url "http://$host:$port" \
    --playlist-file "$TUNARO_PLAYLIST_FILE" \
    --player-log "$work/player.log" --entries "$entries" \
    --clients "$clients" --requests "$requests" --seed "$seed" \
    --stall-seconds 180 --label "$program" \
    --keep-bad "$work/bad-pages/${program%.exe}" "${options[@]}"
}

load() {
  local name="the load test of $1"
  if tunaro_wanted "$name"; then tunaro_step "$name" run_load "$@"; fi
}
if ((compare)); then
  load tunaro_unlocked.exe 1
  load tunaro.exe "$expect_races"
else
  informational=$expect_races
  [[ $exe == tunaro_unlocked.exe ]] && informational=1
  load "$exe" "$informational"
fi

if ! kill -0 "$TUNARO_PLAYER_PID" 2>/dev/null; then
  echo "load test: the stand-in player is no longer running" >&2
  exit 1
fi
