#!/bin/bash
# in_pid_namespace.sh PROGRAM [ARGS]: runs PROGRAM as process 1 of a new
# PID namespace with its own /proc, so that whatever it finds by name and
# signals is its own.  Root needs no user namespace; others map themselves
# to root in one.
set -eu
if [ "$(id -u)" -eq 0 ]; then
	exec unshare --pid --fork --mount-proc "$@"
fi
exec unshare --user --map-root-user --pid --fork --mount-proc "$@"
