#!/bin/bash
# Start-up cost of kp7cui against a static C program that does nothing,
# measured side by side in one run, plus instruction counts and memory.
#
#   bash bench/startup.sh [BUILD_BIN]     (default: build/bin)
#
# Prints each ratio and count; it is a measurement, not a test, and
# always exits 0 unless something could not be run at all.
source "$(dirname "$0")/lib.sh"

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
echo "static C no-op:   $(peak_rss "$work/noop")"
echo "usage error:      $(peak_rss "$kp7cui")"
echo "-f -t c:          $(peak_rss "$kp7cui" -f -t c)"

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
