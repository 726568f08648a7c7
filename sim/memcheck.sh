#!/bin/bash
# Runs the demo scenario (report, flash, rerun) on the simulated host with
# every fwpack run under valgrind's memcheck, and fails on any memory error
# or any definitely or indirectly lost block. Blocks still reachable at exit
# (libxml2's global state, the vendor libraries that stay loaded) are fine.
#
#   sim/memcheck.sh BUILD_DIR
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 1 ] || { echo "usage: sim/memcheck.sh BUILD_DIR" >&2; exit 2; }
build=$(realpath "$1") || exit 2
for tool in valgrind jq; do
  command -v "$tool" >/dev/null || { echo "memcheck: $tool is not installed" >&2; exit 2; }
done
for f in "$build/fwpack" "$build/tests/e2e/fwsim-check" "$build/sim/sandbox"; do
  [ -x "$f" ] || { echo "memcheck: $f is not built" >&2; exit 2; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/fwmemcheck.XXXXXX") || exit 2
trap 'rm -rf -- "$work"' EXIT

# The demo's own expectations stay; only the command of each run changes.
# Exit code 99 (a memcheck error) can never match what a run expects.
jq --arg build "$build" --arg logs "$work" '
  .runs |= (to_entries | map(
    .key as $i
    | .value
    | .command = ["valgrind", "--tool=memcheck", "--leak-check=full",
                  "--errors-for-leak-kinds=definite,indirect", "--show-leak-kinds=definite,indirect",
                  "--error-exitcode=99", "--trace-children=no", "--num-callers=30",
                  ("--log-file=" + $logs + "/memcheck-run" + ($i + 1 | tostring) + ".log"),
                  ($build + "/" + (.program // "fwpack"))]
    | del(.program)
    | .timeout_seconds = 900))
' "$top/sim/scenarios/demo.json" > "$work/demo-memcheck.json" || { echo "memcheck: cannot rewrite the demo" >&2; exit 2; }

"$build/tests/e2e/fwsim-check" --build "$build" "$work/demo-memcheck.json"
rc=$?

# Show what memcheck said about each run, so a failure is explained here.
status=0
runs=0
for log in "$work"/memcheck-*.log; do
  [ -f "$log" ] || continue
  runs=$((runs + 1))
  summary=$(grep -E "ERROR SUMMARY|definitely lost|indirectly lost" "$log" | sed 's/^==[0-9]*== *//')
  echo "memcheck $(basename "$log" .log):"
  echo "${summary:-  (no summary)}" | sed 's/^/  /'
  if ! grep -q "ERROR SUMMARY: 0 errors" "$log"; then
    status=1
    sed 's/^/  | /' "$log"
  fi
done
if [ "$runs" -lt 3 ]; then
  echo "memcheck: expected a memcheck log for each of the demo's runs, found $runs" >&2
  status=1
fi
if [ "$rc" -ne 0 ] || [ "$status" -ne 0 ]; then
  echo "memcheck: FAILED"
  exit 1
fi
echo "memcheck: no errors and no leaks in $runs runs"
