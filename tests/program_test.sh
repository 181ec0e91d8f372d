#!/usr/bin/env bash
# Runs the built program the ways a user may run it and checks, for each, the exact bytes on
# standard output and standard error and the exit status.
# Usage: program_test.sh PATH_TO_SELECTION
set -u

program=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=$work/out
err=$work/err
passed=0
failed=0

# expect NAME STATUS STDOUT STDERR: compares the run just made (its status in $?, its output in
# $out and $err) with what it should have been. Call it straight after the run.
expect() {
  local status=$?
  printf '%s' "$3" >"$work/want_out"
  printf '%s' "$4" >"$work/want_err"
  if [[ $status -eq $2 ]] && cmp -s "$work/want_out" "$out" && cmp -s "$work/want_err" "$err"; then
    printf 'ok    %s\n' "$1"
    passed=$((passed + 1))
    return
  fi
  printf 'FAIL  %s: status %s (want %s)\n' "$1" "$status" "$2"
  printf '  stdout: %q (want %q)\n' "$(cat "$out"; printf .)" "$3."
  printf '  stderr: %q (want %q)\n' "$(cat "$err"; printf .)" "$4."
  failed=$((failed + 1))
}

answer=$'33\n'

"$program" >"$out" 2>"$err"
expect "plain run" 0 "$answer" ""

"$program" --help -x 7 'two words' '' >"$out" 2>"$err"
expect "arguments are ignored" 0 "$answer" ""

env -i "$program" >"$out" 2>"$err"
expect "empty environment" 0 "$answer" ""

LC_ALL=de_DE.UTF-8 LANG=fr_FR.UTF-8 POSIXLY_CORRECT=1 "$program" >"$out" 2>"$err"
expect "locale and other variables are ignored" 0 "$answer" ""

"$program" <&- >"$out" 2>"$err"
expect "standard input closed" 0 "$answer" ""

"$program" </dev/null >"$out" 2>"$err"
expect "standard input empty" 0 "$answer" ""

printf '1 2 3 4\n' | "$program" >"$out" 2>"$err"
expect "standard input with data is ignored" 0 "$answer" ""

# The first run above printed exactly these bytes too.
"$program" >"$out" 2>"$err"
expect "a second run prints the same" 0 "$answer" ""

: >"$out"
"$program" >/dev/full 2>"$err"
expect "standard output full" 1 "" $'selection: write error: No space left on device\n'

: >"$out"
"$program" >&- 2>"$err"
expect "standard output closed" 1 "" $'selection: write error: Bad file descriptor\n'

printf '%d passed, %d failed\n' "$passed" "$failed"
[[ $failed -eq 0 ]]
