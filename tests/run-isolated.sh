#!/bin/sh
# Runs a test program in a private mount namespace with an empty /var, so
# code that writes the fixed log under /var/qmx never reaches the host.
set -e
exec unshare -m --propagation private -- sh -c 'mount -t tmpfs tmpfs /var && exec "$@"' sh "$@"
