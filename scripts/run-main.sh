#!/usr/bin/env bash
# The main job: tavrisol.exe starts Wine's Notepad at a rectangle; a second run finds that Notepad
# running and moves it. After each run the script prints where Notepad's windows are, and at the
# end it closes Notepad. Every Wine call has a time limit and writes to a file, never a pipe.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
. "$here/env.sh"
bash "$here/display.sh" || exit 1

build=${TAVRISOL_BUILD_DIR:-$root/build/win}
for f in tavrisol.exe winrect.exe; do
  [ -f "$build/$f" ] || { echo "run-main: $build/$f is missing (make build-win)"; exit 1; }
done
# The path Wine reports for the Notepad started from it, so the second run finds it running.
notepad='C:\windows\notepad.exe'
tavrisol_win="Z:$(echo "$build/tavrisol.exe" | tr / '\\')"

work=$(mktemp -d /tmp/tavrisol-run.XXXXXX)
trap 'rm -rf "$work"' EXIT

# win LIMIT PROGRAM ARGS...: runs a Windows program, then prints its output.
win() {
  local limit=$1
  shift
  timeout -k 5 "$limit" wine "$@" >"$work/out" 2>&1 </dev/null
  local rc=$?
  cat "$work/out"
  return $rc
}

# place RECT: one placement run; prints its exit value and returns 0 when it is 1 (placed).
place() {
  echo "== tavrisol.exe $1 $notepad"
  timeout -k 5 60 wine "$build/tavrisol.exe" "$1" "$notepad" >"$work/run" 2>&1 </dev/null &
  local job=$!
  for _ in $(seq 1 60); do
    kill -0 "$job" 2>/dev/null || break
    sleep 0.5
  done
  if kill -0 "$job" 2>/dev/null; then
    # Most likely a message box waits for a click: show it, then end the run.
    echo "tavrisol.exe still runs after 30 s; its windows:"
    win 20 "$build/winrect.exe" show "$tavrisol_win"
    win 20 "$build/winrect.exe" close "$tavrisol_win" >/dev/null
  fi
  wait "$job"
  local rc=$?
  echo "exit value $rc (1 = placed, 0 = failure reported)"
  [ "$rc" -eq 1 ]
}

# where RECT: prints Notepad's windows; returns 0 when its visible window is at RECT.
where() {
  local left top width height
  IFS=, read -r left top width height <<<"$1"
  echo "-- Notepad's windows (asked for left $left top $top width $width height $height):"
  win 20 "$build/winrect.exe" show "$notepad"
  grep -q "visible left $left top $top width $width height $height " "$work/out"
}

status=0
win 20 "$build/winrect.exe" close "$notepad" >/dev/null  # a Notepad left from an earlier run

first=100,80,800,600
second=240,160,720,540
place "$first" || status=1
where "$first" || { echo "Notepad is not where it was asked to be"; status=1; }
pid_before=$(sed -n 's/^process \([0-9]*\) .*/\1/p' "$work/out" | head -1)

place "$second" || status=1
where "$second" || { echo "Notepad is not where it was asked to be"; status=1; }
pid_after=$(sed -n 's/^process \([0-9]*\) .*/\1/p' "$work/out" | head -1)
if [ -n "$pid_before" ] && [ "$pid_before" = "$pid_after" ]; then
  echo "the second run moved the running Notepad (process $pid_after)"
else
  echo "the second run did not move the same Notepad ($pid_before, then $pid_after)"
  status=1
fi

echo "== closing Notepad"
win 20 "$build/winrect.exe" close "$notepad"
[ "$status" -eq 0 ] && echo "run-main: done" || echo "run-main: FAILED"
exit "$status"
