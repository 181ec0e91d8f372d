#!/usr/bin/env bash
# Runs the built program the ways a user may run it, and the ways its output may fail, and
# checks for each the exact bytes on standard output and standard error and the exit status.
#
# Usage: program_test.sh PROGRAM [CASE...]   runs the named cases, or every case
#        program_test.sh --list              prints the names of the cases
#
# Prints a line for each case: ok, FAIL, or skip with the reason where this machine lacks what
# the case needs. A case is skipped, never failed, for these reasons alone:
# - strace is not installed, or may not trace processes here;
# - there is no character device /dev/full;
# - env cannot start the program with SIGPIPE at its default (GNU coreutils 8.31 or later can).
# Exit status: 0 when every case ran and passed, 1 when one failed, 77 when none failed but one
# was skipped, 2 for a usage error.

# The case functions are called by name, which shellcheck cannot follow: older versions call
# their bodies unreachable (SC2317), newer ones the functions never invoked (SC2329).
# shellcheck disable=SC2317,SC2329
set -u

usage() {
  printf 'usage: %s PROGRAM [CASE...]\n       %s --list\n' "$0" "$0"
}

answer=$'33\n'

# --- Helpers for the cases. Each case runs the program with its standard output in $out and
# its standard error in $err, then calls expect; a case that cannot run here calls skip.

failures=""
skip_reason=""

# expect STATUS STDOUT STDERR: compares the run just made (its status in $?, its output in
# $out and $err) with what it should have been. Call it straight after the run.
expect() {
  local status=$?
  printf '%s' "$2" >"$work/want_out"
  printf '%s' "$3" >"$work/want_err"
  if [[ $status -eq $1 ]] && cmp -s "$work/want_out" "$out" && cmp -s "$work/want_err" "$err"; then
    return
  fi
  failures+=$(
    printf '  status %s (want %s)\n' "$status" "$1"
    printf '  stdout: %q (want %q)\n' "$(cat "$out"; printf .)" "$2."
    printf '  stderr: %q (want %q)' "$(cat "$err"; printf .)" "$3."
  )$'\n'
}

fail() {
  failures+="  $1"$'\n'
}

skip() {
  skip_reason=$1
}

# Runs "$@" with standard output on a pipe that nobody reads any more. The pipe is opened for
# reading and writing first, so that opening it for writing does not wait for a reader, and the
# reading end is closed before the command starts: its first write finds the reader gone.
run_with_reader_gone() {
  local fifo=$work/fifo
  rm -f "$fifo"
  mkfifo "$fifo" || return
  # shellcheck disable=SC2094 # both ends are opened, one after the other, on purpose
  (exec 3<>"$fifo" 4>"$fifo" 3<&- && exec "$@" >&4 4>&-) 2>"$err"
}

# Says whether strace can trace the program here, and skips the case when it cannot.
can_trace() {
  if ! command -v strace >/dev/null; then
    skip "strace is not installed (Debian package strace)"
    return 1
  fi
  if ! strace -o /dev/null true 2>/dev/null; then
    skip "strace may not trace processes on this machine"
    return 1
  fi
}

# traced STRACE_OPTION...: runs the program under strace. LeakSanitizer cannot work under a
# tracer, so a sanitizer build has its leak check turned off for these runs.
traced() {
  ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0 strace "$@" "$program"
}

# call_number SYSCALL: prints which SYSCALL call of a run, counting from 1, is the program's
# first on standard output, as strace's when= counts. Counting keeps a call made at start-up
# (a loader's close, a sanitizer's write) from taking the fault meant for the output.
call_number() {
  traced -o "$work/trace" -e trace="$1" >"$work/trace_out" 2>&1
  awk -v name="$1" '
    index($0, name "(") == 1 { count++ }
    index($0, name "(1,") == 1 || index($0, name "(1)") == 1 { print count; exit }
  ' "$work/trace"
}

# plan_faults SYSCALL:FAULT...: sets $faults to strace's options for making the first call of
# each SYSCALL on standard output fail as FAULT says (error=ENOSPC, retval=4), and no other
# call, so that the message about it still gets out. Returns non-zero where the case cannot go
# on: it is skipped where strace cannot trace, failed where the program made no such call.
plan_faults() {
  can_trace || return
  local fault syscall number
  faults=()
  for fault in "$@"; do
    syscall=${fault%%:*}
    number=$(call_number "$syscall")
    if [[ -z $number ]]; then
      fail "a traced run made no $syscall call on standard output"
      return 1
    fi
    faults+=(-e "inject=$fault:when=$number")
  done
}

# Runs the program with the faults plan_faults set; its writes and closes go to $work/trace.
run_with_faults() {
  traced -o "$work/trace" -e trace=write,close "${faults[@]}" >"$out" 2>"$err"
}

# --- The cases: case_NAME is the case NAME.

case_plain_run() {
  "$program" >"$out" 2>"$err"
  expect 0 "$answer" ""
}

case_arguments_are_ignored() {
  "$program" --help -x 7 'two words' '' >"$out" 2>"$err"
  expect 0 "$answer" ""
}

case_empty_environment() {
  env -i "$program" >"$out" 2>"$err"
  expect 0 "$answer" ""
}

