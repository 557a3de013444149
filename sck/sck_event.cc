/* The flag-file scan: other programs switch the checks on and off. */
#include "sck.h"

#include <syslog.h>

namespace {

struct ScanRow {
	const char *file;
	uint32_t bit;
	uint32_t sck_soft_t::*timer;	/* set to `start` on start, 0 on stop; null: none */
	uint32_t start;
	const char *start_text;		/* "%d": `start`, or the field below */
	const char *stop_text;
	const int32_t sck_soft_t::*start_arg;
	bool (*may_start)(const sck_soft_t *sck);	/* null: always */
	void (*also)(sck_soft_t *sck, bool starting);	/* what else it does */
};

/* The ping monitor only makes sense over a mobile card's PPP link. */
bool ping_may_start(const sck_soft_t *sck)
{
	return sck->wan_type == SCK_WAN_USB3G && sck->usb3g_conn_type == 0 && sck->ping_enable &&
	       sck->ping_interval > 0;
}

/* The switching count belongs to one wait. */
void usb_switch_also(sck_soft_t *sck, bool starting)
{
	if (!starting)
		sck->usb_switch_count = 0;
}

void ppp_also(sck_soft_t *sck, bool)
{
	sck->check_flags &= ~SCK_F_IPCP_UP;
}

void ping_also(sck_soft_t *sck, bool)
{
	sck->ping_wait_timer = 0;
}

constexpr ScanRow watch_row(const char *file, uint32_t bit, uint32_t sck_soft_t::*timer,
			    const char *start_text, const char *stop_text)
{
	return {file, bit, timer, SCK_WATCH_TIME, start_text, stop_text, nullptr, nullptr, nullptr};
}

constexpr ScanRow SCAN_TABLE[] = {
	watch_row("/var/boa_check", SCK_F_BOA, &sck_soft_t::boa_timer,
		  "Start boa process alive check", "Stop boa process alive check"),
	watch_row("/var/linkmgr_check", SCK_F_LINKMGR, &sck_soft_t::linkmgr_timer,
		  "Start linkmgr process alive check", "Stop linkmgr process alive check"),
	watch_row("/var/netgate_check", SCK_F_NETGATE, &sck_soft_t::netgate_timer,
		  "Start netgate process alive check", "Stop netgate process alive check"),
	watch_row("/var/stationmap_check", SCK_F_STATIONMAP, &sck_soft_t::stationmap_timer,
		  "Start stationmap process alive check", "Stop stationmap process alive check"),
	watch_row("/var/svcagent_check", SCK_F_SVCAGENT, &sck_soft_t::svcagent_timer,
		  "Start svcagent process alive check", "Stop svcagent process alive check"),
	watch_row("/var/usb_driver_check", SCK_F_USB_DRIVER, &sck_soft_t::usb_driver_timer,
		  "Start usb driver check", "Stop usb driver check"),
	{"/var/link_check", SCK_F_LINK, nullptr, 0, "Start link check", "Stop link check",
	 nullptr, nullptr, nullptr},
	{"/var/usb_check", SCK_F_USB_SWITCH, &sck_soft_t::usb_switch_timer, SCK_USB_SWITCH_TIME,
	 "Start check USB modem switching, wait timer val %d", "Stop check USB modem switching",
	 nullptr, nullptr, usb_switch_also},
	watch_row("/var/wanctl_check", SCK_F_WANCTL, &sck_soft_t::wanctl_timer,
		  "Start wanctl process alive check", "Stop wanctl process alive check"),
	{"/var/ppp_check", SCK_F_PPP, &sck_soft_t::ppp_wait_timer, SCK_PPP_WAIT_TIME,
	 "Start check PPP connection, wait timer %d", "Stop check PPP connection", nullptr,
	 nullptr, ppp_also},
	{"/var/ppp_ping_start", SCK_F_PING, &sck_soft_t::ping_send_timer, SCK_PING_FIRST_TIME,
	 "Start PPP PING Monitoring, interval %d", "Stop PPP PING Monitoring",
	 &sck_soft_t::ping_interval, ping_may_start, ping_also},
};
static_assert(sizeof(SCAN_TABLE) / sizeof(SCAN_TABLE[0]) == 11, "one row per flag file");

void start(sck_soft_t *sck, const ScanRow &row)
{
	if (row.may_start && !row.may_start(sck))
		return;
	sck->check_flags |= row.bit;
	/* The checks follow the scan in the same pass, which counts the new
	 * countdown down at once.  A countdown that one pass would finish
	 * (a pass of 30 seconds or more given by -i) gets a pass more, so
	 * that no check acts, and no wait ends, in the pass that started it. */
	if (row.timer)
		sck->*row.timer = row.start > sck->interval ? row.start : row.start + sck->interval;
	if (row.also)
		row.also(sck, true);
	int arg = row.start_arg ? sck->*row.start_arg : (int)row.start;
	sck_log(LOG_INFO, row.start_text, arg);
}

void stop(sck_soft_t *sck, const ScanRow &row)
{
	sck->check_flags &= ~row.bit;
	if (row.timer)
		sck->*row.timer = 0;
	if (row.also)
		row.also(sck, false);
	sck_log(LOG_INFO, "%s", row.stop_text);
}

}  // namespace

void sck_check_event(void)
{
	sck_soft_t *sck = sck_sc;
	for (const ScanRow &row : SCAN_TABLE) {
		bool on = sck->check_flags & row.bit;
		bool present = sck_exists(row.file);
		if (present && !on)
			start(sck, row);
		else if (!present && on)
			stop(sck, row);
	}
}
