#!/usr/bin/env bash
# Brings up every lane of the Wine suite (tests/wine/lanes.json) beside lane 0,
# which display.sh has made: an Xvfb each, and a Wine prefix copied from lane
# 0's, which takes a few seconds where wineboot takes much longer. The copy is
# taken with lane 0's wineserver stopped, so that its registry is on disk.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
lanes=$(grep -o '"id": *"[0-9]*"' "$here/../tests/wine/lanes.json" | grep -o '[0-9]*' | grep -vx 0 || true)
suite=$WINEPREFIX
stopped=
for lane in $lanes; do
  prefix=$suite-lane$lane
  [ -f "$prefix/system.reg" ] && [ -d "$prefix/drive_c/windows/syswow64" ] && continue
  if [ -z "$stopped" ]; then
    timeout 60 wineserver -k >/dev/null 2>&1 </dev/null || true
    stopped=1
  fi
  echo "lanes: copying the Wine prefix to $prefix"
  WINEPREFIX=$prefix timeout 30 wineserver -k >/dev/null 2>&1 </dev/null || true
  rm -rf "$prefix"
  cp -a "$suite" "$prefix"
done
[ -n "$stopped" ] && "$here/display.sh"
# Each lane's display and wineserver come up at once.
pids=
for lane in $lanes; do
  (use_lane "$lane" && "$here/display.sh") &
  pids="$pids $!"
done
status=0
for pid in $pids; do wait "$pid" || status=1; done
exit $status
