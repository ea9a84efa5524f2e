#!/usr/bin/env bash
# make test: the native tests and the fuzzers run beside the Wine suite, at a
# lower priority, in the time the Wine suite spends waiting for windows. Their
# output is kept and shown whole as each ends; the Wine suite's shows as it
# comes. Each part says how long it took (its build included), also when it
# fails, and any part that fails fails the whole.
set -u
cd "$(dirname "$0")/.."
make=${MAKE:-make}
logs=$(mktemp -d /tmp/tavrisol-test.XXXXXX)
trap 'rm -rf "$logs"' EXIT

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
  timed "$1" nice -n 10 "$make" --no-print-directory "$1" >"$log" 2>&1
  local rc=$?
  cat "$log"
  return $rc
}

# The Wine suite's lanes are made (their prefixes copied) while the program
# builds; test-wine then finds them up.
wine_suite() {
  bash scripts/lanes.sh &
  local lanes=$! rc=0
  "$make" --no-print-directory build-win || rc=1
  wait "$lanes" || rc=1
  [ $rc = 0 ] && "$make" --no-print-directory test-wine
}

beside test-native &
native=$!
beside test-fuzz &
fuzz=$!
timed test-wine wine_suite
status=$?
wait "$native" || status=1
wait "$fuzz" || status=1
exit $status
