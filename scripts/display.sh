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

# With no window manager, Wine waits about two seconds whenever a managed
# top-level window is hidden or destroyed (every answered message box). The
# program, the fixtures and the test programs get unmanaged windows; set per
# program, not for the whole prefix: an unmanaged window cannot take the
# foreground back from another program's, which the shortcut road's own
# window does, so that test program stays managed. The tests' copies of a
# fixture under other names get the setting from the harness as it copies them.
managed_tests="test_shortcut_road"
programs="tavrisol.exe target.exe clickrecorder.exe"
for test in "$here"/../tests/wine/test_*.cpp; do
  name=$(basename "$test" .cpp)
  case " $managed_tests " in
    *" $name "*) ;;
    *) programs="$programs wine_$name.exe" ;;
  esac
done
key='HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s\\X11 Driver'
reg=$(mktemp /tmp/unmanaged.XXXXXX.reg)
{
  printf 'REGEDIT4\r\n'
  for program in $programs; do
    printf "\\r\\n[$key]\\r\\n\"Managed\"=\"N\"\\r\\n" "$program"
  done
  for name in $managed_tests; do
    printf "\\r\\n[-$key]\\r\\n" "wine_$name.exe"
  done
} >"$reg"
timeout 120 wine regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1 </dev/null || echo "display: could not set $reg"
rm -f "$reg"
