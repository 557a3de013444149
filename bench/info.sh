#!/bin/bash
# kp7cui's status reports against a static C program that does nothing,
# side by side in one run, with instruction counts; and a modem dialogue
# against the simulated modem answering at once, against the two 0.1 s
# time-outs that end it.
#
#   bash bench/info.sh [BUILD_BIN]     (default: build/bin)
#
# A measurement, not a test: it prints each figure and exits 0 unless
# something could not be run at all.
source "$(dirname "$0")/lib.sh"

echo "== kp7cui reports (median of 5 x 20 runs, against a static C no-op)"
printf 'STATUS:            '; side_by_side "$kp7cui" -i STATUS 0
printf 'TRANSFER_STATUS:   '; side_by_side "$kp7cui" -i TRANSFER_STATUS 0

echo "== instructions (callgrind)"
echo "static C no-op:    $(instructions "$work/noop")"
echo "STATUS:            $(instructions "$kp7cui" -i STATUS 0)"
echo "TRANSFER_STATUS:   $(instructions "$kp7cui" -i TRANSFER_STATUS 0)"

echo "== MODEM_SQ against a modem that answers at once (10 runs)"
cat >"$work/modem.script" <<'EOM'
cmd AT+CSQ
line +CSQ: 18,99
line OK
EOM
printf '19d2:0016\n' >"$KP7_ROOT/var/usb3g.tty_id"
"$bin/modemsim" ttyUSB1 "$work/modem.script" &
sim=$!
for _ in $(seq 100); do [ -L "$KP7_ROOT/dev/ttyUSB1" ] && break; sleep 0.05; done
times=()
for _ in $(seq 10); do
	start=$(date +%s%N)
	level=$("$kp7cui" -i MODEM_SQ 0)
	times+=($((($(date +%s%N) - start) / 1000)))
done
kill "$sim"
wait "$sim" 2>/dev/null
ms=$(printf '%s\n' "${times[@]}" | median)
awk -v us="$ms" -v level="$level" 'BEGIN {
	printf "median %.1f ms (level %s); budget: two time-outs and 50 ms = 250 ms, ratio %.2f\n",
		us / 1000, level, us / 250000 }'
