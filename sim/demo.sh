#!/bin/bash
# The demo: on one persistent simulated host per vendor, a self-discovery
# report, a flash of what is behind, and a rerun that finds nothing to do,
# printing the console output, the report and the log as it goes.
#   sim/demo.sh BUILD_DIR [qlogic|emulex|brocade|all]      (needs root)
set -u
build=${1:?usage: sim/demo.sh BUILD_DIR [qlogic|emulex|brocade|all]}
build=$(realpath "$build")
which=${2:-all}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/fwsim-demo.XXXXXX") || exit 1
trap 'rm -rf -- "$work"' EXIT

if [ -t 1 ]; then bold=$'\033[1m' plain=$'\033[0m'; else bold="" plain=""; fi
banner() { printf '\n%s=== %s%s\n' "$bold" "$*" "$plain"; }
show() { sed 's/^/    /' "$@"; }

# step HOST SCENARIO PROGRAM TITLE ARGS...: one run, then what it appended to the log.
step() {
  local host=$1 scenario=$2 program=$3 title=$4; shift 4
  banner "$title: $program $*"
  local before=0
  [ -f "$work/$host/qmx/Component.log" ] && before=$(wc -c < "$work/$host/qmx/Component.log")
  echo "--- console"
  "$here/sandbox" "$scenario" --state "$work/$host" --out "$work/$host.out" --build "$build" -- \
    "$build/$program" "$@" | show
  local rc=${PIPESTATUS[0]}
  echo "--- exit code: $rc"
  if [ -f "$work/$host.out/package/report.xml" ] && [ "${1:-}" = /d ]; then
    echo "--- report.xml"
    show "$work/$host.out/package/report.xml"
  fi
  echo "--- /var/qmx/Component.log (this run)"
  tail -c +"$((before + 1))" "$work/$host.out/Component.log" | show
}

demo() {
  local host=$1 program=$2 scenario=$here/scenarios/$3
  banner "simulated host: $(sed -n 's/.*"description": *"\(.*\)",*$/\1/p' "$scenario" | head -1)"
  step "$host" "$scenario" "$program" "self-discovery report" /d report.xml
  step "$host" "$scenario" "$program" "flash"
  step "$host" "$scenario" "$program" "second run"
}

[ "$which" = all ] || [ "$which" = qlogic ] && demo qlogic fwpack demo.json
[ "$which" = all ] || [ "$which" = emulex ] && demo emulex fwpack-emulex demo-emulex.json
[ "$which" = all ] || [ "$which" = brocade ] && demo brocade fwpack-brocade demo-brocade.json
exit 0
