# lib.sh - sourced by every end-to-end test: fresh router roots, running
# the real programs inside them, and one-line checks.
#
#   source "$KP7_SRC/tests/e2e/lib.sh"     # needs KP7_BUILD and KP7_SRC
#   box_new                  fresh root in $BOX, removed when the script exits
#   box_run PROG ARGS...     kp7box run $BOX PROG ARGS: sets $OUT, $ERR, $RC
#                            (env prefixes work: KP7_TIME_START=5 box_run ...)
#   box_host PATH ARGS...    the same for a program of this machine (run --host)
#   box_cmds / box_log       recorded command texts / syslog lines
#   box_standins             stand-in calls ("NAME ARGS...")
#   box_signals              signals the daemon stand-ins got ("NAME SIGNAL ...")
#   box_clear LOG...         empties the root's var/log/LOG files
#   get SET NAME INDEX       prints kp7cui -g -t SET NAME INDEX's output
#   dump SET                 prints kp7cui -g -t SET -a's output
#   box_answer NAME STATUS [OUT [ERR]]   the stand-in NAME answers so
#   box_cannot_start NAME [126|127]      NAME cannot be run: not executable, or missing
#   box_dies_of NAME SIGNAL...           the daemon stand-in NAME dies of these signals
#   box_reboot               power cycle
#   box_firmware_change      the next firmware: a layout version other than the
#                            saved backup's, factory settings, a hosts file
#                            with its loopback line only
#   tc_log                   the text backup's syslog lines, "FACILITY.LEVEL TEXT"
#   backup_across NAME [factory]   save the settings as text; the next firmware
#                            (the store's own version bumped only, or with
#                            "factory" box_firmware_change); restore, which
#                            must be silent; fresh syslog and command logs
#   dumps                    both sets' dumps, byte for byte, in $DUMP_C and $DUMP_D
#   descendants PID          every descendant of PID, as this machine numbers them
#   gone PID...              true once all the processes have ended (waits up to 5 s)
#   expect NAME ACTUAL EXPECTED     exact comparison
#   expect_rc NAME EXPECTED         compares $RC
#   expect_error NAME CODE TEXT     "$RC:$OUT" is "CODE:ERROR CODE: TEXT" and a line end
#   expect_match NAME TEXT REGEX    grep -E on TEXT
#   expect_file NAME TEXT FILE      TEXT equals FILE byte for byte (diff shown)
#   box_sets FILE            runs FILE's lines "S ARGS..." as kp7cui -s ARGS in
#                            the root, one shell for all; $OUT lists failures
#   dump_words TEXT          splits a dump value into $WORDS: blanks separate,
#                            "..." is one word, with the escapes \" \\ \n \r
#                            and \xHH
#   repeat FULL [MIN]        a loop's count: FULL natively, KP7_REPEAT per cent of it
#                            (at least MIN, default 1) where tools/test.sh reduces it
#   modem_start TTY <SCRIPT  a simulated modem (modemsim) on the root's /dev/TTY,
#                            answering as the script on stdin says; the bytes it
#                            received go to $BOX/var/log/modem.TTY; $MODEM_PID
#   modem_stop               ends the simulated modems this script started
#   modem_sent [TTY]         the bytes the modem (ttyUSB0) received since the last look
#   rec KIND FIELDS...       binary records from fields on stdout (kp7rec,
#                            tests/common/records.h): stations, count, bss,
#                            scan, leases
#   wl_answer IF REQ [N]     stdin becomes the simulated wireless driver's answer
#                            to request REQ (hex, 8b30) of interface IF; with N,
#                            to the Nth such request of a run only
#   wl_requests              the driver requests the runs made ("SECONDS IF REQ LEN")
#   done_testing             "N passed, N failed"; exit status 0 only if none failed
#   LIST_ADD[DUMPNAME]       the add command of each list of the store
#   LIST_DELALL              their delete-all commands, in the restore's order

: "${KP7_BUILD:?KP7_BUILD must name the bin directory of the build}"
: "${KP7_SRC:?KP7_SRC must name the source directory}"

KP7BOX=$KP7_BUILD/kp7box
# The sanitizer step of tools/test.sh: the sandbox's own tools come from
# the host build (KP7_SANDBOX_BUILD) for every test but the sandbox's own,
# whose program starts would otherwise each pay for the sanitizers twice.
case ${0##*/} in
sandbox_*) ;;
*) [ -z "${KP7_SANDBOX_BUILD:-}" ] || export KP7_HOST_BUILD=$KP7_SANDBOX_BUILD ;;
esac
# Sanitizer builds: a program the root's shell runs is chrooted into a
# root whose /proc has no process directories, which the leak checker
# needs; leaks are the unit tests' to find.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
BOX=
OUT= ERR= RC=
declare -A LIST_ADD=([WLAN_MACAC_ADDR]=WLAN_MACAC_ADDR_ADD [DHCPRSVDIP_TBL]=DHCPRSVDIP_ADD
	[STATICROUTE_TBL]=STATICROUTE_ADD [EASYDNS]=EASYDNS_ADD [PORTFILTER_TBL]=PORTFILTER_ADD
	[PORTFW_TBL]=PORTFW_ADD [QOS_RULE_TBL]=QOS_ADD)
