# romfetch.sh - sourced after lib.sh by romfetch's end-to-end tests: a
# root with the machine's real wget, images made by fwimg and served on
# loopback by kp7httpd, and the daemon run on a fast clock until what a
# test waits for has happened.
#
#   upd_box                     fresh root ($BOX) with the real wget and a set clock
#   serve                       kp7httpd serving $WWW (a fresh directory) on
#                               127.0.0.1:$PORT; requests in $(requests)
#   settings URL WEEK HOUR MIN [ENABLE]   the six settings via flash set
#   fwimg OUT SECTION...        the image builder of the host build
#   epoch "YYYY-mm-dd HH:MM:SS" epoch seconds (UTC)
#   upd_start EPOCH [RATE]      romfetch in the background from that time
#                               (started through $UPD_WRAP, e.g. a prlimit,
#                               after the shell commands $UPD_SIBLINGS, e.g.
#                               sibling daemons "boa & wanctl &");
#                               its clock runs from its start, so EPOCH leaves
#                               a second or so before a minute that must be
#                               due: a slow start may take prev past it
#   wait_for CMD...             wait until CMD succeeds (30 s, emulated 180 s)
#   upd_until CMD... / upd_stop wait for CMD, then kill the daemon
#   upd_idle                    true while romfetch runs no command
#   attempt_over                an update attempt ended and cleaned up
#   upd_log                     romfetch's syslog lines: "LEVEL TEXT"
#   ns_states                   "NSPID STATE" of the run's pids 1 to 8
#   wakeups                     how many wake-ups read their settings
#   flash_sums                  checksums of both flash files
#   stopped                     the stand-ins called, wget left out
#   cmds_after LINE             recorded commands after the first LINE

HOST_BIN=${KP7_HOST_BUILD:-$KP7_BUILD}
WWW= PORT= HTTPD= UPD= UPD_JOB= UPD_WRAP= UPD_SIBLINGS=
trap 'upd_stop; [ -z "$HTTPD" ] || kill "$HTTPD" 2>/dev/null; rm -rf "$_TMP"' EXIT
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
	"$HOST_BIN/kp7httpd" "$WWW" "$_TMP/port" >>"$_TMP/requests" &
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
	: >"$BOX/var/log/commands"
}

fwimg() { "$HOST_BIN/fwimg" "$@"; }

epoch() { date -u -d "$1" +%s; }

# Emulated, a wake-up's six flash gets alone can take half a minute on a
# busy machine.
wait_for() {
	local i limit=300
	[ ! -d "$BOX/bin/.mips" ] || limit=1800
	for i in $(seq $limit); do
		"$@" && return 0
		sleep 0.1
	done
	return 1
}

# romfetch itself: its binary, or the emulator running the MIPS one.
_find_romfetch() {
	local p
	for p in $(descendants "$UPD_JOB"); do
		[ "$(readlink /proc/"$p"/exe 2>/dev/null)" = "$BOX/bin/romfetch" ] && { echo "$p"; return; }
		grep -qz '/\.mips/romfetch$' /proc/"$p"/cmdline 2>/dev/null && { echo "$p"; return; }
	done
}

upd_start() {
	local prog=(romfetch)
	[ -z "$UPD_SIBLINGS" ] || prog=(sh -c "$UPD_SIBLINGS exec romfetch")
	KP7_SHARE_NET=1 KP7_TIME_START=$1 KP7_TIME_RATE=${2:-10} $UPD_WRAP \
		"$KP7BOX" run "$BOX" "${prog[@]}" >"$_TMP/upd.out" 2>"$_TMP/upd.err" &
	UPD_JOB=$!
	wait_for _started || { echo "FAIL: romfetch did not start"; exit 1; }
}

_started() {
	UPD=$(_find_romfetch)
	[ -n "$UPD" ]
}

# Killing romfetch ends its namespace, and everything left in it.
upd_stop() {
	[ -n "$UPD_JOB" ] || return 0
	[ -z "$UPD" ] || kill -KILL "$UPD" 2>/dev/null
	wait "$UPD_JOB" 2>/dev/null
	UPD= UPD_JOB=
	UPD_OUT=$(cat "$_TMP/upd.out") UPD_ERR=$(cat "$_TMP/upd.err")
}

upd_until() {
	wait_for "$@" || echo "timed out waiting for: $*"
	upd_stop
}

# "NSPID STATE" of the run's processes 1 to 8 (8 is romfetch), by pid.
ns_states() {
	local p
	for p in $(descendants "$UPD_JOB"); do
		sed -n -e 's/^NSpid:.*\t\([0-9]*\)$/\1/p' -e 's/^State:\t\(.\).*/\1/p' /proc/"$p"/status 2>/dev/null |
			tac | tr '\n' ' '
		echo
	done | awk 'NF == 2 && $1 <= 8 { print $1, $2 }' | sort -n | tr '\n' ' '
}

# No command of romfetch's is running.
upd_idle() { [ -z "$(cat /proc/"$UPD"/task/*/children 2>/dev/null)" ]; }

# An attempt's clean-up was recorded, and has run.
attempt_over() {
	[ "$(box_cmds | tail -n 2)" = $'rm -f /tmp/vers\nrm -f /tmp/download' ] && upd_idle
}

upd_log() {
	box_log | sed -n 's/^[A-Z][a-z][a-z] [ 0-9][0-9] [0-9:]\{8\} daemon\.\([a-z]*\) romfetch\[[0-9]*\]: /\1 /p'
}

wakeups() { box_cmds | grep -c '^flash get AUTO_FIRMUP_MIN$'; }
at_least_wakeups() { [ "$(wakeups)" -ge "$1" ]; }
ran() { box_cmds | grep -qxF -- "$1"; }
standin_ran() { box_standins | grep -qxF -- "$1"; }

# The root's programs run as this machine's own (not emulated, no sanitizer).
native_programs() {
	[ ! -d "$BOX/bin/.mips" ] && ! ldd "$BOX/bin/romfetch" 2>/dev/null | grep -q libasan
}

flash_sums() { md5sum <"$BOX/dev/mtdblock0" && md5sum <"$BOX/dev/mtdblock1"; }
# Stand-ins called but wget, which only downloads.
stopped() { box_standins | grep -v '^wget '; }

cmds_after() { box_cmds | sed -n "\\|^$1\$|,\$p" | tail -n +2; }
