/* The ping monitor: is traffic passing over the mobile-data link? */
#include "sck.h"

#include <arpa/inet.h>
#include <signal.h>
#include <sys/stat.h>
#include <syslog.h>

#include "sys.h"
#include "text.h"
#include "utl.h"

namespace {

/* Two one-byte echo requests print more than this only when replies came. */
constexpr off_t REPLY_MIN_SIZE = 191;
/* Failed cycles that restart pppd before the modem itself is restarted. */
constexpr uint8_t PPPD_RESTARTS = 5;

constexpr const char *RESULT_FILES[SCK_PING_TARGETS] = {
	"/var/pingtest1", "/var/pingtest2", "/var/pingtest3",
};

/* "ping HOST -c 2 -s 1 [-I SOURCE] > FILE &", the host as one word. */
bool build_ping(sck_soft_t *sck, int target, const char *source)
{
	SysText cmd(sck->work_buf, sizeof(sck->work_buf));
	cmd.text("ping ").word(sck->ping_host[target]).text(" -c 2 -s 1 ");
	if (source)
		cmd.text("-I ").text(source).text(" ");
	cmd.text("> ").text(RESULT_FILES[target]).text(" &");
	return cmd.ok();
}

void send_pings(sck_soft_t *sck)
{
	sck_say("Start PPP PING Monitoring");
	bool from_lan = sck->ping_option & 1;
	char source[INET_ADDRSTRLEN] = "";
	if (from_lan)
		inet_ntop(AF_INET, &sck->lan_addr.sin_addr, source, sizeof(source));
	for (int t = 0; t < SCK_PING_TARGETS; t++) {
		sck->ping_sent[t] = 0;
		sck_remove(RESULT_FILES[t]);
		if (!sck->ping_host[t][0])
			continue;
		sck_say("    PingMonitor send ping to %s...\n", sck->ping_host[t]);
		bool built = build_ping(sck, t, from_lan ? source : nullptr);
		if (from_lan)
			sck_say(" local address %s\n", source);
		if (built)
			sck_ops->run(sck->work_buf);
		sck->ping_sent[t] = 1;
	}
	sck->ping_wait_timer = SCK_PING_REPLY_TIME;
	/* A setting changed to nothing sensible since the start: no more sends. */
	sck->ping_send_timer = sck->ping_interval > 0 ? sck->ping_interval : 0;
}

/* Did the target answer?  Its result file is gone afterwards. */
bool answered(const sck_soft_t *sck, int t)
{
	const char *file = RESULT_FILES[t];
	struct stat st;
	bool there = sys_stat(file, &st) == 0;
	bool reply = there && st.st_size >= REPLY_MIN_SIZE;
	if (reply)
		sck_say("    Received Ping Reply from PingMonitor %s\n", sck->ping_host[t]);
	else
		sck_say("    Could not receive Ping Reply from PingMonitor %s\n", sck->ping_host[t]);
	return reply;
}

/* True when the cycle succeeded: some target answered, or none was asked. */
bool evaluate(sck_soft_t *sck)
{
	bool asked = false, reply = false;
	for (int t = 0; t < SCK_PING_TARGETS; t++) {
		if (sck->ping_sent[t]) {
			asked = true;
			reply |= answered(sck, t);
		}
		sck_remove(RESULT_FILES[t]);
	}
	return reply || !asked;
}

void succeeded(sck_soft_t *sck)
{
	if (sck->ping_fail_count) {
		sck_log(LOG_INFO, "ZT-KP7 PingMonitor could receive ping reply. (after pppd recconect.)");
		sck_say("PingMonitor could receive reply, after pppd reconnected.");
		sck->ping_fail_count = 0;
	} else {
		sck_log(LOG_INFO, "ZT-KP7 PingMonitor could receive ping reply.");
		sck_say("PingMonitor could receive reply.");
	}
	sck->ping_wait_timer = 0;
}

/* The marker, then the signal straight to the wanctl found; false when
 * there is none. */
bool ask_wanctl(int wanctl, const char *line, const char *marker, int sig)
{
	if (!wanctl)
		return false;
	sck_say("%s", line);
	sck_mark(marker);
	sck_ops->kill(wanctl, sig);
	return true;
}

/* Failures one to five: pppd dials again. */
void restart_pppd(int wanctl)
{
	sck_log(LOG_WARNING, "ZT-KP7 PingMonitor could not receive ping reply from all hosts.");
	sck_say("    !!!!!! PingMonitor could not receive reply from all HOSTS !!!!!!");
	sck_say("     Stop pppd process and set the PingMonitor fail flag...");
	sck_say("     Status LED Blinking...");
	utl_putfile("/proc/gpio", "R", 1);
	if (ask_wanctl(wanctl, "     send SIGUSR1 signal to wanctl( kill pppd )...",
		       "/var/pppd_restart", SIGUSR1))
		return;
	sck_ops->run("ifconfig ppp0 down");
	sck_ops->kill_proc("pppd", SIGTERM);
	sck_ops->sleep(3);
}

/* The sixth failure: the modem may hang, its power is cycled. */
void restart_modem(sck_soft_t *sck, int wanctl)
{
	sck_log(LOG_WARNING, "ZT-KP7 PingMonitor could not receive ping reply from all hosts. %d times",
		sck->ping_fail_count);
	sck_say("    !!!!!! PingMonitor could not receive reply from all HOSTS %d times !!!!!!\n",
		sck->ping_fail_count);
	sck_say("    USB mobile data card hang? Need USB Power OFF/ON...");
	sck_say("    Status LED Blinking...");
	utl_putfile("/proc/gpio", "R", 1);
	sck->ping_fail_count = 0;
	if (!ask_wanctl(wanctl, "     send SIGUSR2 signal to wanctl( usb restart )...",
			"/var/usbmodem_restart", SIGUSR2))
		sck_ops->run("/bin/usbcycle.sh PingMonitor");
}

void failed(sck_soft_t *sck)
{
	if (sck->usb3g_ether) {
		sck_ops->run("/bin/usbcycle.sh PingMonitor &");
	} else {
		utl_countupfile("/var/fact/ppp_ping_fail");
		uint8_t old = sck->ping_fail_count++;
		int wanctl = sck_ops->pid_of("wanctl");
		if (old < PPPD_RESTARTS)
			restart_pppd(wanctl);
		else
			restart_modem(sck, wanctl);
	}
	/* A new run waits for the flag file of the next connection. */
	sck_say("Stop PPP PING Monitoring");
	sck->check_flags &= ~SCK_F_PING;
	sck->ping_wait_timer = 0;
	sck->ping_send_timer = 0;
	sck_remove("/var/ppp_ping_start");
}

}  // namespace

void sck_ppp_ping(sck_soft_t *sck)
{
	if (!(sck->check_flags & SCK_F_PING))
		return;
	if (sck->ping_send_timer) {
		if (sck_count_down(sck, &sck->ping_send_timer))
			return send_pings(sck);
		if (!sck->ping_wait_timer)
			return;
	}
	if (!sck->ping_wait_timer || !sck_count_down(sck, &sck->ping_wait_timer))
		return;
	if (evaluate(sck))
		succeeded(sck);
	else
		failed(sck);
}
