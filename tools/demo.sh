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
run() { local q; q=$(printf '%q ' "$@"); printf '$ %s\n' "${q% }"; "$kp7box" run "$box" "$@" || printf '(exit status %d)\n' $?; }

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

step "settings by name: set and read back, per wireless network (index 0 or 1)"
run kp7cui -d 6 -s -t c WLAN_SSID 0 office
run kp7cui -s -t c WLAN_SSID 1 'guest "lobby"'
run kp7cui -g -t c WLAN_SSID 0
run kp7cui -g -t c WLAN_SSID 1
run kp7cui -s -t c PPP_IDLE_TIME 0 5
run kp7cui -g -t c PPP_IDLE_TIME 0
run flash get PPP_IDLE_TIME

step "refused values: an error code and text, and the store as it was"
run kp7cui -d 3 -s -t c WLAN_SSID 2 home
run kp7cui -d 3 -s -t c DNS1 0 10.0.0.256
run kp7cui -d 3 -s -t c WLAN_SSID 0 $'two\nlines'
run kp7cui -g -t c WLAN_SSID 0

step "lists: add entries, read one, delete one; host names live in the hosts file"
run kp7cui -s -t c PORTFW_ADD 0 192.168.0.10 1 80 80 8080 web
run kp7cui -s -t c PORTFW_ADD 0 192.168.0.11 2 53 53 53 dns
run kp7cui -s -t c PORTFW_DEL 1
run kp7cui -g -t c PORTFW_TBL 1
run kp7cui -s -t c EASYDNS_ADD 0 192.168.0.5 nas '#disk'
run kp7cui -s -t c EASYDNS_ADD 0 192.168.0.6 printer '#office'
run kp7cui -s -t c EASYDNS_DEL 1
cat "$box/var/mnt/etc/hosts"

step "the whole current set as text lines (rows changed above), then the default set's first lines"
"$kp7box" run "$box" kp7cui -g -t c -a | grep -E '^(WLAN_SSID|PPP_IDLE_TIME|PORTFW|EASYDNS)'
"$kp7box" run "$box" kp7cui -g -t d -a | head -n 8

step "every command the programs ran, as the sandbox's shell recorded it"
"$kp7box" commands "$box"

step "text backup across a firmware change: save both sets, a new layout version, restore"
run kp7cui -s -t c WLAN_SSID 0 'lobby $(reboot) `id`'
run kp7cui -s -t c HOST_NAME 0 'shop-"north"'
run kp7cui -s -t d DNS1 0 9.9.9.9
run kp7cui -d 6 -T -o s
tc=$box/var/mnt/text_conf
ls -l "$tc"
printf 'saved layout version: %s\n' "$(cat "$tc/cur_ver")"
grep -E '^(WLAN_SSID 0|HOST_NAME|PORTFW_TBL) ' "$tc/cur.txt"
# the new firmware: another layout version and factory settings
echo $(($(cat "$tc/cur_ver") + 1)) >"$box/etc/mib_version"
rm -rf "$box/var/apmib" "$box/flash/apmib"
"$kp7box" reboot "$box"
run kp7cui -g -t c WLAN_SSID 0
lines=$(wc -l <"$box/var/log/commands")
run kp7cui -d 6 -T -o l
run kp7cui -g -t c WLAN_SSID 0
run kp7cui -g -t c HOST_NAME 0
run kp7cui -g -t c PORTFW_TBL 1
run kp7cui -g -t d DNS1 0
printf 'backup files left: %s\n' "$(ls -A "$tc" | wc -l)"
printf 'commands the restore ran: %s, e.g.\n' "$(($(wc -l <"$box/var/log/commands") - lines))"
tail -n +$((lines + 1)) "$box/var/log/commands" | grep -E 'WLAN_SSID 0|HOST_NAME|PORTFW|-f -t' || true
printf 'firmware commands a setting ran: %s\n' "$(cat "$box/var/log/standins" 2>/dev/null | wc -l)"
grep textconfig "$box/var/log/messages" || true
step "automatic firmware update: an image made with fwimg, served on loopback, the real wget in the root"
fw=$(mktemp -d /tmp/kp7-demo-fw.XXXXXX)
head -c 200000 /dev/urandom >"$fw/kernel"
head -c 4000 /dev/urandom >"$fw/web"
head -c 100000 /dev/urandom >"$fw/rootfs"
run kp7cui -s -t d HOST_NAME 0 from-the-image
run mibtool export def /tmp/def.mib
mv "$box/tmp/def.mib" "$fw/def.mib"
mkdir "$fw/www"
"$top/build/bin/fwimg" "$fw/www/fw.bin" firmware "$fw/kernel" 0x20000 web "$fw/web" 0x10000 \
	rootfs "$fw/rootfs" config "$fw/def.mib" 6G 01 COMPCS
