#!/bin/bash
# cpack -G RPM, where rpmbuild is present: the package requires libxml2
# instead of bundling it, and its programs run from the unpacked tree.
#   rpm_test.sh BUILD_DIR SOURCE_DIR
set -u
BUILD=$1 SRC=$2
failures=0
. "$SRC/tests/packaging/common.sh"
need cpack rpmbuild rpm rpm2cpio cpio
out=$(mktemp -d /tmp/fwpack-rpm-XXXXXX)
trap 'rm -rf "$out"' EXIT

build_package RPM rpm "$out"
pkg=$package
requires=$(rpm -qpR "$pkg" 2>/dev/null)
printf '%s\n' "$requires" | grep -q '^libxml2\.so\.2' || fail "no requirement on libxml2.so.2: $requires"
files=$(rpm -qpl "$pkg" 2>/dev/null)
expected="/usr/bin/fwpack
/usr/bin/fwpack-brocade
/usr/bin/fwpack-catalog
/usr/bin/fwpack-emulex
/usr/bin/patprobe
/usr/share/doc/fwpack
/usr/share/doc/fwpack/changelog.gz
/usr/share/doc/fwpack/copyright
/usr/share/man/man1/fwpack-brocade.1.gz
/usr/share/man/man1/fwpack-catalog.1.gz
/usr/share/man/man1/fwpack-emulex.1.gz
/usr/share/man/man1/fwpack.1.gz
/usr/share/man/man1/patprobe.1.gz"
[ "$files" = "$expected" ] || fail "packaged files:
$files"

root="$out/root"
mkdir -p "$root"
(cd "$root" && rpm2cpio "$pkg" | cpio -idm --quiet) || fail "cannot unpack $pkg"
check_programs "$root/usr/bin"

[ "$failures" = 0 ] && echo "rpm: all checks passed"
exit $((failures > 0))
