# Sourced by the Makefile's recipes and the scripts: the display and Wine prefix
# that builds, tests and runs share.
export DISPLAY=${DISPLAY:-:77}
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-tavrisol}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64