echo "v2.02.51(ZT001)" >"$fw/www/fw.ver"
ls -l "$fw/www"
"$top/build/bin/kp7httpd" "$fw/www" "$fw/port" >"$fw/requests" &
httpd=$!
while [ ! -s "$fw/port" ]; do sleep 0.1; done
url=http://127.0.0.1:$(cat "$fw/port")/fw.bin
"$kp7box" add-tool "$box" wget
run flash set AUTO_FIRMUP_URL "$url"
run flash set AUTO_FIRMUP_WEEK 0x40
run flash set AUTO_FIRMUP_HOUR 3
run flash set AUTO_FIRMUP_MIN 0
run flash set AUTO_FIRMUP_ENABLE 1
: >"$box/tmp/ntp_tmp"

step "romfetch from Sunday 02:59:40 on a clock 20 times as fast, beside sibling daemons: due at 03:00 on Sundays"
echo TERM >"$box/var/sandbox/stationmap.die"
echo TERM >"$box/var/sandbox/pppd.die"
lines=$(wc -l <"$box/var/log/commands")
: >"$box/var/log/standins"
env -u http_proxy -u https_proxy KP7_SHARE_NET=1 KP7_TIME_RATE=20 \
	KP7_TIME_START="$(date -u -d '2024-01-07 02:59:40' +%s)" "$kp7box" run "$box" sh -c \
	'(boa &); (wanctl -t 16 -c 1 -x &); (stationmap -s 12345 &); (pppd &); exec romfetch' &
upd=$!
for _ in $(seq 600); do
	grep -qx reboot "$box/var/log/standins" 2>/dev/null && break
	sleep 0.1
done
sleep 0.5
kill "$upd"
wait "$upd" 2>/dev/null || true
kill "$httpd"
printf '\n(romfetch printed the lines above; it waits for the reboot, the sandbox ended it)\n'
echo "requests the server saw:"
cat "$fw/requests"
echo "syslog:"
grep -E 'romfetch|logger' "$box/var/log/messages"
echo "commands romfetch ran (the stop sequence once, then the writes):"
tail -n +$((lines + 1)) "$box/var/log/commands" | grep -v '^flash get'
echo "signals the sibling daemons caught (the others were killed with -9):"
cat "$box/var/log/signals"
echo "stand-ins called:"
grep -v '^wget ' "$box/var/log/standins" | tr '\n' ';'
echo

step "the flash files: FIRMWARE at 0x20000 and WEB at 0x10000 of mtdblock0 (headers included), ROOTFS payload at 0 of mtdblock1"
od -A x -t x1 -j $((0x20000)) -N 32 "$box/dev/mtdblock0"
od -A x -t x1 -j $((0x10000)) -N 16 "$box/dev/mtdblock0"
od -A x -t x1 -N 16 "$box/dev/mtdblock1"
cmp -n $((16 + 200002)) "$fw/www/fw.bin" "$box/dev/mtdblock0" $((0)) $((0x20000)) && echo "mtdblock0 holds the FIRMWARE section byte for byte"
cmp -n 100002 "$fw/www/fw.bin" "$box/dev/mtdblock1" $((200018 + 4017 + 16)) 0 && echo "mtdblock1 holds the ROOTFS payload byte for byte"
echo "settings saved as text before the writes: $(ls "$box/var/mnt/text_conf" | tr '\n' ' ')"
run kp7cui -g -t d HOST_NAME 0
rm -rf "$fw"

