#!/bin/bash
# syscheck's own cost, measured side by side in one run:
#  1. instructions of one pass in which no countdown runs out (callgrind,
#     commands excluded): budget 20,000;
#  2. CPU over a real idle minute (boa alive, the USB drivers there, the
#     three start-up checks on, settings re-read every 10 s), the daemon
#     with its children against a minimal C daemon that runs the same
#     commands through the same shell at the same time: budget 1.2 times;
#  3. its resident memory at the end of that minute: budget 1.5 MiB.
#
#   bash bench/syscheck.sh [BUILD_BIN]      (default: build/bin)
#
# A measurement, not a test: exits 0 unless something could not run.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
bin=${1:-$here/../build/bin}
bin=$(cd "$bin" && pwd)
for p in kp7box syscheck sck_pass_bench sck_base; do
	[ -x "$bin/$p" ] || { echo "syscheck.sh: $bin/$p not built" >&2; exit 1; }
done
work=$(mktemp -d)
jobs=()
trap 'for j in "${jobs[@]}"; do kill "$j" 2>/dev/null; done; wait; rm -rf "$work"' EXIT

# A root where the siblings are alive and the USB host drivers loaded.
make_root() {
	"$bin/kp7box" create "$1" >/dev/null
	printf '#!/bin/bash\nwhile :; do sleep 3600; done\n' >"$1/bin/boa"
	printf '#!/bin/bash\necho "ohci_hcd 20000 0"; echo "ehci_hcd 30000 0"\n' >"$1/bin/lsmod"
	printf '#!/bin/bash\necho "  iProduct 3 ohci_hcd"; echo "  iProduct 3 ehci_hcd"\n' >"$1/bin/lsusb"
}

echo "== one pass in which no countdown runs out"
make_root "$work/pass"
count() {
	KP7_ROOT=$work/pass valgrind --tool=callgrind --callgrind-out-file=/dev/null \
		"$bin/sck_pass_bench" "$1" 2>&1 | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
zero=$(count 0)
many=$(count 1000)
awk -v z="$zero" -v m="$many" 'BEGIN {
	printf "instructions per idle pass: %.0f (budget 20000), ratio to budget %.2f\n",
		(m - z) / 1000, (m - z) / 1000 / 20000 }'

# The process of the job whose executable is $2.
find_exe() {
	local p
	for p in $(pgrep -s "$(ps -o sid= -p "$1" | tr -d ' ')" 2>/dev/null); do
		[ "$(readlink /proc/"$p"/exe 2>/dev/null)" = "$2" ] && { echo "$p"; return; }
	done
}
# CPU of a process and the children it waited for, in milliseconds.
cpu_ms() {
	awk -v hz="$(getconf CLK_TCK)" '{ printf "%d", ($14 + $15 + $16 + $17) * 1000 / hz }' \
		"/proc/$1/stat"
}

echo "== a real idle minute: syscheck against a minimal C daemon running the same commands"
make_root "$work/a"
make_root "$work/b"
setsid "$bin/kp7box" run "$work/a" sh -c '(boa &); exec syscheck' >/dev/null 2>&1 &
jobs+=($!)
sleep 1
sck=$(find_exe "${jobs[0]}" "$work/a/bin/syscheck")
setsid "$bin/kp7box" run --host "$work/b" "$bin/sck_base" "$work/a" >/dev/null 2>&1 &
jobs+=($!)
sleep 1
base=$(find_exe "${jobs[1]}" "$bin/sck_base")
[ -n "$sck" ] && [ -n "$base" ] || { echo "syscheck.sh: the daemons did not start" >&2; exit 1; }
sleep 4
s0=$(cpu_ms "$sck") b0=$(cpu_ms "$base") c0=$(wc -l <"$work/a/var/log/commands")
sleep 60
s1=$(cpu_ms "$sck") b1=$(cpu_ms "$base") c1=$(wc -l <"$work/a/var/log/commands")
rss=$(sed -n 's/^VmRSS:[[:space:]]*//p' "/proc/$sck/status")
hwm=$(sed -n 's/^VmHWM:[[:space:]]*//p' "/proc/$sck/status")
echo "commands syscheck ran in the minute: $((c1 - c0))"
echo "syscheck with its children:        $((s1 - s0)) ms"
echo "minimal C daemon, same commands:   $((b1 - b0)) ms"
awk -v s="$((s1 - s0))" -v b="$((b1 - b0))" 'BEGIN {
	printf "ratio syscheck / minimal:          %.2f (budget 1.20)\n", s / (b ? b : 1) }'
echo "syscheck resident memory:          $rss now, $hwm at most (budget 1536 kB)"
