#!/usr/bin/env bash
# Benchmarks of the placement run under Wine, on the release binaries as shipped. Prints
# figures; never fails on time.
#  1. a whole placement run that moves an already-running target (a command with an argument, so
#     that the target's command line is read and compared), against a do-nothing Windows
#     program that imports only kernel32 and user32, both started by `wine` from here (median
#     of RUNS each, and their ratio), the same with 200 idle windowless processes started before
#     the target, the lookup alone (in-process, of the running target and of a program that is
#     not running) with and without them, and the DLLs such a
#     placement run loads;
#  2. one window scan with 2000 top-level windows on the desktop, and whole placement runs
#     among those windows (bench_scan.exe);
#  3. started programs placed before they are shown: fixtures that log their positions (64- and
#     32-bit, CW_USEDEFAULT and their own coordinates) and Wine's Notepad and 32-bit regedit
#     stub, timed from the run's start (bench_early.exe); the sizes of the shipped files;
#  4. the CPU cost of a 60-second hold (bench/hold.sh).
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
. "$root/scripts/env.sh"
bash "$root/scripts/display.sh" || exit 1

build=${TAVRISOL_BUILD_DIR:-$root/build/win}
runs=${RUNS:-20}
idle_count=200
for f in tavrisol.exe tavrisolhelper.dll target.exe bench_noop.exe bench_dlls.exe bench_scan.exe \
  bench_lookup.exe bench_idle.exe winrect.exe bench_early.exe target32.exe; do
  [ -f "$build/$f" ] || { echo "bench: $build/$f is missing (make build-win)"; exit 1; }
done

. "$here/target.sh" benchtarget.exe

# Milliseconds taken by one Windows program started with `wine`; its exit value goes to
# $work/rc. Output goes to a file, never a pipe.
timed() {
  local t0 t1
  t0=$(date +%s%N)
  timeout -k 5 60 wine "$@" >"$work/out" 2>&1 </dev/null
  echo $? >"$work/rc"
  t1=$(date +%s%N)
  echo $(((t1 - t0) / 1000000))
}

median() { sort -n | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]; else print 0}'; }

# Pairs of runs: the do-nothing program, then a placement run that moves the running target
# (the first run starts it). $1 names the figures.
pairs() {
  local first place noop failed=0
  first=$(timed "$build/tavrisol.exe" 100,80,640,480 "$target_win" -x)
  echo "first run (starts the target): $first ms, exit value $(cat "$work/rc")"
  : >"$work/place.txt"
  : >"$work/noop.txt"
  for i in $(seq 1 "$runs"); do
    timed "$build/bench_noop.exe" >>"$work/noop.txt"
    timed "$build/tavrisol.exe" "$((100 + i)),80,640,480" "$target_win" -x >>"$work/place.txt"
    [ "$(cat "$work/rc")" = 1 ] || failed=$((failed + 1))
  done
  place=$(median <"$work/place.txt")
  noop=$(median <"$work/noop.txt")
  echo "placement run, target running:  median $place ms  (all: $(tr '\n' ' ' <"$work/place.txt"))"
  echo "do-nothing program:             median $noop ms  (all: $(tr '\n' ' ' <"$work/noop.txt"))"
  awk -v p="$place" -v n="$noop" -v w="$1" \
    'BEGIN { if (n > 0) printf "ratio placement / do-nothing (%s): %.2f\n", w, p / n }'
  [ "$failed" -eq 0 ] || echo "note: $failed placement runs did not end with exit value 1"
  timeout -k 5 60 wine "$build/bench_lookup.exe" time "$target_win -x" 2>/dev/null </dev/null |
    tr -d '\r' | sed "s/^/$1: /"
}

echo "== whole-process times under Wine ($runs pairs each, wineserver already up)"
pairs "no extra processes"
timeout -k 5 30 wine "$build/winrect.exe" close "$target_win" >/dev/null 2>&1 </dev/null
idle=$(winpath "$work/benchidle.exe")
cp "$build/bench_idle.exe" "$work/benchidle.exe"
timeout -k 5 300 wine "$build/bench_lookup.exe" spawn "$idle_count" "$idle" >/dev/null 2>&1 </dev/null
echo "-- with $idle_count idle windowless processes started before the target"
pairs "$idle_count idle processes"
timeout -k 5 120 wine "$build/bench_lookup.exe" end "$idle" 2>/dev/null </dev/null | tr -d '\r'

echo "== DLLs loaded (under the tests' debugger loop)"
timeout -k 5 90 wine "$build/bench_dlls.exe" "$(winpath "$build/tavrisol.exe")" 100,80,640,480 \
  "$target_win" >"$work/dlls.txt" 2>&1 </dev/null
echo "placement run, target running: $(grep 'DLLs loaded' "$work/dlls.txt" | tr -d '\r' || true)"
timeout -k 5 90 wine "$build/bench_dlls.exe" "$(winpath "$build/bench_noop.exe")" \
  >"$work/dlls-noop.txt" 2>&1 </dev/null
