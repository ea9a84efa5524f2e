#!/usr/bin/env bash
# CPU cost of holding a placement: a 60-second hold (HOLD_SECONDS) on a steady target. CPU
# seconds are read from /proc for the Wine process that runs tavrisol.exe and for the wineserver,
# which does the window work it asks for. Prints figures; never fails.
set -u
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
. "$root/scripts/env.sh"
bash "$root/scripts/display.sh" >/dev/null || exit 1

build=${TAVRISOL_BUILD_DIR:-$root/build/win}
seconds=${HOLD_SECONDS:-60}
. "$here/target.sh" holdtarget.exe

ticks=$(getconf CLK_TCK)
# utime + stime of a process, in clock ticks.
cpu_of() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
server_cpu() {
  local pid
  pid=$(pgrep -x wineserver | head -1)
  [ -n "$pid" ] && cpu_of "$pid" || echo 0
}

# Starts a run with a hold, lets it place the target, then reads the CPU of its process and of the
# wineserver over the steady middle of the hold (the first 3 s and the last 3 s left out).
timeout -k 5 60 wine "$build/tavrisol.exe" 100,80,640,480 "$target_win" >/dev/null 2>&1 </dev/null
t0=$(date +%s%N)
wine "$build/tavrisol.exe" "102,80,640,480,$seconds" "$target_win" >"$work/out" 2>&1 </dev/null &
launcher=$!
sleep 3
pid=$(pgrep -f 'tavrisol.exe 102,80,640,480' | head -1)
[ -n "$pid" ] || { echo "hold bench: the run is not to be found"; exit 0; }
span=$((seconds - 6))
c0=$(cpu_of "$pid")
s0=$(server_cpu)
sleep "$span"
c1=$(cpu_of "$pid")
s1=$(server_cpu)
wait "$launcher"
rc=$?
while kill -0 "$pid" 2>/dev/null; do sleep 0.2; done
t1=$(date +%s%N)
awk -v t="$ticks" -v c="$((c1 - c0))" -v sv="$((s1 - s0))" -v span="$span" -v s="$seconds" \
    -v wall="$(((t1 - t0) / 1000000))" 'BEGIN {
  printf "run with a %d-s hold on a steady target: %d ms wall\n", s, wall
  printf "CPU over %d s of the hold: tavrisol.exe %.2f s, wineserver %.2f s = %.2f %% of one core\n",
         span, c / t, sv / t, 100 * (c + sv) / t / span
}'
echo "(launcher exit $rc)"
