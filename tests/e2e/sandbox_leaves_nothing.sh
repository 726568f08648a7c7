#!/bin/bash
# The sandbox must leave no mount, no process and no file behind on the
# machine: after a normal run, a failing command, a command killed by a
# signal and a scenario the sandbox cannot build.
#   sandbox_leaves_nothing.sh BUILD_DIR
set -u
build=$1
sandbox="$build/sim/sandbox"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

work=$(mktemp -d /tmp/fwsim-leak.XXXXXX) || exit 2
trap 'rm -rf -- "$work"' EXIT
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"
marker="fwsim-leak-marker-$$"

cat > "$work/host.json" <<'JSON'
{
  "hba_conf": ["qlogic\t/usr/lib/libqlsdm.so"],
  "reference_xml": "<tarvix_fchba_reference/>\n",
  "adapters": [{"library": "/usr/lib/libqlsdm.so", "name": "qlogic-0", "node_wwn": "20:00:00:00:00:00:00:01",
                "ports": [{"wwn": "21:00:00:00:00:00:00:01"}],
                "pci": {"bus": 5, "vendor_id": "1077", "device_id": "2532",
                        "subsystem_vendor_id": "1077", "subsystem_device_id": "015d"}}],
  "tools": {"zvqlafwupdate": {}}
}
JSON
echo '{"adapters": [{"library": "/proc/fwsim/lib.so"}]}' > "$work/unbuildable.json"
# With /opt on the machine, a library there brings an overlay of its own.
extra_dirs=""
if [ -d /opt ]; then
  sed -i 's|"tools":|"libraries": {"/opt/fwsim-leak/libextra.so": {}},\n  "tools":|' "$work/host.json"
  extra_dirs=/opt
fi

had_var_qmx=0; [ -e /var/qmx ] && had_var_qmx=1
mounts_before=$(cat /proc/self/mountinfo)
procs_before=$(ps -eo pid= | sort)

# Writes into every mounted place, leaves a sleeper behind, then ends as told.
body="exec -a $marker sleep 300 & touch /etc/$marker /usr/lib/$marker /var/$marker /var/qmx/$marker /sys/$marker ./$marker;"
for d in $extra_dirs; do body="$body touch $d/$marker;"; done

"$sandbox" "$work/host.json" -- bash -c "$body exit 0"
rc=$?; [ $rc = 0 ] || fail "normal run: exit code $rc, expected 0"
"$sandbox" "$work/host.json" -- bash -c "$body exit 9"
rc=$?; [ $rc = 9 ] || fail "failing command: exit code $rc, expected 9"
"$sandbox" "$work/host.json" -- bash -c "$body kill -9 \$\$"
rc=$?; [ $rc = 137 ] || fail "killed command: exit code $rc, expected 137"
"$sandbox" "$work/unbuildable.json" -- true 2>/dev/null
rc=$?; [ $rc = 125 ] || fail "unbuildable scenario: exit code $rc, expected 125"
"$sandbox" "$work/host.json" -- /nonexistent/program 2>/dev/null
rc=$?; [ $rc = 127 ] || fail "missing program: exit code $rc, expected 127"

sleep 0.5
[ "$(cat /proc/self/mountinfo)" = "$mounts_before" ] || fail "the machine's mount table changed"
if pgrep -f "$marker" >/dev/null; then fail "a process of the sandbox is still running"; fi
new_procs=$(comm -13 <(echo "$procs_before") <(ps -eo pid= | sort))
for pid in $new_procs; do
  if { tr '\0' ' ' < "/proc/$pid/cmdline"; } 2>/dev/null | grep -q -e "$work" -e "$marker"; then
    fail "process $pid of the sandbox is still running"
  fi
done
left=$(find "$TMPDIR" -mindepth 1 | head -5)
[ -z "$left" ] || fail "files left in the temporary directory: $left"
for p in "/etc/$marker" "/usr/lib/$marker" "/var/$marker" "/sys/$marker" "/opt/$marker" /opt/fwsim-leak; do
  [ ! -e "$p" ] || fail "$p reached the machine"
done
if [ $had_var_qmx = 0 ] && [ -e /var/qmx ]; then fail "/var/qmx was created on the machine"; fi

[ $failures = 0 ] && echo "PASS: the sandbox leaves nothing behind"
[ $failures = 0 ]
