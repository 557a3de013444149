#!/bin/bash
# kp7cui get, set and dump against a static C program that does nothing,
# side by side in one run, on a store where every setting is changed and
# every list is full; plus instruction counts and peak memory.
#
#   bash bench/cui_getset.sh [BUILD_BIN]     (default: build/bin)
source "$(dirname "$0")/lib.sh"

# shellcheck disable=SC2329
S() { "$kp7cui" -s "$@" >/dev/null; }
# shellcheck source=/dev/null
. "$here/../tests/e2e/data/full_c.set"
rows=$("$kp7cui" -g -t c -a | wc -l)

echo "== kp7cui (median of 5 x 20 runs, against a static C no-op)"
printf 'get  -g -t c WLAN_SSID 0:      '; side_by_side "$kp7cui" -g -t c WLAN_SSID 0
printf 'set  -s -t c WLAN_SSID 0 x:    '; side_by_side "$kp7cui" -s -t c WLAN_SSID 0 x
printf 'dump -g -t c -a (%d rows):   ' "$rows"; side_by_side "$kp7cui" -g -t c -a

echo "== instructions (callgrind)"
echo "static C no-op:                $(instructions "$work/noop")"
echo "get WLAN_SSID 0:               $(instructions "$kp7cui" -g -t c WLAN_SSID 0)"
echo "set WLAN_SSID 0 x:             $(instructions "$kp7cui" -s -t c WLAN_SSID 0 x)"
echo "dump, full store:              $(instructions "$kp7cui" -g -t c -a)"

echo "== peak resident memory (KiB)"
echo "static C no-op:   $(peak_rss "$work/noop")"
echo "get:              $(peak_rss "$kp7cui" -g -t c WLAN_SSID 0)"
echo "set:              $(peak_rss "$kp7cui" -s -t c WLAN_SSID 0 x)"
echo "dump:             $(peak_rss "$kp7cui" -g -t c -a)"
