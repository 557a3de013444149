#!/bin/bash
# What utl_flash() costs for one setting against the same "flash get"
# run through /bin/sh by a minimal C program with popen(), side by side
# in one run.  The target: at most 1.2 times the plain program.
#
#   bash bench/utl_flash.sh [BUILD_BIN]      (default: build/bin)
#
# Both read WLAN_SSID from the build's flash in a scratch root whose
# bin/sh is the machine's /bin/sh, so that both pay for the same shell
# and the same flash; only what utl_flash adds around them differs.
# A measurement, not a test: exits 0 unless something could not run.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$here/../build/bin}
bin=$(cd "$bin" && pwd)
for p in flash utl_flash_bench utl_flash_base; do
	[ -x "$bin/$p" ] || { echo "utl_flash.sh: $bin/$p not built" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A root with only what "flash get" needs: the store starts from its
# factory values and a read writes nothing.
mkdir -p "$work/root/bin" "$work/root/var" "$work/root/flash"
cp "$bin/flash" "$work/root/bin/flash"
ln -s /bin/sh "$work/root/bin/sh"
export KP7_ROOT=$work/root PATH=$work/root/bin:$PATH

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
us() { sed -n 's/^median_us=\([0-9.]*\).*/\1/p'; }

rounds=${KP7_BENCH_ROUNDS:-7} runs=${KP7_BENCH_RUNS:-100}
echo "== utl_flash get WLAN_SSID: $rounds alternating rounds of $runs reads, median of the round medians"
"$bin/utl_flash_bench" 1 WLAN_SSID
"$bin/utl_flash_base" 1 WLAN_SSID
base=() ours=()
for _ in $(seq "$rounds"); do
	base+=("$("$bin/utl_flash_base" "$runs" WLAN_SSID | us)")
	ours+=("$("$bin/utl_flash_bench" "$runs" WLAN_SSID | us)")
done
b=$(printf '%s\n' "${base[@]}" | median)
o=$(printf '%s\n' "${ours[@]}" | median)
echo "rounds, plain popen(): ${base[*]}"
echo "rounds, utl_flash():   ${ours[*]}"
awk -v b="$b" -v o="$o" 'BEGIN {
	printf "plain C popen + /bin/sh + flash: %.0f us\n", b
	printf "utl_flash get:                   %.0f us\n", o
	printf "ratio utl_flash / plain:         %.2f (target at most 1.20)\n", o / b
}'