LIST_DELALL=(WLAN_MACAC_ADDR_DELALL DHCPRSVDIP_DELALL STATICROUTE_DELALL EASYDNS_DELALL
	PORTFILTER_DELALL PORTFW_DELALL QOS_DELALL)
_PASS=0 _FAIL=0 _BOXES=0
_TMP=$(mktemp -d "${TMPDIR:-/tmp}/kp7e2e.XXXXXX") || exit 1
_MODEMS=()
trap 'modem_stop; rm -rf "$_TMP"' EXIT

box_new() {
	BOX=$_TMP/root$((++_BOXES))
	"$KP7BOX" create "$BOX" || { echo "FAIL: kp7box create $BOX"; exit 1; }
}

box_run() {
	_box_run "$BOX" "$@"
}

box_host() {
	_box_run --host "$BOX" "$@"
}

_box_run() {
	"$KP7BOX" run "$@" >"$_TMP/out" 2>"$_TMP/err"
	RC=$?
	# The sentinel keeps trailing newlines, which $(...) would strip.
	OUT=$(cat "$_TMP/out"; printf x)
	OUT=${OUT%x}
	ERR=$(cat "$_TMP/err"; printf x)
	ERR=${ERR%x}
}

_box_file() {
	[ ! -f "$BOX/$1" ] || cat "$BOX/$1"
}

box_cmds() { _box_file var/log/commands; }
box_log() { _box_file var/log/messages; }
box_standins() { _box_file var/log/standins; }
box_signals() { _box_file var/log/signals; }
box_clear() {
	local l
	for l; do : >"$BOX/var/log/$l"; done
}
get() { box_run kp7cui -g -t "$1" "$2" "$3"; printf '%s' "$OUT"; }
dump() { box_run kp7cui -g -t "$1" -a; printf '%s' "$OUT"; }

