#!/bin/bash
# cpack -G DEB: the package declares its libraries instead of bundling them,
# lintian reports no error, and its programs run from the unpacked tree.
#   deb_test.sh BUILD_DIR SOURCE_DIR
set -u
BUILD=$1 SRC=$2
failures=0
. "$SRC/tests/packaging/common.sh"
need cpack dpkg-deb dpkg-shlibdeps lintian groff man
out=$(mktemp -d /tmp/fwpack-deb-XXXXXX)
trap 'rm -rf "$out"' EXIT

build_package DEB deb "$out"
deb=$package
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
case "$depends" in *libxml2*) ;; *) fail "no dependency on libxml2" ;; esac
case "$depends" in *libc6*) ;; *) fail "no dependency on libc6" ;; esac
files=$(dpkg-deb -c "$deb")
if printf '%s\n' "$files" | grep -E 'lib(xml2|stdc\+\+|gcc)' >/dev/null; then
  fail "a library is bundled: $(printf '%s\n' "$files" | grep -E 'lib(xml2|stdc\+\+|gcc)')"
fi
printf '%s\n' "$files" | grep -E '(sim|fwsim|_tests?)' >/dev/null && fail "test programs in the package"

root="$out/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
check_programs "$root/usr/bin"
check_pages "$root"/usr/share/man/man1/*.1.gz
[ -f "$root/usr/share/doc/fwpack/copyright" ] || fail "no copyright file"

echo "lintian output:"
lintian --fail-on error "$deb" 2>&1 | grep -v '^running with root privileges'
[ "${PIPESTATUS[0]}" = 0 ] || fail "lintian reports an error"

[ "$failures" = 0 ] && echo "deb: all checks passed"
exit $((failures > 0))
