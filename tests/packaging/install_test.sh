#!/bin/bash
# cmake --install into a temporary prefix: exactly the programs, manual
# pages and documents are installed, the programs run, the pages format.
#   install_test.sh BUILD_DIR SOURCE_DIR
set -u
BUILD=$1 SRC=$2
failures=0
. "$SRC/tests/packaging/common.sh"
need groff man
prefix=$(mktemp -d /tmp/fwpack-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$BUILD" --prefix "$prefix/usr/local" >"$prefix/install.log" 2>&1 ||
  { cat "$prefix/install.log"; exit 1; }
actual=$(cd "$prefix/usr/local" && find . ! -type d | sed 's|^\./||' | sort)
expected="bin/fwpack
bin/fwpack-brocade
bin/fwpack-catalog
bin/fwpack-emulex
bin/patprobe
share/doc/fwpack/changelog
share/doc/fwpack/copyright
share/man/man1/fwpack-brocade.1
share/man/man1/fwpack-catalog.1
share/man/man1/fwpack-emulex.1
share/man/man1/fwpack.1
share/man/man1/patprobe.1"
[ "$actual" = "$expected" ] || fail "installed files:
$actual"
for alias in fwpack-emulex fwpack-brocade; do
  [ "$(readlink "$prefix/usr/local/share/man/man1/$alias.1")" = fwpack.1 ] ||
    fail "$alias.1 is not a link to fwpack.1"
done

check_programs "$prefix/usr/local/bin"
check_pages "$prefix"/usr/local/share/man/man1/*.1

[ "$failures" = 0 ] && echo "install: all checks passed"
exit $((failures > 0))
