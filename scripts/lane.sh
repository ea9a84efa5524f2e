#!/usr/bin/env bash
# Runs one command of the Wine suite in the lane that ctest gave its test
# (tests/wine/lanes.json lists them): its own display and Wine prefix, so that
# test programs in other lanes never see its windows, processes or files. A
# test run without lanes (plain ctest) takes lane 0, the suite's own.
#   lane.sh COMMAND ARGS...
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
lane=0
case ${CTEST_RESOURCE_GROUP_0_LANES:-} in
  id:*) lane=${CTEST_RESOURCE_GROUP_0_LANES#id:} lane=${lane%%,*} ;;
esac
use_lane "$lane"
exec "$@"
