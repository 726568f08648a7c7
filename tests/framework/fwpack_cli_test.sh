#!/bin/sh
# Whole-program checks of fwpack: usage, command-line errors, a run that
# finds no adapters, and a log that cannot be written. Expects a private,
# empty /var (tests/run-isolated.sh).
set -u
FWPACK=$(readlink -f "$1")
WORK=$(mktemp -d /tmp/fwpack-cli-XXXXXX)
trap 'rm -rf "$WORK"' EXIT
LOG=/var/qmx/Component.log
failures=0

if [ -e /var/qmx ]; then
  echo "refusing to run: /var/qmx exists (run through tests/run-isolated.sh)"
  exit 1
fi

USAGE='KZXXXXXX.fwpack [options]
    options
    --------------------------
    /f = Force the installation
    /s = Execute silently
    /d [path] = Perform self-discovery and output to [path]
'
SEP='---------------------------------------------------
'
PARSE_ERROR='ERROR! : Failed to parse command line
'
NO_ADAPTERS="${SEP}Loading references...done.
Performing discovery...
WARNING! : No supported adapters found.
"
LOGERR='ERROR : Unable to write to log file
'

# expect NAME EXPECTED_RC EXPECTED_STDOUT -- runs "$@" after the three
# expectations from the current directory.
expect() {
  name=$1 rc_expected=$2 out_expected=$3
  shift 3
  "$@" >"$WORK/out" 2>"$WORK/err"
  rc=$?
  printf '%s' "$out_expected" >"$WORK/expected"
  if [ "$rc" != "$rc_expected" ]; then
    echo "FAIL $name: exit code $rc, expected $rc_expected"
    failures=$((failures + 1))
  fi
  if ! cmp -s "$WORK/expected" "$WORK/out"; then
    echo "FAIL $name: stdout differs"
    diff "$WORK/expected" "$WORK/out"
    failures=$((failures + 1))
  fi
}

# expect_log NAME EXPECTED_CONTENT
expect_log() {
  printf '%s' "$2" >"$WORK/expected"
  if ! cmp -s "$WORK/expected" "$LOG"; then
    echo "FAIL $1: log differs"
    diff "$WORK/expected" "$LOG"
    failures=$((failures + 1))
  fi
}

cd "$WORK" || exit 1
expect help 3 "$USAGE" "$FWPACK" /h
# The log is prepared before the command line is looked at, also for /h.
[ -f "$LOG" ] || { echo "FAIL help: $LOG not created"; failures=$((failures + 1)); }
expect_log help ""
expect help-stops-parsing 3 "$USAGE" "$FWPACK" /h /d
expect dash-h 3 "$USAGE" "$FWPACK" -x -h
expect missing-path 7 "$USAGE$PARSE_ERROR" "$FWPACK" /d
expect missing-path-silent 7 "$USAGE$PARSE_ERROR" "$FWPACK" /s -d
expect_log parse-errors ""

expect no-catalogue 7 "${SEP}Loading references...FAILED!
" "$FWPACK" /f
expect_log no-catalogue "${SEP}Loading references...FAILED!
"

# A malformed catalogue fails the same way; the parser's own report goes to
# standard error only.
printf '<tarvix_fchba_reference><devices>\n' >reference.xml
expect malformed-catalogue 7 "${SEP}Loading references...FAILED!
" "$FWPACK"
[ -s "$WORK/err" ] || { echo "FAIL malformed-catalogue: no parser report"; failures=$((failures + 1)); }
rm reference.xml

mkdir "$WORK/package" && cd "$WORK/package" || exit 1
cat >reference.xml <<'XML'
<?xml version="1.0"?>
<tarvix_fchba_reference>
  <devices>
    <device>
      <type value="QLogic FC HBA"/>
      <device_id value="1077.2532.1077.015c"/>
      <model value="QLE2562"/>
      <firmware value="2.02.01"/>
    </device>
  </devices>
</tarvix_fchba_reference>
XML
: >"$LOG"
expect report-no-adapters 7 "$NO_ADAPTERS" "$FWPACK" /d out.xml
[ ! -e out.xml ] || { echo "FAIL report-no-adapters: report written"; failures=$((failures + 1)); }
expect report-no-adapters-silent 7 "" "$FWPACK" /s /d out.xml
expect_log two-runs "$NO_ADAPTERS$NO_ADAPTERS"

# A log that cannot be opened: one error line per message, also with /s,
# and the run goes on to the same exit code.
rm -f "$LOG" && mkdir "$LOG"
expect unwritable-log 7 "$LOGERR$LOGERR$LOGERR$LOGERR$LOGERR" "$FWPACK" /s
rmdir "$LOG"

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all fwpack command-line checks passed"
