# Sourced by the Makefile's recipes and the scripts: the display and Wine prefix
# that builds, tests and runs share.
export DISPLAY=${DISPLAY:-:77}
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-tavrisol}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono/Gecko prompts, and no menu or desktop entries made for the test shortcuts.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
export WINEARCH=win64