step "the modem AT tools against simulated USB modems (pseudo-terminals behind /dev/ttyUSB0 and 1)"
cat >"$box/tmp/modem.script" <<'EOF'
cmd ATI
line Manufacturer: huawei
line Model: E173
line Revision: 11.126.85.00.209
line OK
cmd AT+CGDCONT?
line +CGDCONT: 1,"IP","internet","0.0.0.0",0,0
line OK
cmd AT$$AUTH_TIME=000000000000
line $$AUTH_TIME: 1
line OK
cmd *
line OK
EOF
# modem SCRIPT TTY...: a simulated modem on each TTY; waits until they are there
modem() {
	local script=$1 tty
	shift
	for tty; do
		KP7_ROOT=$box "$top/build/bin/modemsim" "$tty" "$script" &
		sims+=" $!"
	done
	for tty; do
		until [ -L "$box/dev/$tty" ]; do sleep 0.05; done
	done
}
sims=
modem "$box/tmp/modem.script" ttyUSB0
modem /dev/null ttyUSB1
# A simulated second per character takes 50 ms here; mdmsetup's 10 ms waits 50 ms too.
KP7_TIME_RATE=20 run mdmprobe ttyUSB0 ATI Model
KP7_TIME_RATE=20 run mdmprobe ttyUSB0 'AT+CGDCONT=1,"IP","internet"'
KP7_TIME_RATE=20 run mdmprobe ttyUSB0 'AT+CGDCONT=1,"IP","biz.example"'
KP7_TIME_RATE=20 run mdmprobe ttyUSB0 ATI
KP7_TIME_RATE=0.2 run mdmsetup GL03D
KP7_TIME_RATE=0.2 run mdmsetup clear
KP7_TIME_RATE=0.2 run mdmsetup 3GON
KP7_TIME_RATE=0.2 run mdmsetup ttyUSB0 41540d
printf 'what the modem on ttyUSB0 received (a carriage return shown as a line end):\n'
tr '\r' '\n' <"$box/var/log/modem.ttyUSB0"
printf 'and the one on ttyUSB1:'
od -An -tx1 "$box/var/log/modem.ttyUSB1"
kill $sims
wait

step "a modem that echoes every character wrongly: mdmprobe gives up and records it"
printf 'echo wrong\n' >"$box/tmp/modem.script"
sims=
modem "$box/tmp/modem.script" ttyUSB0
KP7_TIME_RATE=20 run mdmprobe ttyUSB0 ATI Model
cat -A "$box/etc/ppp/mdmprobe.err"
kill $sims
wait

step "syscheck: a simulated hour of the router in half a minute, told by the root's records"
if [ -d "$box/var/sandbox" ]; then
	for s in "WAN_DHCP 16" "USB3G_CONN_TYPE 0" "KP7_PING_MONITOR_ENABLE 1" \
		"KP7_PING_MONITOR_INTERVAL 300" "KP7_PING_MONITOR_TARGET1_HOST no.such.host"; do
		"$kp7box" run "$box" flash set $s >/dev/null
	done
	# the USB host drivers are loaded
	printf 'ohci_hcd 20000 0\nehci_hcd 30000 0\n' >"$box/var/sandbox/lsmod.out"
	printf '  iProduct 3 ohci_hcd\n  iProduct 3 ehci_hcd\n' >"$box/var/sandbox/lsusb.out"
	: >"$box/var/log/messages"
	KP7_TIME_START=$(date -d 'today 08:00' +%s) KP7_TIME_RATE=120 setsid "$kp7box" run "$box" \
		sh -c '(boa &); (wanctl -t 16 -c 1 -x &); exec syscheck' >"$box/tmp/syscheck.out" 2>&1 &
	job=$!
	in_root() { for p in $(pgrep -s "$job"); do [ "$(cat /proc/"$p"/comm 2>/dev/null)" = "$1" ] && echo "$p"; done; }
	sleep 4
	echo "  08:08 boa is killed"
	kill -KILL $(in_root boa)
	sleep 4
	echo "  08:16 pppd's ip-up marks the link, and asks for PPP supervision"
	touch "$box/var/ppp/link" "$box/var/ppp_check"
	sleep 4
	echo "  08:24 the ping monitor is started (its host does not answer)"
	touch "$box/var/ppp_ping_start"
	sleep 18
	kill "$job"
	wait "$job" 2>/dev/null || true
	echo "-- syslog, syscheck's lines"
	grep ' syscheck\[' "$box/var/log/messages" | cut -c8- || true
	echo "-- what syscheck printed"
	grep -v '^ Wait IPCP' "$box/tmp/syscheck.out" || true
	echo "-- signals the sibling daemons got"
	cat "$box/var/log/signals" 2>/dev/null || true
	printf -- '-- counters: PPP connections %s, ping monitor failures %s\n' \
		"$(cat "$box/var/stat/ppp_connect" 2>/dev/null)" "$(cat "$box/var/fact/ppp_ping_fail" 2>/dev/null)"
