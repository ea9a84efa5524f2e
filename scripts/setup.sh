#!/usr/bin/env bash
# Installs what building and testing need (once) and brings up the display and
# the Wine prefix (skipped when already up). Run as root on Debian.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

# wine32 (i386) runs the 32-bit programs the tests place; i686 mingw builds the 32-bit half.
packages="cmake ninja-build g++ clang libclang-rt-14-dev mingw-w64 wine wine64 wine32:i386 xvfb xserver-xephyr xdotool x11-utils x11-apps imagemagick binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 g++-mingw-w64-i686-posix googletest python3"
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "setup: installing$missing"
  export DEBIAN_FRONTEND=noninteractive
  # A mirror in the middle of a sync fails one index now and then: tried
  # again, and at worst the install goes on with the indexes that came.
  for try in 1 2 3; do
    apt-get update -qq && break
    echo "setup: apt-get update failed (try $try)"
    sleep 10
  done
  # Without the security index of one architecture, its libraries would lag
  # behind the other's, which multiarch refuses: then both come from the
  # release itself.
  release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  apt-get install -y -qq $missing >/tmp/tavrisol-apt.log 2>&1 ||
    apt-get install -y -qq -t "$release" $missing >/tmp/tavrisol-apt.log 2>&1 ||
    { tail -30 /tmp/tavrisol-apt.log; exit 1; }
fi

# A prefix made before wine32 was installed cannot run 32-bit programs (nor,
# afterwards, 64-bit ones): it is made anew.
if [ -f "$WINEPREFIX/system.reg" ] && [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
  echo "setup: making the Wine prefix $WINEPREFIX anew, with its 32-bit half"
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
fi
"$here/display.sh"
