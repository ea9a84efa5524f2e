#!/usr/bin/env bash
# Fails when a shipped file is over its size budget.
#   check-sizes.sh FILE MAX_BYTES [FILE MAX_BYTES ...]
set -u
status=0
while [ $# -ge 2 ]; do
  file=$1 limit=$2
  shift 2
  if [ ! -f "$file" ]; then
    echo "$file is missing"
    status=1
    continue
  fi
  size=$(stat -c %s "$file")
  if [ "$size" -gt "$limit" ]; then
    echo "$(basename "$file"): $size bytes, over its budget of $limit bytes"
    status=1
  else
    echo "$(basename "$file"): $size bytes (budget $limit bytes)"
  fi
done
exit $status
