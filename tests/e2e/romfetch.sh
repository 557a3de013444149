# romfetch.sh - sourced after lib.sh and daemon.sh by romfetch's
# end-to-end tests: a root with the machine's real wget, images made by
# fwimg and served on loopback by kp7httpd, and the daemon run on a fast
# clock until what a test waits for has happened.
#
#   upd_box                     fresh root ($BOX) with the real wget and a set clock
#   serve                       kp7httpd serving $WWW (a fresh directory) on
#                               127.0.0.1:$PORT; requests in $(requests)
#   settings URL WEEK HOUR MIN [ENABLE]   the six settings via the real flash set
#   answers URL WEEK HOUR MIN [ENABLE]    the same answered by a flash script
#                               (daemon.sh's flash_answers: fast where emulated)
#   fwimg OUT SECTION...        the image builder of the host build
#   epoch "YYYY-mm-dd HH:MM:SS" epoch seconds (UTC)
#   upd_start EPOCH [RATE]      romfetch ($DAEMON) in the background from that
#                               time, after the shell commands $UPD_SIBLINGS
#                               (e.g. sibling daemons "(boa &);"); its clock runs
#                               from its start, so EPOCH leaves a second or so
#                               before a minute that must be due: a slow start
#                               may take its first look past it
#   upd_until CMD... / upd_stop wait for CMD, then kill the daemon; its output
#                               in $UPD_OUT and $UPD_ERR
#   upd_idle                    true while romfetch runs no command
#   attempt_over                an update attempt ended and cleaned up
#   upd_log                     romfetch's syslog lines: "LEVEL TEXT"
#   ns_states                   "NSPID STATE" of the run's pids 1 to 8
#   wakeups                     how many wake-ups read their settings
#   flash_sums                  checksums of both flash files
#   stopped                     the stand-ins called, wget left out

WWW= PORT= HTTPD= UPD_SIBLINGS=
trap 'daemon_stop; [ -z "$HTTPD" ] || kill "$HTTPD" 2>/dev/null; rm -rf "$_TMP"' EXIT
# wget must reach the test's server, never a proxy
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY all_proxy ALL_PROXY no_proxy

upd_box() {
	box_new
	"$KP7BOX" add-tool "$BOX" wget || { echo "FAIL: wget into $BOX"; exit 1; }
	: >"$BOX/tmp/ntp_tmp"
}

serve() {
	WWW=$_TMP/www
	mkdir -p "$WWW"
	rm -f "$_TMP/port"
	"${KP7_HOST_BUILD:-$KP7_BUILD}/kp7httpd" "$WWW" "$_TMP/port" >>"$_TMP/requests" &
	HTTPD=$!
	wait_for test -s "$_TMP/port" || { echo "FAIL: kp7httpd did not start"; exit 1; }
	PORT=$(cat "$_TMP/port")
}

requests() { cat "$_TMP/requests"; }

settings() {
	local name value
	for name in URL WEEK HOUR MIN ENABLE; do
		value=$1
		[ "$name" != ENABLE ] || value=${1:-1}
		shift
		"$KP7BOX" run "$BOX" flash set "AUTO_FIRMUP_$name" "$value" >/dev/null
	done
	box_clear commands
}

answers() {
	flash_answers OP_MODE=0 "AUTO_FIRMUP_URL=$1" "AUTO_FIRMUP_WEEK=$2" "AUTO_FIRMUP_HOUR=$3" \
		"AUTO_FIRMUP_MIN=$4" "AUTO_FIRMUP_ENABLE=${5:-1}"
}

fwimg() { "${KP7_HOST_BUILD:-$KP7_BUILD}/fwimg" "$@"; }

epoch() { date -u -d "$1" +%s; }

upd_start() {
	local start=$1 rate=${2:-10}
	if [ -n "$UPD_SIBLINGS" ]; then
		KP7_SHARE_NET=1 KP7_TIME_START=$start KP7_TIME_RATE=$rate DAEMON_NAME=romfetch \
			daemon_start sh -c "$UPD_SIBLINGS exec romfetch" || exit 1
	else
		KP7_SHARE_NET=1 KP7_TIME_START=$start KP7_TIME_RATE=$rate daemon_start romfetch || exit 1
	fi
}

# Killing romfetch ends its namespace, and everything left in it.
upd_stop() {
	daemon_stop
	UPD_OUT=$(cat "$DAEMON_OUT") UPD_ERR=$(cat "$DAEMON_ERR")
}

upd_until() {
	wait_for "$@" || echo "timed out waiting for: $*"
	upd_stop
}

upd_idle() { [ -z "$(cat /proc/"$DAEMON"/task/*/children 2>/dev/null)" ]; }

attempt_over() {
	[ "$(box_cmds | tail -n 2)" = $'rm -f /tmp/vers\nrm -f /tmp/download' ] && upd_idle
}

upd_log() {
	box_log | sed -n 's/^[A-Z][a-z][a-z] [ 0-9][0-9] [0-9:]\{8\} daemon\.\([a-z]*\) romfetch\[[0-9]*\]: /\1 /p'
}

ns_states() {
	local p
	for p in $(descendants "$DAEMON_JOB"); do
		sed -n -e 's/^NSpid:.*\t\([0-9]*\)$/\1/p' -e 's/^State:\t\(.\).*/\1/p' /proc/"$p"/status 2>/dev/null |
			tac | tr '\n' ' '
		echo
	done | awk 'NF == 2 && $1 <= 8 { print $1, $2 }' | sort -n | tr '\n' ' '
}

wakeups() { box_cmds | grep -c '^flash get AUTO_FIRMUP_MIN$'; }
at_least_wakeups() { [ "$(wakeups)" -ge "$1" ]; }
ran() { box_cmds | grep -qxF -- "$1"; }
standin_ran() { box_standins | grep -qxF -- "$1"; }

# The root's programs run as this machine's own (not emulated, no sanitizer).
native_programs() {
	! emulated && ! ldd "$BOX/bin/romfetch" 2>/dev/null | grep -q libasan
}

flash_sums() { md5sum <"$BOX/dev/mtdblock0" && md5sum <"$BOX/dev/mtdblock1"; }
stopped() { box_standins | grep -v '^wget '; }
