#!/usr/bin/env bash
# Installs what building and testing need (once) and brings up the display and
# the Wine prefix (skipped when already up). Run as root on Debian.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"

packages="cmake ninja-build g++ clang libclang-rt-14-dev mingw-w64 wine wine64 xvfb xdotool x11-utils x11-apps imagemagick binutils-mingw-w64-x86-64 googletest python3"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "setup: installing$missing"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq $missing >/tmp/tavrisol-apt.log 2>&1 || { tail -30 /tmp/tavrisol-apt.log; exit 1; }
fi

"$here/display.sh"
