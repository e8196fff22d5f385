# Background steps for the test command, sourced by scripts/test.sh: a step runs with
# its output in a log file of its own, so that it never interleaves with the steps in
# the foreground, and its exit status is collected when it is waited for.

# start_in_background LOG COMMAND...: runs COMMAND in the background, output to LOG;
# its process id goes to $background_pid.
start_in_background() {
  log=$1
  shift
  "$@" >"$log" 2>&1 &
  background_pid=$!
}

# finish_background NAME LOG PID: waits for the step; on success says so in one line,
# on failure shows the end of its log and its exit status on standard error and
# returns 1.
finish_background() {
  status=0
  wait "$3" || status=$?
  if [ "$status" -eq 0 ]; then
    echo "$1: done (log in $2)"
    return 0
  fi
  tail -n 60 "$2" >&2
  echo "$1: FAILED with exit status $status (log in $2)" >&2
  return 1
}
