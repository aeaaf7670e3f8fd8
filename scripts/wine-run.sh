#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest (the cross build's emulator).
# Now and then Wine fails to start a program at all: it exits non-zero
# within a few hundredths of a second having written nothing (about once in
# a thousand starts on a loaded machine, seen across whole test runs). Every
# program run this way writes something when it runs (a test program its
# banner, a tool its output or error), so a failure with no output at all
# is Wine's, and the program is started once more. A program that runs and
# fails keeps its failure.
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
for attempt in 1 2; do
  wine "$@" >"$out" 2>"$err"
  rc=$?
  if [[ $rc == 0 || -s $out || -s $err ]]; then break; fi
  echo "wine-run: $1 exited $rc with no output; starting it again" >&2
done
cat "$out"
cat "$err" >&2
exit "$rc"