box_answer() {
	local a=$BOX/var/sandbox/$1
	printf '%s' "$2" >"$a.status"
	[ $# -lt 3 ] || printf '%s' "$3" >"$a.out"
	[ $# -lt 4 ] || printf '%s' "$4" >"$a.err"
}

box_cannot_start() {
	if [ "${2:-127}" = 126 ]; then
		chmod -x "$BOX/bin/$1"
	else
		rm -f "$BOX/bin/$1"
	fi
}

box_dies_of() {
	local name=$1
	shift
	echo "$*" >"$BOX/var/sandbox/$name.die"
}
box_reboot() { "$KP7BOX" reboot "$BOX"; }

box_firmware_change() {
	local saved
	saved=$(cat "$BOX/var/mnt/text_conf/cur_ver" 2>/dev/null) || saved=0
	echo $((saved + 1)) >"$BOX/etc/mib_version"
	rm -rf "$BOX/var/apmib" "$BOX/flash/apmib"
	printf '127.0.0.1\tlocalhost.localdomain\tlocalhost\n' >"$BOX/var/mnt/etc/hosts"
	box_reboot
}

backup_across() {
	box_run kp7cui -T -o s
	expect_rc "$1: save" 0
	if [ "${2:-}" = factory ]; then
		box_firmware_change
	else
		echo $(($(cat "$BOX/var/mnt/text_conf/cur_ver") + 1)) >"$BOX/etc/mib_version"
	fi
	box_clear messages commands
	box_run kp7cui -T -o l
	expect_rc "$1: restore" 0
	expect "$1: restore is silent" "$OUT$ERR" ""
}

dumps() {
	box_run kp7cui -g -t c -a
	DUMP_C=$OUT
	box_run kp7cui -g -t d -a
	DUMP_D=$OUT
}

tc_log() { box_log | sed -n 's/^.* \(daemon\.[a-z]*\) textconfig\[[0-9]*\]: /\1 /p'; }

descendants() {
	local c
	for c in $(cat /proc/"$1"/task/*/children 2>/dev/null); do
		echo "$c"
		descendants "$c"
	done
}

gone() {
	local p left stat
	for _ in $(seq 50); do
		left=
		for p; do
			# a zombie has ended; only its reaping is left
			stat=$(cat /proc/"$p"/stat 2>/dev/null) || continue
			[[ ${stat##*) } == Z* ]] || left=1
		done
		[ -z "$left" ] && return 0
		sleep 0.1
	done
	return 1
}

_pass() {
	echo "PASS: $1"
	_PASS=$((_PASS + 1))
}

_fail() {
	echo "FAIL: $1"
	_FAIL=$((_FAIL + 1))
}

expect() {
	if [ "$2" == "$3" ]; then
		_pass "$1"
		return 0
	fi
	_fail "$1"
	printf -- '--- expected\n%s\n--- actual\n%s\n---\n' "$3" "$2"
	return 1
}

expect_rc() {
	expect "$1" "$RC" "$2"
}

expect_error() {
	expect "$1" "$RC:$OUT" "$2:ERROR $2: $3"$'\n'
}

expect_match() {
	if printf '%s' "$2" | grep -Eq -- "$3"; then
		_pass "$1"
		return 0
	fi
	_fail "$1"
	printf -- '--- expected to match\n%s\n--- actual\n%s\n---\n' "$3" "$2"
	return 1
}

expect_file() {
	if printf '%s' "$2" | cmp -s - "$3"; then
		_pass "$1"
		return 0
	fi
	_fail "$1"
	printf '%s' "$2" | diff "$3" - | head -n 40
	return 1
}

box_sets() {
	cp "$1" "$BOX/tmp/sets.sh"
	# shellcheck disable=SC2016
	box_run sh -c 'S() { kp7cui -s "$@" >/dev/null || echo "failed($?): $*"; }; . /tmp/sets.sh'
	rm -f "$BOX/tmp/sets.sh"
}

dump_words() {
	local s=$1 w='' c i inq=0 esc=0 have=0 LC_ALL=C
	WORDS=()
	for ((i = 0; i < ${#s}; i++)); do
		c=${s:i:1}
		if ((esc)); then
			case $c in
			n) w+=$'\n' ;;
			r) w+=$'\r' ;;
			x) printf -v c "\\x${s:i+1:2}" && i=$((i + 2)) && w+=$c ;;
			*) w+=$c ;;
			esac
			esc=0
		elif ((inq)); then
			case $c in
			\\) esc=1 ;;
			'"') inq=0 ;;
			*) w+=$c ;;
			esac
		elif [ "$c" = '"' ]; then
			inq=1 have=1
		elif [ "$c" = ' ' ]; then
			((have)) && WORDS+=("$w")
			w='' have=0
		else
			w+=$c have=1
		fi
	done
	((have)) && WORDS+=("$w")
	return 0
}

repeat() {
	local pct=${KP7_REPEAT:-100} min=${2:-1} n
	[[ $pct =~ ^[0-9]+$ ]] || pct=100
	n=$(($1 * pct / 100))
	echo $((n < min ? min : n))
}

# The sandbox's tools: a MIPS build takes them from the host build
# (KP7_HOST_BUILD) when there is one, else runs them emulated.  Sets $TOOL
# to the command line of one.
_tool() {
	local t=${KP7_HOST_BUILD:-$KP7_BUILD}/$1
	TOOL=("$t")
	[ "$(od -An -tx1 -j5 -N1 "$t" | tr -d ' ')" != 02 ] ||
		TOOL=(qemu-mips -L "${KP7_MIPS_SYSROOT:-/usr/mips-linux-gnu}" "$t")
}

modem_start() {
	local tty=$1 script=$_TMP/modem${#_MODEMS[@]} i
	_tool modemsim
	cat >"$script"
	rm -f "$BOX/var/log/modem.$tty"
	KP7_ROOT=$BOX "${TOOL[@]}" "$tty" "$script" &
	MODEM_PID=$!
	_MODEMS+=("$MODEM_PID")
	for ((i = 0; i < 200; i++)); do
		[ -L "$BOX/dev/$tty" ] && return 0
		kill -0 "$MODEM_PID" 2>/dev/null || break
		sleep 0.05
	done
	echo "FAIL: modemsim on $tty did not start"
	exit 1
}

modem_stop() {
	local pid
	for pid in "${_MODEMS[@]}"; do
		kill "$pid" 2>/dev/null
		wait "$pid" 2>/dev/null
	done
	_MODEMS=()
}

modem_sent() {
	local log=$BOX/var/log/modem.${1:-ttyUSB0}
	[ ! -f "$log" ] || { cat "$log"; : >"$log"; }
}

rec() {
	_tool kp7rec
	"${TOOL[@]}" "$@" || { echo "FAIL: kp7rec $*" >&2; exit 1; }
}

wl_answer() {
	local dir=$BOX/proc/.wireless/$1
	mkdir -p "$dir" && cat >"$dir/$2${3:+.$3}"
}

wl_requests() { _box_file var/log/wireless; }

done_testing() {
	echo "$_PASS passed, $_FAIL failed"
	[ "$_FAIL" -eq 0 ]
	exit
}
