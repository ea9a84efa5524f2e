#!/usr/bin/env bash
# Starts Xvfb on $DISPLAY unless something already answers there, then makes
# sure the Wine prefix exists and its server stays up between test programs.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

if ! xdpyinfo >/dev/null 2>&1; then
  n=${DISPLAY#:}
  n=${n%%.*}
  rm -f "/tmp/.X${n}-lock" "/tmp/.X11-unix/X${n}"
  nohup Xvfb "$DISPLAY" -screen 0 1920x1080x24 -nolisten tcp >/tmp/xvfb-"$n".log 2>&1 &
  for _ in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.2; done
  xdpyinfo >/dev/null 2>&1 || { echo "display: Xvfb did not start on $DISPLAY"; cat /tmp/xvfb-"$n".log; exit 1; }
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "display: initialising Wine prefix $WINEPREFIX"
  timeout 300 wineboot -i >/tmp/wineboot.log 2>&1 || { tail -20 /tmp/wineboot.log; exit 1; }
fi
# Wine links the user's Desktop and Documents folders to the Unix home; tests
# write shortcuts to the desktop, so give the prefix folders of its own.
for link in "$WINEPREFIX"/drive_c/users/*/*; do
  if [ -L "$link" ]; then
    rm -f "$link"
    mkdir -p "$link"
  fi
done
# Keep one wineserver (and Wine's desktop services) running, started with no
# pipe attached, so that test programs never inherit a descriptor from it.
wineserver -p >/dev/null 2>&1 </dev/null || true
timeout 120 wine cmd /c exit >/dev/null 2>&1 </dev/null || true
