/* Stopping the router before its flash is rewritten. */
#include "fw_write.h"

#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

namespace {

enum StopOp : uint8_t {
	SAY,		/* text on standard output */
	RUN,		/* the command as it stands */
	KILL9,		/* "killall -9 NAME 2> /dev/null" */
	KILL,		/* "killall NAME 2> /dev/null" */
	IFDOWN,		/* "ifconfig NAME down 2> /dev/null" */
	PID_FILE,	/* SIGKILL to the process the file names */
	OTHER_UPDATER,	/* KILL9 of the updater this one is not */
	PAUSE,		/* sleep, the seconds as text */
	KILL_PROCESSES,
};

struct StopStep {
	StopOp op;
	const char *text;
};

constexpr StopStep kStopSequence[] = {
	{SAY, "\n   Firmware version up start...\n"},
	{RUN, "echo Q > /proc/gpio"},
	{KILL9, "usbcycle.sh"},
	{PID_FILE, "/var/run/watch_syscheck.pid"},
	{KILL9, "syscheck"},
	{KILL9, "taskrunner"},
	{KILL, "stationmap"},
	{KILL, "svcagent"},
	{KILL9, "netgate"},
	{KILL9, "httpd"},
	{KILL9, "clockctl"},
	{KILL9, "namepush"},
	{KILL9, "updatedd"},
	{KILL9, "usb_modeswitch"},
	{KILL9, "linkmgr"},
	{KILL9, "udhcpc"},
	{KILL9, "udhcpd"},
	{KILL9, "iapp"},
	{KILL9, "iwcontrol"},
	{KILL9, "lld2d"},
	{KILL9, "reload"},
	{KILL9, "dnrd"},
	{KILL9, "wscd"},
	{KILL9, "sshd"},
	{OTHER_UPDATER, nullptr},
	{KILL9, "nightreboot"},
	{KILL9, "ping"},
	{KILL9, "boa"},
	{KILL9, "wanctl"},
	{PAUSE, "1"},
	{KILL, "pppd"},
	{PAUSE, "1"},
	{IFDOWN, "br0"},
	{IFDOWN, "eth0"},
	{IFDOWN, "eth1"},
	{IFDOWN, "wlan0"},
	{IFDOWN, "wlan0-vxd"},
	{IFDOWN, "wlan0-va0"},
	{IFDOWN, "wlan0-va1"},
	{IFDOWN, "wlan0-va2"},
	{IFDOWN, "wlan0-va3"},
	{IFDOWN, "wlan0-wds0"},
	{IFDOWN, "wlan0-wds1"},
	{IFDOWN, "wlan0-wds2"},
	{IFDOWN, "wlan0-wds3"},
	{IFDOWN, "wlan0-wds4"},
	{IFDOWN, "wlan0-wds5"},
	{IFDOWN, "wlan0-wds6"},
	{IFDOWN, "wlan0-wds7"},
	{KILL_PROCESSES, nullptr},
	{PAUSE, "2"},
	{SAY, "kp7cui -T -os"},
	{RUN, "kp7cui -T -os"},
};

/* The writer never signals the process it runs in: stopping it would
 * leave the router with its services gone and its flash unwritten. */
void signal_other(int pid, int sig)
{
	if (pid > 0 && pid != getpid())
		fw_ops->kill(pid, sig);
}

/* The updater this one is not: a second writer must not run beside it. */
const char *other_updater(const char *name)
{
	return name && !strcmp(name, "romfetch") ? "cfgburn" : "romfetch";
}

void run_about(const char *fmt, const char *name)
{
	char cmd[64];
	snprintf(cmd, sizeof(cmd), fmt, name);
	fw_ops->run(cmd);
}

void stop_step(const StopStep &s, const char *name)
{
	switch (s.op) {
	case SAY: fw_ops->say(s.text); break;
	case RUN: fw_ops->run(s.text); break;
	case KILL9: run_about("killall -9 %s 2> /dev/null", s.text); break;
	case KILL: run_about("killall %s 2> /dev/null", s.text); break;
	case IFDOWN: run_about("ifconfig %s down 2> /dev/null", s.text); break;
	case PID_FILE: signal_other(fw_ops->read_pid(s.text), SIGKILL); break;
	case OTHER_UPDATER: run_about("killall -9 %s 2> /dev/null", other_updater(name)); break;
	case PAUSE: fw_ops->sleep((unsigned)(s.text[0] - '0')); break;
	case KILL_PROCESSES: kill_processes(); break;
	}
}

}  // namespace

void kill_processes(void)
{
	fw_ops->say("upgrade: killing tasks...\n");
	signal_other(1, SIGTSTP);
	for (int pid = 1; pid <= 7; pid++)
		signal_other(pid, SIGSTOP);
	fw_ops->sync();
	fw_ops->ignore(SIGTERM);
	fw_ops->new_group();
	fw_ops->sleep(1);
	fw_ops->ignore(SIGHUP);
}

void fw_stop_services(const char *name)
{
	for (const StopStep &s : kStopSequence)
		stop_step(s, name);
}
