#!/bin/bash
# The main job: install what is needed, build, and show the suite at work
# on a freshly made router sandbox.  Nothing here touches this machine
# outside the sandbox directory.
#
#   bash tools/demo.sh [SANDBOX_DIR]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
bash "$top/tools/setup.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$top/build" -j2 >/dev/null

box=${1:-$(mktemp -d /tmp/kp7-demo.XXXXXX)}
kp7box=$top/build/bin/kp7box
step() { printf '\n== %s\n' "$*"; }
run() { printf '$ %s\n' "$*"; "$kp7box" run "$box" "$@" || printf '(exit status %d)\n' $?; }

step "a fresh router root in $box"
rm -rf "$box"
"$kp7box" create "$box"

step "the command line: usage text, then a diagnostic at debug level 3"
run kp7cui
run kp7cui -d 3 -s -g

step "the store starts from factory settings"
run flash get IP_ADDR
run flash get WLAN_SSID

step "flush the current settings to flash (Succeed. shows at debug level 6)"
run kp7cui -d 6 -f -t c
ls -l "$box/flash/apmib"

step "load defaults: kp7cui hands the job to the firmware's flash program"
run flash set HOST_NAME demo-router
run flash get HOST_NAME
run kp7cui -d 6 -l -t d
run flash get HOST_NAME

step "power fails while a working copy is written: the flash copy answers"
run flash set HOST_NAME office-router
size=$(stat -c %s "$box/var/apmib/cur.mib")
truncate -s $((size / 2)) "$box/var/apmib/cur.mib"
run flash get HOST_NAME
tail -n 1 "$box/var/log/messages"

step "and while the flash copy is written, then the router reboots: factory settings answer"
size=$(stat -c %s "$box/flash/apmib/cur.mib")
truncate -s $((size / 2)) "$box/flash/apmib/cur.mib"
"$kp7box" reboot "$box"
run flash get HOST_NAME
tail -n 1 "$box/var/log/messages"

step "every command the programs ran, as the sandbox's shell recorded it"
"$kp7box" commands "$box"
printf '\nThe sandbox stays in %s (remove it with rm -rf).\n' "$box"
