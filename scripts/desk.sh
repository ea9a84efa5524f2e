#!/usr/bin/env bash
# Runs one Windows test program on a desk of two monitors: a Xephyr server
# inside its lane's display (scripts/lane.sh), with two Xinerama heads
# (1920x1080, then 1280x1024) and no RandR, so that Wine reads the heads as
# monitors. The second head is the primary, so the first lies left of it at
# -1920,0. The screen is scaled to 144 dpi (150 %).
# The run has a Wine prefix of its own beside its lane's (its registry, the
# lane's drive C), made anew each time from the lane's registry, and its own
# wineserver: the lane's single monitor is never disturbed. Xephyr and that
# wineserver are stopped at the end, also when the test fails.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
suite=$WINEPREFIX
desk=$WINEPREFIX-desk

number=$(mktemp /tmp/desk-display.XXXXXX)
log=$(mktemp /tmp/desk-xephyr.XXXXXX)
# Xephyr takes the first free display and writes its number to descriptor 3.
Xephyr -displayfd 3 -noreset +xinerama -extension RANDR -screen 1920x1080 -screen 1280x1024 \
  -nolisten tcp 3>"$number" >"$log" 2>&1 </dev/null &
xephyr=$!
stop() {
  WINEPREFIX=$desk timeout 30 wineserver -k >/dev/null 2>&1 </dev/null
  kill "$xephyr" 2>/dev/null
  wait "$xephyr" 2>/dev/null
  rm -f "$number" "$log"
}
trap stop EXIT
for _ in $(seq 1 50); do [ -s "$number" ] && break; sleep 0.2; done
[ -s "$number" ] || { echo "desk: Xephyr did not start"; cat "$log"; exit 1; }
export DISPLAY=:$(head -n 1 "$number")
# A work area that leaves a bar at the bottom of the screen, as a task bar
# would, which Wine reads from the X server as its desktop starts (Xephyr keeps
# it as its last client leaves).
timeout 10 xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA "0, 0, 3200, 1000" ||
  { echo "desk: could not set the work area"; exit 1; }

# The prefix: the suite's registry with the primary monitor and the scale
# added at its end (Wine reads a key given twice as one), read by the
# wineserver that display.sh then starts; drive C and the system's files are
# the suite's.
WINEPREFIX=$desk timeout 30 wineserver -k >/dev/null 2>&1 </dev/null
rm -rf "$desk"
mkdir -p "$desk/dosdevices"
cp "$suite"/*.reg "$suite/.update-timestamp" "$desk/" || exit 1
ln -s "$suite/drive_c" "$desk/drive_c"
ln -s ../drive_c "$desk/dosdevices/c:"
ln -s / "$desk/dosdevices/z:"
printf '\n[Software\\\\Wine\\\\X11 Driver] 0\n"PrimaryMonitor"="1"\n' >>"$desk/user.reg"
printf '\n[Control Panel\\\\Desktop] 0\n"LogPixels"=dword:00000090\n' >>"$desk/user.reg"
export WINEPREFIX=$desk
"$here/display.sh" || exit 1
"$here/wine-run.sh" "$@"
