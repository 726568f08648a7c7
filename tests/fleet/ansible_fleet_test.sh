#!/bin/bash
# The discovery and rollout playbooks run by ansible-playbook against eight
# simulated hosts on this machine (local connection; every command of a host
# runs on its own sim/ host with its own state folder):
#   1. discovery: the summary counts match the scenarios;
#   2. rollout in batches of 3 with max_fail_percentage 30: batch 1 flashes,
#      batch 2 holds the host whose tool fails (1 of 3 = 33% > 30%), so
#      batch 3 never starts; the recap shows changed/ok/failed per host;
#   3. discovery again: the flashed hosts are current, the others not;
#   4. rollout of the batch-3 hosts and the failing one with fwpack_reboot:
#      true and max_fail_percentage 50, the reboot replaced by a marker (a
#      simulated host cannot reboot): flashed, "rebooted", discovered again
#      and summarised.
# Usage: ansible_fleet_test.sh BUILD_DIR       (exit 77: skipped)
set -uo pipefail
src=$(cd "$(dirname "$0")/../.." && pwd)
[ $# -eq 1 ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
build=$(realpath "$1")
if ! command -v ansible-playbook >/dev/null; then
  echo "SKIP: ansible-playbook is not installed (scripts/install-deps --ansible)"
  exit 77
fi
[ "$(id -u)" = 0 ] || { echo "SKIP: needs root (the sandbox)"; exit 77; }

work=$(mktemp -d "$build/fleet-test.XXXXXX") || exit 1
trap '[ -n "${FLEET_KEEP:-}" ] || rm -rf -- "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A package per vendor: its executable (reference.xml and the tool come with
# the simulated host).
mkdir -p "$work/markers"
for executable in fwpack fwpack-emulex fwpack-brocade; do
  mkdir -p "$work/package-$executable"
  cp "$build/$executable" "$work/package-$executable/" || exit 1
done

# host scenario executable [patch]
hosts=(
  "q1 qlogic-behind fwpack"
  "q2 qlogic-current fwpack"
  "e1 emulex-behind fwpack-emulex"
  "b1 brocade-behind fwpack-brocade"
  "n1 no-supported-device fwpack"
  "f1 qlogic-behind fwpack tool-fails.patch.json"
  "q3 qlogic-behind fwpack"
  "e2 emulex-behind fwpack-emulex"
)
{
  echo "all:"
  echo "  vars:"
  echo "    ansible_connection: local"
  echo "    ansible_python_interpreter: /usr/bin/python3"
  echo "    fwpack_summary: $build/fwpack-summary"
  echo "    fwpack_summary_format: json"
  echo "    fwpack_reports_dir: $work/reports"
  echo "    fwpack_logs_dir: $work/logs"
  echo "    fleet_reboot_markers: $work/markers"
  echo "  hosts:"
  for line in "${hosts[@]}"; do
    read -r host scenario executable patch <<< "$line"
    echo "    $host:"
    echo "      fwpack_package_src: $work/package-$executable"
    echo "      fwpack_package_dir: $work/hosts/$host/package"
    echo "      fwpack_executable: ./$executable"
    printf '      fwpack_wrap: [%s, %s, --state, %s, --build, %s' "$src/sim/sandbox" \
      "$src/tests/fleet/scenarios/$scenario.json" "$work/hosts/$host/sim" "$build"
    [ -n "$patch" ] && printf ', --patch, %s' "$src/tests/fleet/$patch"
    echo ", --]"
  done
} > "$work/inventory.yml"

cat > "$work/ansible.cfg" <<CFG
[defaults]
forks = 8
retry_files_enabled = False
nocolor = True
local_tmp = $work/ansible-tmp
remote_tmp = $work/ansible-tmp
[connection]
pipelining = True
CFG
export ANSIBLE_CONFIG=$work/ansible.cfg ANSIBLE_HOME=$work/ansible-home
export ANSIBLE_NOCOLOR=1 ANSIBLE_FORCE_COLOR=0 PYTHONUNBUFFERED=1

playbooks=$src/deploy/ansible
# name expected_rc playbook args...: output in $work/NAME.out, recap printed.
play() {
  local name=$1 expected=$2 book=$3
  shift 3
  echo "=== $name: ansible-playbook $book $*"
  local start=$SECONDS
  (cd "$work" && ansible-playbook -i inventory.yml "$playbooks/$book" "$@") > "$work/$name.out" 2>&1
  local rc=$?
  sed -n '/^PLAY RECAP/,$p' "$work/$name.out"
  echo "(exit $rc, $((SECONDS - start)) s)"
  if [ "$rc" != "$expected" ]; then
    fail "$name: ansible-playbook exited $rc, expected $expected"
    cat "$work/$name.out"
  fi
}

# name host:ok:changed:failed ...; a host given as host:- must not be in the recap.
recap() {
  local name=$1
  shift
  for want in "$@"; do
    local host=${want%%:*} line
    line=$(sed -n '/^PLAY RECAP/,$p' "$work/$name.out" | awk -v h="$host" '$1 == h && $2 == ":"')
    if [ "${want#*:}" = "-" ]; then
      [ -z "$line" ] || fail "$name: $host ran: $line"
      continue
    fi
    local got
    got=$(echo "$line" | sed -n 's/.* ok=\([0-9]*\) *changed=\([0-9]*\) .* failed=\([0-9]*\) .*/\1:\2:\3/p')
    [ "$host:$got" = "$want" ] || fail "$name: recap of $host is '${got:-none}', expected '${want#*:}' (ok:changed:failed)"
  done
}

# name expected-json: the summary kept by the last run against the expected
# rows and no-device hosts.
summary() {
  python3 - "$work/reports/summary.json" "$2" "$1" <<'PY' || failures=$((failures + 1))
import json, sys
path, expected, name = sys.argv[1], json.loads(sys.argv[2]), sys.argv[3]
got = json.load(open(path))
keys = ("product", "device_id", "item", "version", "upgrade", "rewrite", "downgrade", "hosts_to_upgrade")
want = {"rows": [dict(zip(keys, row)) for row in expected["rows"]],
        "no_device": expected.get("no_device", []), "errors": []}
if got != want:
    print("FAIL: %s: summary\n  got      %s\n  expected %s" % (name, json.dumps(got), json.dumps(want)))
    sys.exit(1)
print("%s: summary as expected: %s" % (name, json.dumps(got)))
PY
}

QLE='"QLE2562", "1077.2532.1077.015d", "Multiboot Image", "2.32"'
LPF='"LPe12002", "10DF.F100.10DF.F100", "Firmware", "2.01A12"'
LPB='"LPe12002", "10DF.F100.10DF.F100", "Boot BIOS ROM", "5.12a5"'
BRO='"Brocade-1860", "1657.0013.1657.0014", "Boot BIOS ROM", "3.2.1.0"'

# 1. Discovery. Every host gets the package (changed) and reports; the five
# summary tasks run once and count for the first host.
play discovery-1 0 discovery.yml
recap discovery-1 q1:13:1:0
for host in q2 e1 b1 n1 f1 q3 e2; do recap discovery-1 "$host:8:1:0"; done
summary discovery-1 "{\"rows\": [[$QLE, 3, 1, 0, [\"f1\", \"q1\", \"q3\"]], [$LPF, 2, 0, 0, [\"e1\", \"e2\"]],
  [$BRO, 1, 0, 0, [\"b1\"]], [$LPB, 0, 2, 0, []]], \"no_device\": [\"n1\"]}"

# 2. Rollout: 3 hosts a batch, stop when more than 30% of a batch fail.
play rollout 2 rollout.yml -e fwpack_serial=3 -e fwpack_max_fail_percentage=30
recap rollout q1:5:1:0 q2:4:0:0 e1:5:1:0 b1:4:1:0 n1:4:0:0 f1:8:0:1 q3:- e2:-
grep -q 'fwpack ended with exit code 7 (failure)' "$work/rollout.out" || fail "rollout: no failure message for f1"
grep -q '"Flash Engine exit code: 14"' "$work/rollout.out" || fail "rollout: the log lines of f1 are not shown"
grep -q '^Flash complete \[7\]$' "$work/logs/f1-Component.log" 2>/dev/null || fail "rollout: f1's log was not kept"
grep -q 'NO MORE HOSTS LEFT' "$work/rollout.out" || fail "rollout: the rollout did not stop after batch 2"
batches=$(grep -c '^PLAY \[Flash the adapters in batches\]' "$work/rollout.out")
[ "$batches" = 2 ] || fail "rollout: $batches batches ran, expected 2 of 3 hosts each"

# 3. Discovery again: q1, e1 and b1 current; f1, q3 and e2 still behind.
play discovery-2 0 discovery.yml
recap discovery-2 q1:13:0:0
for host in q2 e1 b1 n1 f1 q3 e2; do recap discovery-2 "$host:8:0:0"; done
summary discovery-2 "{\"rows\": [[$QLE, 2, 2, 0, [\"f1\", \"q3\"]], [$LPF, 1, 1, 0, [\"e2\"]],
  [$BRO, 0, 1, 0, []], [$LPB, 0, 2, 0, []]], \"no_device\": [\"n1\"]}"

# 4. The reboot path, for the hosts of the batch that never ran, in one
# batch with f1 (still failing): 1 of 3 failed does not pass 50%, so q3 and
# e2 go on to the reboot and the discovery after it; f1's report is not
# among those summarised.
play reboot 2 rollout.yml -l f1,q3,e2 -e fwpack_serial=3 -e fwpack_max_fail_percentage=50 \
  -e fwpack_reboot=true -e fwpack_reboot_tasks="$src/tests/fleet/fake-reboot.yml"
recap reboot f1:8:0:1 q3:18:2:0 e2:13:2:0 q1:-
[ "$(cd "$work/markers" && ls | tr '\n' ' ')" = "e2 q3 " ] || fail "reboot: markers $(ls "$work/markers")"
summary reboot "{\"rows\": [[$LPB, 0, 1, 0, []], [$LPF, 0, 1, 0, []], [$QLE, 0, 1, 0, []]]}"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "fleet: all checks passed"
