# lib.sh - sourced by the benchmarks: a static launcher and no-op, a fresh
# router root, and side-by-side timing against the no-op.
#
#   source bench/lib.sh [BUILD_BIN]    sets $bin, $work, $KP7_ROOT, $kp7cui
#   side_by_side CMD ARGS...           "N us vs N us, ratio R" against the no-op
#   instructions CMD ARGS...           callgrind's instruction count of one run
#   peak_rss CMD ARGS...               largest peak resident set of 5 runs, KiB
set -eu
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
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

peak_rss() {
	"$work/spawn" 5 "$@" | sed 's/.*maxrss_kb=//'
}
