#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) and runs each for a bounded time,
# starting from a scratch copy of its seeds in fuzz/corpus/<target>/ so the
# committed seeds stay as they are. Prints one line per target and fails when
# any target crashed; reproducers and logs are kept in build/fuzz/findings/.
#
#   scripts/fuzz.sh [seconds_per_target]     (default 60)
#
# Re-run one finding: build/fuzz/fuzz/<target> build/fuzz/findings/<target>/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
if ! [[ $seconds =~ ^[0-9]+$ ]] || ((seconds == 0)); then
  echo "usage: scripts/fuzz.sh [seconds_per_target]" >&2
  exit 2
fi

build=build/fuzz
cmake --preset fuzz >/dev/null
# Only the fuzz targets: the unit tests of this tree are built by scripts/test.sh.
cmake --build "$build" --target tunaro_fuzzers -j2 >/dev/null

findings=$build/findings
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One target's run: its line of figures into $work/<name>.line, and its
# findings kept when it failed.
fuzz_one() {
  local target=$1 name=${1%_fuzzer}
  local corpus=$work/corpus/$name log=$work/$name.log status=0 verdict
  mkdir -p "$corpus" "$work/artifacts/$name"
  if [[ -d fuzz/corpus/$name ]]; then cp -R "fuzz/corpus/$name/." "$corpus/"; fi
  "$build/fuzz/$target" "$corpus" \
    -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/$name/" >"$log" 2>&1 || status=$?

  local execs rate cov
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  cov=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+' "$log" | tail -n 1 || true)
  if ((status == 0)); then
    verdict=ok
  else
    verdict="CRASH (exit $status)"
    touch "$work/$name.failed"
    mkdir -p "$findings/$name"
    cp "$log" "$findings/$name/"
    cp -R "$work/artifacts/$name/." "$findings/$name/" 2>/dev/null || true
  fi
  printf '%-16s %-22s execs %-10s (%s/s)  %s\n' "$name" "$verdict" "${execs:-?}" "${rate:-?}" \
    "${cov:-cov: ?}" >"$work/$name.line"
}

# Two targets at a time, one a core.
running=0
for source in fuzz/*_fuzzer.cc; do
  if ((running == 2)); then
    wait -n
    running=$((running - 1))
  fi
  fuzz_one "$(basename "$source" .cc)" &
  running=$((running + 1))
done
wait

failed=()
for source in fuzz/*_fuzzer.cc; do
  name=$(basename "$source" _fuzzer.cc)
  cat "$work/$name.line"
  [[ -e $work/$name.failed ]] && failed+=("$name")
done

if ((${#failed[@]} > 0)); then
  echo "fuzz: crashes in ${failed[*]}; reproducers and logs in $findings/" >&2
  for name in "${failed[@]}"; do
    grep -m 3 -E 'check failed|ERROR: |SUMMARY: |runtime error' "$findings/$name/$name.log" \
      | sed "s/^/  $name: /" >&2 || true
  done
  exit 1
fi
