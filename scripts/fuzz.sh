#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) and runs each for a bounded time, two
# at a time, starting from a scratch copy of its seeds in
# fuzz/corpus/<target>/ so the committed seeds stay as they are. Prints one
# line per target; the first target that crashes ends the run once the one
# beside it is done, its reproducers and log kept in build/fuzz/findings/.
#
#   scripts/fuzz.sh [seconds_per_target] [TARGET...]    (default 60; every target)
#
# TARGET is a target's name, e.g. url_decode (fuzz/url_decode_fuzzer.cc).
# Re-run one finding: build/fuzz/fuzz/<target> build/fuzz/findings/<target>/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=../tests/lib/steps.sh
source tests/lib/steps.sh

seconds=${1:-60}
if ! [[ $seconds =~ ^[0-9]+$ ]] || ((seconds == 0)); then
  echo "usage: scripts/fuzz.sh [seconds_per_target] [TARGET...]" >&2
  exit 2
fi
shift $(($# > 0 ? 1 : 0))
targets=()
for source in fuzz/*_fuzzer.cc; do
  name=$(basename "$source" _fuzzer.cc)
  if (($# == 0)) || [[ " ${*%_fuzzer} " == *" $name "* ]]; then targets+=("$name"); fi
done
if (($# > ${#targets[@]})) || ((${#targets[@]} == 0)); then
  echo "fuzz: the targets are: $(basename -s _fuzzer.cc fuzz/*_fuzzer.cc | tr '\n' ' ')" >&2
  exit 2
fi

build=build/fuzz
findings=$build/findings
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

build_targets() {
  cmake --preset fuzz >/dev/null
  # Only the fuzz targets: the unit tests of this tree are built by scripts/test.sh.
  cmake --build "$build" --target tunaro_fuzzers -j2 >/dev/null
}
tunaro_step "build the fuzz targets" build_targets

# One target's run: its line of figures, and its findings kept when it
# failed (then it fails too).
fuzz_one() {
  local name=$1 target=$1_fuzzer
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
    mkdir -p "$findings/$name"
    cp "$log" "$findings/$name/"
    cp -R "$work/artifacts/$name/." "$findings/$name/" 2>/dev/null || true
  fi
  printf '%-16s %-22s execs %-10s (%s/s)  %s\n' "$name" "$verdict" "${execs:-?}" "${rate:-?}" \
    "${cov:-cov: ?}"
  if ((status != 0)); then
    echo "fuzz: $name crashed; reproducer and log in $findings/$name/" >&2
    grep -m 3 -E 'check failed|ERROR: |SUMMARY: |runtime error' "$log" | sed "s/^/  $name: /" >&2 || true
    return 1
  fi
}

# Two targets at a time, one a core.
for name in "${targets[@]}"; do
  tunaro_step_start "fuzz $name for $seconds s" fuzz_one "$name"
done
tunaro_steps_wait
