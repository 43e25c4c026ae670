# The step runner of the test scripts: a longer run as named steps, each
# announced by its name and closed by its time, the first that fails ending
# the script (with that step's status) once the steps still running are done.
# Source it from bash.
#
#   tunaro_step NAME COMMAND [ARGUMENT...]        runs a step and waits for it
#   tunaro_step_start NAME COMMAND [ARGUMENT...]  starts one beside the others,
#                                                 at most TUNARO_STEP_JOBS (2) at once
#   tunaro_steps_wait                             waits for those
#   tunaro_steps_summary                          each step's time, and the total
#
# A step runs in a subshell of its own, with the script's options (set -e
# holds inside a function run as a step): what it sets stays there.

TUNARO_STEP_TIMES=()
TUNARO_STEPS_STARTED=$(date +%s)
TUNARO_STEP_FAILURE=0
declare -gA _TUNARO_STEP_NAME=() _TUNARO_STEP_START=()

tunaro_step() {
  local name=$1 started status=0
  shift
  _tunaro_steps_stop_if_failed
  echo "== $name"
  started=$(date +%s)
  "$@" &
  wait "$!" || status=$?
  _tunaro_step_record "$name" "$started" "$status"
  _tunaro_steps_stop_if_failed
}

tunaro_step_start() {
  local name=$1
  shift
  while ((${#_TUNARO_STEP_NAME[@]} >= ${TUNARO_STEP_JOBS:-2})); do _tunaro_step_reap; done
  _tunaro_steps_stop_if_failed
  echo "== $name"
  "$@" &
  _TUNARO_STEP_NAME[$!]=$name
  _TUNARO_STEP_START[$!]=$(date +%s)
}

tunaro_steps_wait() {
  while ((${#_TUNARO_STEP_NAME[@]} > 0)); do _tunaro_step_reap; done
  _tunaro_steps_stop_if_failed
}

tunaro_steps_summary() {
  echo "== steps"
  printf '%s\n' "${TUNARO_STEP_TIMES[@]}"
  echo "total: $(_tunaro_step_seconds "$TUNARO_STEPS_STARTED")"
}

# Seconds since START as "N s", or "M min S s" from a minute on.
_tunaro_step_seconds() {
  local took=$(($(date +%s) - $1))
  if ((took < 60)); then echo "$took s"; else echo "$((took / 60)) min $((took % 60)) s"; fi
}

# Waits for one of the steps started beside the others to end.
_tunaro_step_reap() {
  local pid status=0
  wait -n -p pid "${!_TUNARO_STEP_NAME[@]}" || status=$?
  _tunaro_step_record "${_TUNARO_STEP_NAME[$pid]}" "${_TUNARO_STEP_START[$pid]}" "$status"
  unset "_TUNARO_STEP_NAME[$pid]" "_TUNARO_STEP_START[$pid]"
}

# Prints how a step ended and keeps its time; the first failure is kept.
_tunaro_step_record() {
  local name=$1 started=$2 status=$3 took
  took=$(_tunaro_step_seconds "$started")
  if ((status == 0)); then
    echo "ok   $name ($took)"
    TUNARO_STEP_TIMES+=("ok   $took  $name")
  else
    echo "FAIL $name (exit $status, $took)" >&2
    TUNARO_STEP_TIMES+=("FAIL $took  $name")
    ((TUNARO_STEP_FAILURE != 0)) || TUNARO_STEP_FAILURE=$status
  fi
}

# After a failure: lets the steps still running end, then ends the script.
_tunaro_steps_stop_if_failed() {
  ((TUNARO_STEP_FAILURE != 0)) || return 0
  while ((${#_TUNARO_STEP_NAME[@]} > 0)); do _tunaro_step_reap; done
  tunaro_steps_summary >&2
  exit "$TUNARO_STEP_FAILURE"
}
