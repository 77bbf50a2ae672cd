#!/usr/bin/env bash
# The emulator of the Windows build (mingw-w64-x86_64.cmake), which runs each
# test program, and lists each program's tests, under Wine:
#
#   wine_run.sh LOADER PROGRAM [ARGUMENT...]
#
# runs PROGRAM with Wine's LOADER (WINEPREFIX and WINEDEBUG set by the caller)
# and exits with its status. On a busy machine (CI tests this build while the
# next target compiles) Wine now and then fails to start a program: its
# server drops the new process before the program runs, and the loader prints
# "wine client error:0: recvmsg: Connection reset by peer", or nothing, and
# fails. The test then fails although none of it ran, a different test each
# time. Such a start, and only such a one, is tried again, three tries in all:
# a program that printed anything of its own, or that succeeded, keeps its
# result.
set -u
loader=$1
shift
printed=$(mktemp) && errors=$(mktemp) && status_file=$(mktemp) || exit 1
trap 'rm -f "$printed" "$errors" "$status_file"' EXIT

tries=3
for ((try = 1; ; ++try)); do
  # What the program prints goes on as it comes, and is kept to be read.
  {
    "$loader" "$@" 2>&1 1>&3 3>&- | tee "$errors" >&2 3>&-
    echo "${PIPESTATUS[0]}" >"$status_file"
  } 3>&1 | tee "$printed"
  status=$(cat "$status_file")
  ((status != 0)) || exit 0
  # Output of the program's own, or of Wine beyond the failed start: it ran.
  if [[ -s $printed ]] || grep -q -v '^wine client error:' "$errors" || ((try == tries)); then
    exit "$status"
  fi
  echo "wine_run.sh: Wine did not start $1 (status $status, try $try of $tries), trying again" >&2
  sleep 1
done