echo "do-nothing program:            $(grep 'DLLs loaded' "$work/dlls-noop.txt" | tr -d '\r' || true)"
for dll in comdlg32 shell32 ole32; do
  grep -qi "[\\/]$dll\.dll" "$work/dlls.txt" && echo "note: the placement run loaded $dll.dll"
done
timeout -k 5 30 wine "$build/winrect.exe" close "$target_win" >/dev/null 2>&1 </dev/null

echo "== window scan with 2000 top-level windows"
timeout -k 5 300 wine "$build/bench_scan.exe" "$(winpath "$build/tavrisol.exe")" "$target_win" \
  "$(winpath "$build/bench_noop.exe")" >"$work/scan.txt" 2>&1 </dev/null
echo "(bench_scan exit $?)"
grep -v -e '^wine:' -e ':err:' -e ':fixme:' "$work/scan.txt"

echo "== started programs placed before they are shown (3 runs each, 1936x1119 past the size limit)"
# Fixture copies that log their own positions: the first window with CW_USEDEFAULT ("log") or
# at a place of its own ("own"), 64- and 32-bit.
for copy in log.exe:target.exe logown.exe:target.exe log32.exe:target32.exe \
  log32own.exe:target32.exe; do
  name=${copy%%:*}
  for i in 1 2 3; do
    cp "$build/${copy#*:}" "$work/$name"
    rm -f "$work/$name.log"
    timeout -k 5 150 wine "$build/bench_early.exe" "$(winpath "$build/tavrisol.exe")" \
      -8,-32,1936,1119 "$(winpath "$work/$name")" >"$work/early.txt" 2>/dev/null </dev/null
    echo "$name: $(tr -d '\r' <"$work/early.txt")"
    timeout -k 5 30 wine "$build/winrect.exe" close "$(winpath "$work/$name")" >/dev/null 2>&1 </dev/null
  done
done
echo "-- a launcher's game, moved as it is made (watched every 2 ms; goal: at most 30 ms elsewhere)"
for i in 1 2 3; do
  cp "$build/target.exe" "$work/loglauncher.exe"
  rm -f "$work/loggame.exe"
  timeout -k 5 150 wine "$build/bench_early.exe" "$(winpath "$build/tavrisol.exe")" 100,80,800,600 \
    "$(winpath "$work/loglauncher.exe")" loggame.exe >"$work/early.txt" 2>/dev/null </dev/null
  echo "loglauncher.exe: $(tr -d '\r' <"$work/early.txt")"
  timeout -k 5 30 wine "$build/winrect.exe" close "$(winpath "$work/loggame.exe")" >/dev/null 2>&1 </dev/null
done
echo "-- a program that ends at once and whose later copy shows the window half a second on"
echo "   (its own log; the run scans when the window shows, where it once waited for the next second)"
for i in 1 2 3; do
  cp "$build/target.exe" "$work/loghandover.exe"
  rm -f "$work/loghandover.exe.log"
  timeout -k 5 150 wine "$build/bench_early.exe" "$(winpath "$build/tavrisol.exe")" 100,80,800,600 \
    "$(winpath "$work/loghandover.exe")" >"$work/early.txt" 2>/dev/null </dev/null
  echo "loghandover.exe: $(tr -d '\r' <"$work/early.txt")"
  timeout -k 5 30 wine "$build/winrect.exe" close "$(winpath "$work/loghandover.exe")" >/dev/null 2>&1 </dev/null
done
echo "-- click to placed for Wine's programs (before this: Notepad 1.9 s, the 32-bit regedit stub 31.9 s)"
for program in 'C:\windows\notepad.exe:notepad.exe' 'C:\windows\syswow64\regedit.exe:regedit.exe'; do
  exe=${program##*:}
  timeout -k 5 150 wine "$build/bench_early.exe" "$(winpath "$build/tavrisol.exe")" 100,80,800,600 \
    "${program%:*}" "$exe" >"$work/early.txt" 2>/dev/null </dev/null
  echo "${program%:*}: $(tr -d '\r' <"$work/early.txt")"
  timeout -k 5 30 wine "$build/winrect.exe" close 'C:\windows\'"$exe" >/dev/null 2>&1 </dev/null
  timeout -k 5 30 wine "$build/winrect.exe" close "${program%:*}" >/dev/null 2>&1 </dev/null
done

echo "== sizes as shipped (budgets: tavrisol.exe 65536 bytes, each library and tavrisolhook32.exe 16384 bytes)"
for f in tavrisol.exe tavrisolhelper.dll tavrisolhelper32.dll tavrisolhook32.exe; do
  printf "%-20s %8d bytes\n" "$f" "$(stat -c %s "$build/$f")"
done

echo "== holding a placement"
bash "$here/hold.sh"
exit 0
