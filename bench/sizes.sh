#!/bin/bash
# The router's flash budget: each program of a MIPS build, stripped, with
# the shared libraries it needs (from its ELF dynamic section).  Prints a
# Markdown table; exits non-zero when a built program is over its budget,
# is not a 32-bit big-endian MIPS executable, or needs anything beyond the
# C library (libstdc++ above all).
#
#   bash bench/sizes.sh [MIPS_BUILD_BIN]      (default: build-mips/bin)
set -u
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$here/../build-mips/bin}
readelf=${KP7_READELF:-mips-linux-gnu-readelf}
strip=${KP7_STRIP:-mips-linux-gnu-strip}

# program budget-in-KiB
budgets=(
	"kp7cui 128"
	"syscheck 64"
	"romfetch 64"
	"mdmprobe 16"
	"mdmsetup 16"
)
# What the router's small C library provides; nothing else may be needed.
allowed='^(libc\.so\.[0-9]+|libm\.so\.[0-9]+|ld\.so\.1|libssl\.so\.[0-9]+|libcrypto\.so\.[0-9]+)$'

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

needed_libs()
{
	"$readelf" -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'
}

is_mips_be32()
{
	"$readelf" -h "$1" 2>/dev/null | grep -q 'Class:.*ELF32' &&
		"$readelf" -h "$1" | grep -q 'Data:.*big endian' &&
		"$readelf" -h "$1" | grep -q 'Machine:.*MIPS'
}

fail=0
echo "| Program | Stripped size (bytes) | KiB | Budget (KiB) | Within budget | Needed libraries |"
echo "|---|---:|---:|---:|---|---|"
for entry in "${budgets[@]}"; do
	set -- $entry
	prog=$1 budget=$2
	if [ ! -f "$bin/$prog" ]; then
		echo "| \`$prog\` | not built yet | | $budget | | |"
		continue
	fi
	if ! is_mips_be32 "$bin/$prog"; then
		echo "| \`$prog\` | not a 32-bit big-endian MIPS program | | $budget | no | |"
		fail=1
		continue
	fi
	cp "$bin/$prog" "$work/$prog"
	"$strip" -s "$work/$prog"
	size=$(stat -c %s "$work/$prog")
	kib=$(awk -v s="$size" 'BEGIN { printf "%.1f", s / 1024 }')
	libs=$(needed_libs "$work/$prog" | tr '\n' ' ' | sed 's/ $//; s/ /, /g')
	ok=yes
	[ "$size" -le $((budget * 1024)) ] || ok=no
	for lib in $(needed_libs "$work/$prog"); do
		[[ $lib =~ $allowed ]] || ok="no (needs $lib)"
	done
	[ "$ok" = yes ] || fail=1
	echo "| \`$prog\` | $size | $kib | $budget | $ok | ${libs:-none (static)} |"
done
exit $fail