else
	echo "(this sandbox has no sibling daemons yet)"
fi

step "status reports (kp7cui -i) from the simulated wireless driver, the run's own links, leases and a modem"
# The driver's answers are files of the root (platform/sandbox/README.md),
# its records made from fields by kp7rec.
rec=$top/build/bin/kp7rec
w=$box/proc/.wireless
"$rec" stations \
	'aid=1,mac=3c:22:fb:10:00:01,tx=18230,rx=20117,timer=452300,flags=0x04,rate=0x87,net=0x0a,ht=3' \
	'aid=2,mac=a4:5e:60:10:00:02,tx=3120,rx=2998,timer=98100,flags=0x0c,rate=108,net=0x03' \
	'aid=3,mac=00:1a:2b:10:00:03,tx=412,rx=530,timer=1200,flags=0x04,rate=11,net=0x01' >"$w/wlan0/8b30"
"$rec" count 3 >"$w/wlan0/8b31"
"$rec" scan \
	'bssid=00:e0:4c:81:96:c1,cap=0x10,security=0x40000000,channel=6,rssi=78,type=11,ssid=KP7-Router' \
	'bssid=10:6f:3f:20:11:02,cap=0x10,security=0x40004000,channel=1,rssi=41,type=10,ssid=cafe corner' \
	'bssid=c8:3a:35:55:aa:07,cap=0x10,security=0,channel=11,rssi=20,type=3,ssid=old-printer' \
	'bssid=02:11:22:33:44:55,cap=0x02,channel=36,rssi=12,type=12,ssid=meshtest' >"$w/wlan0/8b34"
printf '\377' >"$w/wlan0/8b34.1" # the scan is still running at the first poll
mkdir -p "$box/var/lib/misc"
"$rec" leases 'mac=3c:22:fb:10:00:01,ip=192.168.0.100,expires=0xffffffff' \
	'mac=a4:5e:60:10:00:02,ip=192.168.0.101,expires=84311' >"$box/var/lib/misc/udhcpd.leases"
echo 1 >"$box/var/ntp_success"
run flash set WAN_DHCP 1
KP7_LINKS="br0@00:e0:4c:81:96:c0=192.168.0.1/24 eth1@00:e0:4c:81:96:c2=192.168.0.20/24" \
	run kp7cui -i STATUS 0
run kp7cui -i WLAN_CLIENT 0
KP7_TIME_RATE=20 run kp7cui -i WLAN_SITE_SURVEY 0
printf 'the driver requests of the survey (seconds, interface, request, length):\n'
grep -E ' 8b3[347] ' "$box/var/log/wireless" | tail -n 5
run kp7cui -i TRANSFER_STATUS 0
run kp7cui -d 3 -i WLAN_CLIENT 2
# udhcpd, a stand-in daemon in the run's PID namespace, writes its leases on SIGUSR1
"$kp7box" run "$box" sh -c 'udhcpd & sleep 0.2; kp7cui -i DHCP_CLIENT 0'
printf 'the command and the signal: %s / %s\n' "$(grep '^kill' "$box/var/log/commands")" \
	"$(grep udhcpd "$box/var/log/signals")"
printf '%s\n' 'cmd AT+CSQ' 'line +CSQ: 18,99' 'line OK' 'cmd AT+CNUM' \
	'line +CNUM: "","+819012345678",145' 'line OK' >"$box/tmp/modem.script"
printf '19d2:0016\n' >"$box/var/usb3g.tty_id"
sims=
modem "$box/tmp/modem.script" ttyUSB1
run kp7cui -i MODEM_SQ 0
run kp7cui -i MODEM_CNUM 0
kill $sims
wait
rm -f "$box/var/ppp/link" # the PPP link is down: the modem's own state shows
printf 'dial\n' >"$box/var/usb3g.stat"
printf 'auth_success\n' >"$box/var/ppp_stat"
run kp7cui -i MODEM_STATUS 0

printf '\nThe sandbox stays in %s (remove it with rm -rf).\n' "$box"
