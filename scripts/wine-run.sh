#!/usr/bin/env bash
# Runs one Windows program under Wine with its output going to a file, never to
# the caller's pipe: programs it starts (and Wine's own services) inherit the
# descriptors and would keep a pipe open long after the program ended.
set -u
log=$(mktemp /tmp/wine-run.XXXXXX)
limit=${WINE_RUN_TIMEOUT:-540}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono/Gecko prompts, and no menu or desktop entries made for the test shortcuts.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
timeout -k 10 "$limit" wine "$@" >"$log" 2>&1 </dev/null
rc=$?
cat "$log"
rm -f "$log"
[ "$rc" -eq 124 ] && echo "wine-run: $1 timed out after ${limit}s"
exit "$rc"