case_locale_and_other_variables_are_ignored() {
  LC_ALL=de_DE.UTF-8 LANG=fr_FR.UTF-8 POSIXLY_CORRECT=1 "$program" >"$out" 2>"$err"
  expect 0 "$answer" ""
}

case_standard_input_closed() {
  "$program" <&- >"$out" 2>"$err"
  expect 0 "$answer" ""
}

case_standard_input_empty() {
  "$program" </dev/null >"$out" 2>"$err"
  expect 0 "$answer" ""
}

case_standard_input_with_data_is_ignored() {
  printf '1 2 3 4\n' | "$program" >"$out" 2>"$err"
  expect 0 "$answer" ""
}

case_two_runs_print_the_same() {
  "$program" >"$out" 2>"$err"
  expect 0 "$answer" ""
  "$program" >"$out" 2>"$err"
  expect 0 "$answer" ""
}

case_standard_output_full() {
  if [[ ! -c /dev/full ]]; then
    skip "this machine has no /dev/full"
    return
  fi
  "$program" >/dev/full 2>"$err"
  expect 1 "" $'selection: write error: No space left on device\n'
}

case_standard_output_closed() {
  "$program" >&- 2>"$err"
  expect 1 "" $'selection: write error: Bad file descriptor\n'
}

case_reader_gone_with_sigpipe_ignored() {
  (
    trap '' PIPE
    run_with_reader_gone "$program"
  )
  expect 1 "" $'selection: write error: Broken pipe\n'
}

case_reader_gone_with_sigpipe_default() {
  # The shell that runs this may have been started with SIGPIPE ignored, which it cannot undo.
  if ! env --default-signal=PIPE true 2>/dev/null; then
    skip "env here cannot set SIGPIPE to its default (it needs GNU coreutils 8.31 or later)"
    return
  fi
  run_with_reader_gone env --default-signal=PIPE "$program"
  expect $((128 + 13)) "" ""
}

case_output_is_one_write_and_one_close() {
  can_trace || return
  traced -o "$work/trace" -e trace=write,close >"$out" 2>"$err"
  expect 0 "$answer" ""
  local calls
  calls=$(grep -E '^(write|close)\(1[,)]' "$work/trace" | tr -s ' ')
  if [[ $calls != $'write(1, "33\\n", 3) = 3\nclose(1) = 0' ]]; then
    fail "calls on standard output: $(printf '%q' "$calls")"
  fi
}

case_close_fails() {
  # EDQUOT, which nothing else in the run produces: a close reported with the reason that the
  # fallback gives (EIO) would not pass.
  plan_faults close:error=EDQUOT || return
  run_with_faults
  expect 1 "$answer" $'selection: write error: Disk quota exceeded\n'
}

case_write_fails_with_eio() {
  plan_faults write:error=EIO || return
  run_with_faults
  expect 1 "" $'selection: write error: Input/output error\n'
}

case_write_fails_with_enospc() {
  plan_faults write:error=ENOSPC || return
  run_with_faults
  expect 1 "" $'selection: write error: No space left on device\n'
}

case_write_claims_more_than_it_was_given() {
  # The stream fails, yet no call sets errno: the message gives EIO, not "Success".
  plan_faults write:retval=4 || return
  run_with_faults
  expect 1 "" $'selection: write error: Input/output error\n'
}

case_write_and_close_both_fail() {
  plan_faults write:error=ENOSPC close:error=EDQUOT || return
  run_with_faults
  expect 1 "" $'selection: write error: No space left on device\n'
  if grep -q '^close(1)' "$work/trace"; then
    fail "standard output was closed after the write failed"
  fi
}

# --- The driver.

list_cases() {
  declare -F | awk '$3 ~ /^case_/ { print substr($3, 6) }'
}

if [[ $# -eq 1 && $1 == --list ]]; then
  list_cases
  exit 0
fi
if [[ $# -eq 0 || $1 == -* ]]; then
  usage >&2
  exit 2
fi
program=$1
shift
if [[ ! -f $program || ! -x $program ]]; then
  printf '%s: %s is not an executable file\n' "$0" "$program" >&2
  exit 2
fi
if [[ $program != */* ]]; then
  program=./$program
fi

cases=("$@")
if ((${#cases[@]} == 0)); then
  while IFS= read -r name; do
    cases+=("$name")
  done < <(list_cases)
fi
for name in "${cases[@]}"; do
  if ! declare -F "case_$name" >/dev/null; then
    printf '%s: no case named %s; --list names them\n' "$0" "$name" >&2
    exit 2
  fi
done

work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
out=$work/out
err=$work/err
passed=0
failed=0
skipped=0

for name in "${cases[@]}"; do
  failures=""
  skip_reason=""
  : >"$out"
  : >"$err"
  "case_$name"
  if [[ -n $failures ]]; then
    printf 'FAIL  %s\n%s' "$name" "$failures"
    failed=$((failed + 1))
  elif [[ -n $skip_reason ]]; then
    printf 'skip  %s: %s\n' "$name" "$skip_reason"
    skipped=$((skipped + 1))
  else
    printf 'ok    %s\n' "$name"
    passed=$((passed + 1))
  fi
done

printf '%d passed, %d failed, %d skipped\n' "$passed" "$failed" "$skipped"
if ((failed > 0)); then
  exit 1
fi
if ((skipped > 0)); then
  exit 77
fi
exit 0
