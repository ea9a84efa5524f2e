#!/usr/bin/env bash
# make test: the three parts at once. The Wine suite's build comes first; the
# native tests and the fuzzers build beside it at a lower priority, and run
# beside the Wine suite in the time it spends waiting for windows. The fuzzers
# start only once the program is built: they run for a fixed time, and would
# otherwise spend it sharing the processor with the build. The output of the
# native tests and the fuzzers is kept and shown whole as each ends; the Wine
# suite's shows as it comes. Each part says how long it took (its build
# included), also when it fails, and any part that fails fails the whole.
set -u
cd "$(dirname "$0")/.."
make="${MAKE:-make} --no-print-directory"
logs=$(mktemp -d /tmp/tavrisol-test.XXXXXX)
trap 'rm -rf "$logs"' EXIT
built=$logs/built

timed() {
  local name=$1 start rc
  start=$(date +%s)
  shift
  "$@"
  rc=$?
  echo "make test: $name took $(($(date +%s) - start)) s"
  return $rc
}
beside() {
  local log=$logs/$1
  timed "$@" >"$log" 2>&1
  local rc=$?
  cat "$log"
  return $rc
}
# Their runs take only a processor that the Wine suite leaves idle (the idle
# scheduling class), so that the suite's timings are never theirs.
native_tests() { nice -n 10 $make build-native && chrt -i 0 $make test-native; }
fuzzers() {
  nice -n 10 $make build-fuzz || return 1
  local waited=0
  while [ ! -e "$built" ] && [ $waited -lt 3600 ]; do
    sleep 1
    waited=$((waited + 1))
  done
  chrt -i 0 $make test-fuzz
}
# The lanes' prefixes are copied while the program builds.
wine_suite() {
  bash scripts/lanes.sh &
  local lanes=$! rc=0
  $make build-win || rc=1
  touch "$built"
  wait "$lanes" || rc=1
  [ $rc = 0 ] && $make test-wine
}

beside test-native native_tests &
native=$!
beside test-fuzz fuzzers &
fuzz=$!
timed test-wine wine_suite
status=$?
wait "$native" || status=1
wait "$fuzz" || status=1
exit $status
