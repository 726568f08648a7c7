#!/bin/bash
# Runs the demo hosts' runs with every executable under valgrind memcheck and
# checks them against the same expectations; a memory error fails the run
# (valgrind exits 99 then).
#   sim/memcheck.sh BUILD_DIR      (needs root and valgrind)
set -u
build=$(realpath "${1:?usage: sim/memcheck.sh BUILD_DIR}")
here=$(cd "$(dirname "$0")" && pwd)
command -v valgrind >/dev/null || { echo "memcheck: valgrind is not installed"; exit 1; }
wrap="valgrind -q --tool=memcheck --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite,indirect --show-leak-kinds=definite,indirect --trace-children=no --track-fds=no"
status=0
for scenario in "$here"/scenarios/demo*.json; do
  "$build/fwsim-check" --build "$build" --wrap "$wrap" "$scenario" || status=1
done
exit $status
