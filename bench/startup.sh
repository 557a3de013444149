#!/bin/bash
# Start-up cost of kp7cui against a static C program that does nothing,
# measured side by side in one run, plus instruction counts and memory.
#
#   bash bench/startup.sh [BUILD_BIN]     (default: build/bin)
#
# Prints each ratio and count; it is a measurement, not a test, and
# always exits 0 unless something could not be run at all.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$here/../build/bin}
bin=$(cd "$bin" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The launcher is static and small: a child's peak resident set counts
# its parent's at the fork, so a big launcher would inflate every figure.
cc -O2 -static -o "$work/spawn" "$here/spawn.c"
cc -O2 -static -o "$work/noop" "$here/noop.c"
"$bin/kp7box" create "$work/root" >/dev/null
export KP7_ROOT=$work/root
kp7cui=$work/root/bin/kp7cui

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# Five alternating rounds of 20 runs each; the median of the round medians.
side_by_side() {
	local a=() b=()
	for _ in 1 2 3 4 5; do
		a+=("$("$work/spawn" 20 "$work/noop" | sed 's/median_us=\([0-9.]*\).*/\1/')")
		b+=("$("$work/spawn" 20 "$@" | sed 's/median_us=\([0-9.]*\).*/\1/')")
	done
	local ma mb
	ma=$(printf '%s\n' "${a[@]}" | median)
	mb=$(printf '%s\n' "${b[@]}" | median)
	awk -v a="$ma" -v b="$mb" 'BEGIN { printf "%.0f us vs %.0f us, ratio %.2f\n", b, a, b / a }'
}

instructions() {
	valgrind --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
		sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}

echo "== kp7cui start-up (median of 5 x 20 runs, against a static C no-op)"
printf 'usage error (kp7cui, no options):   '; side_by_side "$kp7cui"
printf 'flush of a factory store (-f -t c): '; side_by_side "$kp7cui" -f -t c

echo "== instructions (callgrind, the same on every run)"
echo "static C no-op:              $(instructions "$work/noop")"
echo "kp7cui usage error:          $(instructions "$kp7cui")"
rm -rf "$KP7_ROOT/var/apmib" "$KP7_ROOT/flash/apmib"
echo "kp7cui -f -t c, factory:     $(instructions "$kp7cui" -f -t c)"
echo "flash get WLAN_SSID:         $(instructions "$work/root/bin/flash" get WLAN_SSID)"

echo "== peak resident memory (KiB)"
echo "static C no-op:   $("$work/spawn" 5 "$work/noop" | sed 's/.*maxrss_kb=//')"
echo "usage error:      $("$work/spawn" 5 "$kp7cui" | sed 's/.*maxrss_kb=//')"
echo "-f -t c:          $("$work/spawn" 5 "$kp7cui" -f -t c | sed 's/.*maxrss_kb=//')"

echo "== run-time libraries"
for p in kp7cui flash cfgburn mibtool; do
	[ -x "$bin/$p" ] || continue
	libs=$(readelf -d "$bin/$p" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p' | tr '\n' ' ')
	printf '%-8s %s\n' "$p" "${libs:-(statically linked)}"
done

echo "== store files touched by read-only use"
touch "$work/mark"; sleep 1
"$work/root/bin/flash" get IP_ADDR >/dev/null
changed=$(find "$KP7_ROOT/var/apmib" "$KP7_ROOT/flash" -type f -newer "$work/mark" 2>/dev/null | wc -l)
echo "files written by 'flash get': $changed"
