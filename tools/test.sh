#!/bin/bash
# Builds and tests everything, the way CI does:
#   1. the host build, whole suite;
#   2. the host build with AddressSanitizer and UBSan, whole suite;
#   3. the router's build (32-bit big-endian MIPS, cross compiled, -Os),
#      its suite run under qemu user-mode emulation;
#   4. the router's size table (bench/sizes.sh), which fails when a
#      program is over its flash budget or needs more than the C library.
# Exits non-zero when anything failed; prints each ctest summary and the
# time of every stage (configure and build, tests) at the end.
#
#   bash tools/test.sh              builds in build, build-san, build-mips
#   KP7_OUT=/tmp/b bash tools/test.sh       ... in /tmp/b, /tmp/b-san, /tmp/b-mips
#   KP7_MIPS_TESTS=REGEX            only the MIPS tests whose names match
#
# Repetitions: loops that repeat a scenario to catch what happens rarely
# (kill moments, leaks) run their full count natively and KP7_REPEAT per
# cent of it under the sanitizers and under emulation, where every
# program start costs many times as much (tests/e2e/lib.sh "repeat").
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
out=${KP7_OUT:-$top/build}
jobs=${KP7_JOBS:-2}
reduced=${KP7_REPEAT_REDUCED:-25}
summary=()
failed=0
all_passed=0
all_failed=0
started=$(date +%s)

bash "$top/tools/setup.sh" || exit 1

# step NAME BUILD_DIR CTEST_ARGS... -- CMAKE_ARGS...
step() {
	local name=$1 dir=$2 ctest_args=() start built end log
	shift 2
	while [ $# -gt 0 ] && [ "$1" != -- ]; do
		ctest_args+=("$1")
		shift
	done
	shift
	start=$(date +%s)
	printf '\n==== %s (%s)\n' "$name" "$dir"
	if ! cmake -S "$top" -B "$dir" -G Ninja "$@" >/dev/null ||
		! cmake --build "$dir" -j "$jobs"; then
		summary+=("$name: BUILD FAILED after $(($(date +%s) - start)) s")
		failed=1
		all_failed=$((all_failed + 1))
		return
	fi
	built=$(date +%s)
	log=$dir/ctest.log
	(cd "$dir" && ctest -j "$jobs" --output-on-failure "${ctest_args[@]}") 2>&1 | tee "$log"
	[ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
	end=$(date +%s)
	local line total bad
	line=$(grep -E 'tests passed|tests failed' "$log" | tail -n 1)
	total=$(sed -n 's/.* out of \([0-9]*\).*/\1/p' <<<"$line")
	bad=$(sed -n 's/.*, \([0-9]*\) tests failed.*/\1/p' <<<"$line")
	if [ -n "$total" ] && [ -n "$bad" ]; then
		all_passed=$((all_passed + total - bad))
		all_failed=$((all_failed + bad))
	else
		all_failed=$((all_failed + 1))
	fi
	summary+=("$name: $line" \
		"$name: configure and build $((built - start)) s, tests $((end - built)) s")
}

KP7_REPEAT=100 step "host" "$out" -- -DCMAKE_BUILD_TYPE=Release
# The sandbox's own tools (kp7init, kp7sh, kp7standin) serve every other
# test from the host build; its own tests (sandbox_*) keep the sanitized ones.
KP7_REPEAT=$reduced KP7_SANDBOX_BUILD=$out/bin step "host, sanitizers" "$out-san" -- -DKP7_SANITIZE=ON
# The sandbox's recording shell and busybox stay native under emulation:
# kp7box takes kp7init, kp7sh and the stand-ins from the host build.
mips_args=()
[ -z "${KP7_MIPS_TESTS:-}" ] || mips_args=(-R "$KP7_MIPS_TESTS")
KP7_REPEAT=$reduced KP7_HOST_BUILD=$out/bin step "MIPS under qemu" "$out-mips" "${mips_args[@]}" -- \
	-DCMAKE_TOOLCHAIN_FILE="$top/cmake/mips-linux-gnu.cmake" -DCMAKE_BUILD_TYPE=Release

printf '\n==== MIPS program sizes\n'
if ! bash "$top/bench/sizes.sh" "$out-mips/bin"; then
	summary+=("sizes: OVER BUDGET or unwanted libraries")
	failed=1
else
	summary+=("sizes: every built program within budget, C library only")
fi

printf '\n==== summary\n'
printf '%s\n' "${summary[@]}"
echo "$all_passed passed, $all_failed failed, $(($(date +%s) - started)) s in all"
exit $failed
