/* Stopping the router before its flash is rewritten. */
#include "fw_write.h"

#include <signal.h>
#include <string.h>
#include <unistd.h>

namespace {

enum StopOp { SAY, RUN, PID_FILE, OTHER_UPDATER, PAUSE, KILL_PROCESSES };

struct StopStep {
	StopOp op;
	const char *text;
	unsigned seconds;
};

constexpr StopStep kStopSequence[] = {
	{SAY, "\n   Firmware version up start...\n", 0},
	{RUN, "echo Q > /proc/gpio", 0},
	{RUN, "killall -9 usbcycle.sh 2> /dev/null", 0},
	{PID_FILE, "/var/run/watch_syscheck.pid", 0},
	{RUN, "killall -9 syscheck 2> /dev/null", 0},
	{RUN, "killall -9 taskrunner 2> /dev/null", 0},
	{RUN, "killall stationmap 2> /dev/null", 0},
	{RUN, "killall svcagent 2> /dev/null", 0},
	{RUN, "killall -9 netgate 2> /dev/null", 0},
	{RUN, "killall -9 httpd 2> /dev/null", 0},
	{RUN, "killall -9 clockctl 2> /dev/null", 0},
	{RUN, "killall -9 namepush 2> /dev/null", 0},
	{RUN, "killall -9 updatedd 2> /dev/null", 0},
	{RUN, "killall -9 usb_modeswitch 2> /dev/null", 0},
	{RUN, "killall -9 linkmgr 2> /dev/null", 0},
	{RUN, "killall -9 udhcpc 2> /dev/null", 0},
	{RUN, "killall -9 udhcpd 2> /dev/null", 0},
	{RUN, "killall -9 iapp 2> /dev/null", 0},
	{RUN, "killall -9 iwcontrol 2> /dev/null", 0},
	{RUN, "killall -9 lld2d 2> /dev/null", 0},
	{RUN, "killall -9 reload 2> /dev/null", 0},
	{RUN, "killall -9 dnrd 2> /dev/null", 0},
	{RUN, "killall -9 wscd 2> /dev/null", 0},
	{RUN, "killall -9 sshd 2> /dev/null", 0},
	{OTHER_UPDATER, nullptr, 0},
	{RUN, "killall -9 nightreboot 2> /dev/null", 0},
	{RUN, "killall -9 ping 2> /dev/null", 0},
	{RUN, "killall -9 boa 2> /dev/null", 0},
	{RUN, "killall -9 wanctl 2> /dev/null", 0},
	{PAUSE, nullptr, 1},
	{RUN, "killall pppd 2> /dev/null", 0},
	{PAUSE, nullptr, 1},
	{RUN, "ifconfig br0 down 2> /dev/null", 0},
	{RUN, "ifconfig eth0 down 2> /dev/null", 0},
	{RUN, "ifconfig eth1 down 2> /dev/null", 0},
	{RUN, "ifconfig wlan0 down 2> /dev/null", 0},
	{RUN, "ifconfig wlan0-vxd down 2> /dev/null", 0},
	{RUN, "ifconfig wlan0-va0 down 2> /dev/null", 0},
	{RUN, "ifconfig wlan0-va1 down 2> /dev/null", 0},
	{RUN, "ifconfig wlan0-va2 down 2> /dev/null", 0},
	{RUN, "ifconfig wlan0-va3 down 2> /dev/null", 0},
	{RUN, "ifconfig wlan0-wds0 down 2> /dev/null", 0},
	{RUN, "ifconfig wlan0-wds1 down 2> /dev/null", 0},
	{RUN, "ifconfig wlan0-wds2 down 2> /dev/null", 0},
	{RUN, "ifconfig wlan0-wds3 down 2> /dev/null", 0},
	{RUN, "ifconfig wlan0-wds4 down 2> /dev/null", 0},
	{RUN, "ifconfig wlan0-wds5 down 2> /dev/null", 0},
	{RUN, "ifconfig wlan0-wds6 down 2> /dev/null", 0},
	{RUN, "ifconfig wlan0-wds7 down 2> /dev/null", 0},
	{KILL_PROCESSES, nullptr, 0},
	{PAUSE, nullptr, 2},
	{SAY, "kp7cui -T -os", 0},
	{RUN, "kp7cui -T -os", 0},
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
	return name && !strcmp(name, "romfetch") ? "killall -9 cfgburn 2> /dev/null"
						 : "killall -9 romfetch 2> /dev/null";
}

void stop_step(const StopStep &s, const char *name)
{
	switch (s.op) {
	case SAY: fw_ops->say(s.text); break;
	case RUN: fw_ops->run(s.text); break;
	case PID_FILE: signal_other(fw_ops->read_pid(s.text), SIGKILL); break;
	case OTHER_UPDATER: fw_ops->run(other_updater(name)); break;
	case PAUSE: fw_ops->sleep(s.seconds); break;
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
