# daemon.sh - sourced after lib.sh by the tests of the daemons: one daemon
# at a time, running in the background in $BOX's namespaces.
#
#   daemon_start PROG ARGS...   kp7box run $BOX PROG ARGS in the background
#                               (env prefixes work); $DAEMON is PROG's pid as
#                               this machine sees it, its output in $DAEMON_OUT
#                               and $DAEMON_ERR;
#                               DAEMON_NAME=syscheck daemon_start sh -c '...'
#                               finds a daemon that a shell starts
#   box_pid NAME                pid of a process of the run named NAME, if any
#   flash_answers NAME=VALUE... the root's flash answers "flash get NAME" with
#                               NAME="VALUE", nothing for other names (a script:
#                               fast also where the build runs emulated)
#   daemon_alive                true while PROG runs
#   daemon_sleeping             true while PROG sleeps (between its passes, or
#                               in a pause of its own)
#   daemon_signal SIG           sends SIG to PROG
#   daemon_stop                 SIGKILL to PROG, which ends its namespace
#   wait_log REGEX [N [SECS]]   waits until N (1) syslog lines match; false on timeout
#   wait_for CMD...             waits (30 s) until CMD succeeds; false on timeout
#   wait_lines N CMD...         waits (30 s) until CMD prints at least N lines
#   usb_hosts [ohci]            lsmod shows both USB host modules, lsusb both
#                               devices (only OHCI's with "ohci")
#   syscheck_beside_wanctl [ARGS]   syscheck ARGS as a daemon, started by a
#                               shell after wanctl (env prefixes work)
#   needs_siblings              ends the test (skipped, status 0) in a sandbox
#                               without sibling daemons and answering stand-ins
#   emulated                    true when the root's programs run under qemu
#   signum NAME                 the number the daemon has for signal NAME (the
#                               router's numbering when emulated)
#
# The clock of a daemon is fast (KP7_TIME_RATE), but emulated and
# sanitized programs are slow, so waits are for events, never for times.

DAEMON= DAEMON_JOB= DAEMON_OUT=$_TMP/daemon.out DAEMON_ERR=$_TMP/daemon.err
trap 'daemon_stop; rm -rf "$_TMP"' EXIT

needs_siblings() {
	[ -d "$BOX/var/sandbox" ] && return 0
	echo "SKIP: this sandbox has no sibling daemons or answering stand-ins"
	done_testing
}

usb_hosts() {
	box_answer lsmod 0 $'ohci_hcd 20000 0\nehci_hcd 30000 0\n'
	if [ "${1:-}" = ohci ]; then
		box_answer lsusb 0 $'  iProduct 3 ohci_hcd\n'
	else
		box_answer lsusb 0 $'  iProduct 3 ohci_hcd\n  iProduct 3 ehci_hcd\n'
	fi
}

syscheck_beside_wanctl() {
	DAEMON_NAME=syscheck daemon_start sh -c "(wanctl -t 16 -c 1 -x &); exec syscheck $*"
}

emulated() {
	[ -d "$BOX/bin/.mips" ]
}

signum() {
	if emulated; then
		case $1 in USR1) echo 16 ;; USR2) echo 17 ;; *) kill -l "$1" ;; esac
	else
		kill -l "$1"
	fi
}

# PROG itself among the job's processes: its own binary, or the emulator
# running the MIPS one.
_find_prog() {
	local p
	for p in $(descendants "$1"); do
		[ "$(readlink /proc/"$p"/exe 2>/dev/null)" = "$BOX/bin/$2" ] && { echo "$p"; return; }
		grep -qz "/\.mips/$2\$" /proc/"$p"/cmdline 2>/dev/null && { echo "$p"; return; }
	done
}

daemon_start() {
	local prog=${DAEMON_NAME:-$1} i
	"$KP7BOX" run "$BOX" "$@" >"$DAEMON_OUT" 2>"$DAEMON_ERR" &
	DAEMON_JOB=$!
	for i in $(seq 100); do
		DAEMON=$(_find_prog "$DAEMON_JOB" "$prog")
		[ -n "$DAEMON" ] && return 0
		sleep 0.1
	done
	echo "FAIL: $prog did not start"
	return 1
}

box_pid() {
	local p
	for p in $(descendants "$DAEMON_JOB"); do
		[ "$(cat /proc/"$p"/comm 2>/dev/null)" = "$1" ] &&
			! grep -q '^State:.*Z' /proc/"$p"/status 2>/dev/null && { echo "$p"; return; }
	done
}

flash_answers() {
	local pair
	{
		echo '#!/bin/bash'
		echo '# flash of the test: "flash get NAME" answers from a list'
		echo '[ "$1" = get ] || exit 0'
		echo 'case $2 in'
		for pair; do
			printf '%q) echo %q ;;\n' "${pair%%=*}" "${pair%%=*}=\"${pair#*=}\""
		done
		echo 'esac'
	} >"$BOX/bin/flash"
	chmod 755 "$BOX/bin/flash"
}

daemon_alive() {
	[ -n "$DAEMON" ] && [ -d /proc/"$DAEMON" ] && ! grep -q '^State:.*Z' /proc/"$DAEMON"/status 2>/dev/null
}

# A pause inside a pass is a nanosleep; the sleep between passes waits in
# pselect, the mask of the wait put in place in the same step.
daemon_sleeping() {
	grep -qE 'nanosleep|poll_schedule_timeout|do_select' /proc/"$DAEMON"/wchan 2>/dev/null
}

daemon_signal() {
	[ -z "$DAEMON" ] || kill -"$1" "$DAEMON"
}

daemon_stop() {
	[ -n "$DAEMON_JOB" ] || return 0
	daemon_signal KILL 2>/dev/null
	wait "$DAEMON_JOB" 2>/dev/null
	DAEMON= DAEMON_JOB=
}

wait_for() {
	local i
	for i in $(seq 300); do
		"$@" && return 0
		sleep 0.1
	done
	return 1
}

_lines_at_least() {
	local n=$1
	shift
	[ "$("$@" | wc -l)" -ge "$n" ]
}

wait_lines() {
	wait_for _lines_at_least "$@"
}

_log_count_at_least() {
	[ "$(grep -cE -- "$1" "$BOX/var/log/messages" 2>/dev/null)" -ge "$2" ]
}

wait_log() {
	local n=${2:-1} secs=${3:-30} i
	for i in $(seq $((secs * 10))); do
		_log_count_at_least "$1" "$n" && return 0
		sleep 0.1
	done
	echo "timed out waiting for $n syslog lines matching: $1"
	return 1
}
