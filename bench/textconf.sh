#!/bin/bash
# The text restore against the kp7cui runs it makes: a full restore (both
# sets, every list full) side by side with the same number of plain
# `kp7cui -s -t c WLAN_SSID 0 x` runs, started through the root's shell as
# the restore starts its commands, and started directly.  Totals and the
# cost per line; the median of three alternating rounds.
#
#   bash bench/textconf.sh [BUILD_BIN]     (default: build/bin; needs root:
#                                           the root's shell chroots)
source "$(dirname "$0")/lib.sh"
TC=$KP7_ROOT/var/mnt/text_conf

# shellcheck disable=SC2329
S() { "$kp7cui" -s "$@" >/dev/null; }
# shellcheck source=/dev/null
. "$here/../tests/e2e/data/full_c.set"
# shellcheck source=/dev/null
. "$here/../tests/e2e/data/full_d.set"
"$kp7cui" -T -o s
version=$(cat "$TC/cur_ver")
cp -a "$TC" "$work/backup"

now_us() { echo "${EPOCHREALTIME/./}"; }

# One restore of the saved backup, as after a firmware change; prints
# its wall time in microseconds.
restore_once() {
	rm -rf "$TC" && cp -a "$work/backup" "$TC"
	echo $((version + 1)) >"$KP7_ROOT/etc/mib_version"
	: >"$KP7_ROOT/var/log/commands"
	local t0 t1
	t0=$(now_us)
	"$kp7cui" -T -o l
	t1=$(now_us)
	rm -f "$KP7_ROOT/etc/mib_version"
	echo $((t1 - t0))
}

# N runs of a command one after the other; their wall time in microseconds.
runs() {
	local n=$1 t0 t1
	shift
	t0=$(now_us)
	"$work/spawn" "$n" "$@" >/dev/null
	t1=$(now_us)
	echo $((t1 - t0))
}

restore_once >/dev/null
n=$(wc -l <"$KP7_ROOT/var/log/commands")
if [ "$(ls -A "$TC")" ] || [ "$n" -lt 400 ]; then
	echo "textconf.sh: the restore did not run as expected ($n commands)" >&2
	exit 1
fi

r=() s=() d=()
for _ in 1 2 3; do
	r+=("$(restore_once)")
	s+=("$(runs "$n" "$KP7_ROOT/bin/sh" -c "kp7cui -s -t c WLAN_SSID 0 x")")
	d+=("$(runs "$n" "$kp7cui" -s -t c WLAN_SSID 0 x)")
done
mr=$(printf '%s\n' "${r[@]}" | median)
ms=$(printf '%s\n' "${s[@]}" | median)
md=$(printf '%s\n' "${d[@]}" | median)

echo "== text restore of a full store: $n kp7cui runs (both sets, every list full)"
awk -v n="$n" -v r="$mr" -v s="$ms" -v d="$md" 'BEGIN {
	printf "full restore (kp7cui -T -o l):                %7.0f ms  %6.2f ms per line\n", r / 1000, r / 1000 / n
	printf "%d x kp7cui -s ... through the root shell:   %7.0f ms  %6.2f ms per run\n", n, s / 1000, s / 1000 / n
	printf "%d x kp7cui -s ... started directly:         %7.0f ms  %6.2f ms per run\n", n, d / 1000, d / 1000 / n
	printf "restore / the same runs through the shell:    %.2f\n", r / s
	printf "restore / the same runs started directly:     %.2f\n", r / d
}'
