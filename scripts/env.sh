# Sourced by the Makefile's recipes and the scripts: the display and Wine prefix
# that builds, tests and runs share.
export DISPLAY=${DISPLAY:-:77}
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-tavrisol}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono/Gecko prompts, and no menu or desktop entries made for the test shortcuts.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
export WINEARCH=win64

# The Wine suite runs in lanes, each a display and a Wine prefix of its own, so
# that ctest can run test programs at once. Lane 0 is the display and prefix
# above; lane N is the display N numbers higher and the prefix "<prefix>-laneN".
use_lane() {
  if [ "$1" != 0 ]; then
    local n=${DISPLAY#:}
    n=${n%%.*}
    export DISPLAY=:$((n + $1)) WINEPREFIX=$WINEPREFIX-lane$1
  fi
}
