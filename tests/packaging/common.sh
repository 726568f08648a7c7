# Checks shared by the install and package tests. Sourced; the caller sets
# SRC (source tree) and keeps a failure count in `failures`.

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

USAGE='KZXXXXXX.fwpack [options]
    options
    --------------------------
    /f = Force the installation
    /s = Execute silently
    /d [path] = Perform self-discovery and output to [path]'

# check_programs BINDIR: every installed program starts and answers. The
# components create /var/qmx/Component.log on start, so they run with a
# private, empty /var.
check_programs() {
  local bin=$1 name out rc
  for name in fwpack fwpack-emulex fwpack-brocade; do
    out=$("$SRC/tests/run-isolated.sh" "$bin/$name" /h 2>&1)
    rc=$?
    [ "$rc" = 3 ] || fail "$bin/$name /h exited with $rc"
    [ "$out" = "$USAGE" ] || fail "$bin/$name /h printed: $out"
  done
  out=$("$bin/fwpack-catalog" --help 2>&1)
  rc=$?
  [ "$rc" = 0 ] || fail "$bin/fwpack-catalog --help exited with $rc"
  case "$out" in
    "usage: fwpack-catalog [--vendor qlogic|emulex|brocade] [--json] [FILE]"*) ;;
    *) fail "$bin/fwpack-catalog --help printed: $out" ;;
  esac
  out=$("$bin/patprobe" --flags 4 whole 'a(b)' ab 2>&1)
  [ "$out" = "groups 2
whole true
group 0 0 2
group 1 1 2" ] || fail "$bin/patprobe printed: $out"
}

# check_pages FILE...: each manual page formats without a warning, with
# groff directly and through man.
check_pages() {
  local page err
  for page in "$@"; do
    [ -e "$page" ] || { fail "no manual page $page"; continue; }
    case "$page" in
      *.gz) err=$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1) ;;
      *) err=$(groff -man -Tutf8 -ww -z "$page" 2>&1) ;;
    esac
    [ -z "$err" ] || fail "groff warns on $page: $err"
    err=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$err" ] || fail "man warns on $page: $err"
    [ -n "$(MANWIDTH=80 man -l "$page" 2>/dev/null | grep -m1 '^NAME')" ] ||
      fail "man shows no NAME section for $page"
  done
}

# need TOOL...: exit 77 (skipped) when a tool is missing.
need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/install-deps --package)"; exit 77; }
  done
}

# build_package GENERATOR EXTENSION DIR: runs cpack for GENERATOR into DIR
# and sets `package` to the one package made; exits on failure.
build_package() {
  local generator=$1 extension=$2 dir=$3 made
  cpack --config "$BUILD/CPackConfig.cmake" -G "$generator" -B "$dir" >"$dir/cpack.log" 2>&1 ||
    { cat "$dir/cpack.log"; exit 1; }
  made=("$dir"/*."$extension")
  [ "${#made[@]}" = 1 ] && [ -f "${made[0]}" ] || { echo "FAIL: no single .$extension in $dir"; exit 1; }
  package=${made[0]}
  echo "package: $(basename "$package")"
}
