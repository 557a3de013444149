#!/bin/bash
# in_sandbox.sh BIN_DIR PROGRAM [ARGS]: runs a test program inside a fresh
# router root: made by BIN_DIR/kp7box, with the machine's real wget in it,
# entered with "kp7box run --host" (private PID, mount and network namespaces,
# loopback up, a real /proc for the root's programs), removed afterwards.
set -u
bin=$1
shift
prog=$1
shift
case $prog in
/*) ;;
*) prog=$(command -v "$prog") || { echo "in_sandbox.sh: $1 not found" >&2; exit 127; } ;;
esac
dir=$(mktemp -d /tmp/kp7utl.XXXXXX) || exit 1
trap 'rm -rf "$dir"' EXIT
"$bin/kp7box" create "$dir/root" >/dev/null || exit 1
"$(dirname "$0")/install_wget.sh" "$dir/root" || exit 1
"$bin/kp7box" run --host "$dir/root" "$prog" "$@"
