/* The WAN side: Ethernet link logging, the USB modem switching wait and
 * the wanctl watchdog. */
#include "sck.h"

#include <stdlib.h>
#include <string.h>
#include <syslog.h>

#include "sys.h"
#include "utl.h"

namespace {

constexpr char USB_CHECK_FILE[] = "/var/usb_check";

/* The port a "Port[N] ..." line is about, or null when it is none we follow. */
sck_port_t *port_of(sck_soft_t *sck, const char *line)
{
	if (strncmp(line, "Port[", 5))
		return nullptr;
	char *end;
	long n = strtol(line + 5, &end, 10);
	if (end == line + 5 || n < 0 || n >= SCK_PORTS || !sck->port[n].ifname[0])
		return nullptr;
	return &sck->port[n];
}

/* Logs "ifname:rest of the line from `word` on" when the line has it. */
bool log_change(const sck_port_t *port, const char *line, const char *word)
{
	const char *from = strstr(line, word);
	if (!from)
		return false;
	int len = (int)strcspn(from, "\n");
	sck_log(LOG_INFO, "%s:%.*s", port->ifname, len, from);
	return true;
}

void follow_port(sck_port_t *port, const char *line)
{
	if (!(port->link & SCK_LINK_UP)) {
		if (log_change(port, line, "LinkUp"))
			port->link |= SCK_LINK_UP;
	} else if (log_change(port, line, "LinkDown")) {
		port->link &= ~SCK_LINK_UP;
	}
}

struct WanctlStart {
	uint8_t wan_type;
	bool sub_type_zero;	/* usb3g_conn_type, or ppp_connect_type for PPPoE, is 0 */
	const char *command;
};

/* In the background: a wanctl that does not detach itself must not hold
 * up every other check for as long as it runs. */
constexpr WanctlStart WANCTL_STARTS[] = {
	{SCK_WAN_USB3G, true, "wanctl -t 16 -c 1 -x &"},
	{SCK_WAN_USB3G, false, "wanctl -t 16 -c 0 -x &"},
	{SCK_WAN_PPPOE, true, "wanctl -t 3 -c 0 -x &"},
	{SCK_WAN_PPPOE, false, "wanctl -t 3 -c 2 -x &"},
};

void restart_wanctl(sck_soft_t *sck)
{
	uint8_t sub = sck->wan_type == SCK_WAN_USB3G ? sck->usb3g_conn_type : sck->ppp_connect_type;
	for (const WanctlStart &s : WANCTL_STARTS) {
		if (s.wan_type != sck->wan_type || s.sub_type_zero != (sub == 0))
			continue;
		/* The new wanctl dials afresh: a supervision run in progress is
		 * dropped, and starts over with the next scan if its flag
		 * file is still there. */
		if (sck->wan_type == SCK_WAN_USB3G) {
			sck->check_flags &= ~SCK_F_PPP;
			sck->ppp_wait_timer = 0;
		}
		sck_ops->run(s.command);
		return;
	}
}

}  // namespace

void sck_link_status(sck_soft_t *sck)
{
	if (!(sck->check_flags & SCK_F_LINK))
		return;
	FILE *f = sys_fopen("/proc/portState", "re");
	if (!f)
		return;
	while (fgets(sck->work_buf, sizeof(sck->work_buf), f)) {
		if (sck_port_t *port = port_of(sck, sck->work_buf))
			follow_port(port, sck->work_buf);
	}
	fclose(f);
}

void sck_usb_switch_status(sck_soft_t *sck)
{
	if (!(sck->check_flags & SCK_F_USB_SWITCH) || !sck->usb_switch_timer)
		return;
	if (!sck_count_down(sck, &sck->usb_switch_timer)) {
		if (sck_exists(USB_CHECK_FILE))
			return;
		sck->check_flags &= ~SCK_F_USB_SWITCH;
		sck->usb_switch_count = 0;
		sck->usb_switch_timer = 0;
		sck_log(LOG_INFO, "%s in none, stop check USB modem switching\n", USB_CHECK_FILE);
		sck_say("%s is none, stop check USB modem switching\n", USB_CHECK_FILE);
		return;
	}
	/* Expired: power-cycle the hub; the router is never rebooted for it. */
	sck_tell(LOG_NOTICE, "USB modem switching wait timer is expired");
	sck_ops->run("/bin/usbcycle.sh onoff_usbhub&");
	if (++sck->usb_switch_count)
		sck_tell(LOG_NOTICE,
			 "USB modem switching wait timer is expired %d times, but don't reboot\n",
			 sck->usb_switch_count);
}

void sck_check_wanctl(sck_soft_t *sck)
{
	if (!(sck->check_flags & SCK_F_WANCTL) || !sck_count_down(sck, &sck->wanctl_timer))
		return;
	sck->wanctl_timer = SCK_WATCH_TIME;
	if (!sck_exists("/var/wanctl_started"))
		return;
	if (sck_ops->pid_of("wanctl")) {
		sck->wanctl_miss_count = 0;
		return;
	}
	if (++sck->wanctl_miss_count >= 3)
		sck_tell(LOG_NOTICE,
			 "ZT-KP7 PPP management process is not exist at %d consecutive times, but don't reboot.\n",
			 sck->wanctl_miss_count);
	sck_tell(LOG_NOTICE, "ZT-KP7 PPP management process is not exist, restart.\n");
	utl_countupfile("/var/stat/wanctl_restart");
	restart_wanctl(sck);
}
