#!/bin/sh
# The test command's background steps (scripts/background.sh): each step's own exit
# status reaches the caller, a failure shows the end of the step's log, and waiting
# really waits for the step to end.
# Usage: background-test.sh SCRIPTS_DIR
set -eu
. "$1/background.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
fail() { echo "FAIL: $*" >&2; exit 1; }

# A step that succeeds: one line on standard output, nothing on standard error.
start_in_background "$work/ok.log" sh -c 'echo built'
finish_background ok "$work/ok.log" "$background_pid" >"$work/out" 2>"$work/err" ||
  fail "a step that succeeded was reported as failed"
grep -q "ok: done" "$work/out" || fail "no line for a step that succeeded: $(cat "$work/out")"
[ ! -s "$work/err" ] || fail "a step that succeeded wrote to standard error: $(cat "$work/err")"
grep -qx built "$work/ok.log" || fail "the step's output is not in its log"

# A slow step that fails and a quick one that succeeds, started in that order and
# waited for in that order: each gets its own status, whichever ended first.
start_in_background "$work/slow.log" sh -c 'sleep 1; echo "error: no such file"; exit 3'
slow=$background_pid
start_in_background "$work/quick.log" true
quick=$background_pid
if finish_background slow "$work/slow.log" "$slow" >"$work/out" 2>"$work/err"; then
  fail "a step that exited with 3 was reported as done"
fi
grep -q "error: no such file" "$work/err" || fail "the failed step's log was not shown"
grep -q "slow: FAILED with exit status 3" "$work/err" || fail "no failure line: $(cat "$work/err")"
finish_background quick "$work/quick.log" "$quick" >/dev/null ||
  fail "the quick step took the slow step's failure"

# Waiting waits: what the step writes last is in its log once it has been waited for.
start_in_background "$work/late.log" sh -c 'sleep 1; echo last line'
finish_background late "$work/late.log" "$background_pid" >/dev/null || fail "late step failed"
grep -qx "last line" "$work/late.log" || fail "finish_background returned before the step ended"
echo "background steps: all checks passed"
