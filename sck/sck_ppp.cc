/* PPP connection supervision: from "/var/ppp_check" to one outcome. */
#include "sck.h"

#include <errno.h>
#include <net/if.h>
#include <signal.h>
#include <string.h>
#include <sys/ioctl.h>
#include <syslog.h>

#include "sys.h"
#include "utl.h"

namespace {

enum Outcome { GOOD, WRONG_UNIT, INVALID_DNS, NO_IPCP };

/* A line of a resolver file with this address came from a modem that
 * handed out its own placeholder DNS server. */
constexpr char INVALID_DNS_PREFIX[] = "10.11.12";
constexpr int PPP_RETRIES = 6;

/* The link markers of pppd's ip-up: the first one seen ends the wait. */
void wait_for_ipcp(sck_soft_t *sck)
{
	int demand;
	if (sck_exists("/var/ppp/link_demand")) {
		sck_remove("/var/ppp/link_demand");
		sck_say("detect ipcp up demand");
		demand = 1;
	} else if (sck_exists("/var/ppp/link")) {
		sck_say("detect ipcp up");
		demand = 0;
	} else {
		sck_say(" Wait IPCP up...");
		return;
	}
	sck->check_flags |= SCK_F_IPCP_UP;
	sck->ipcp_wait_timer = SCK_IPCP_SETTLE_TIME;
	sck->ppp_demand = demand;
	sck_say("set ipcp up wait timer %d\n", SCK_IPCP_SETTLE_TIME);
}

/* pppd must have come up as ppp0; a ppp1 that is up means a second one. */
bool wrong_unit_up(void)
{
	struct ifreq ifr = {};
	strcpy(ifr.ifr_name, "ppp1");
	return sck_ops->if_request(SIOCGIFFLAGS, &ifr) == 0 && (ifr.ifr_flags & IFF_UP);
}

bool invalid_dns(sck_soft_t *sck)
{
	FILE *f = sys_fopen("/etc/resolv.conf", "re");
	if (!f)
		return false;
	bool found = false;
	while (fgets(sck->work_buf, sizeof(sck->work_buf), f)) {
		if (!strstr(sck->work_buf, INVALID_DNS_PREFIX))
			continue;
		sck_say("Found wrong DNS");
		utl_countupfile("/var/fact/wrong_dns");
		found = true;
	}
	fclose(f);
	return found;
}

Outcome test_link(sck_soft_t *sck)
{
	if (wrong_unit_up()) {
		sck_say("Found wrong ppp (ppp1)");
		return WRONG_UNIT;
	}
	if (sck->dns_mode == 0 && sck->ppp_demand == 0 && invalid_dns(sck))
		return INVALID_DNS;
	return GOOD;
}

void restart_usb_modem(void)
{
	sck_say("send signal to wanctl(usb restart)");
	sck_ask_wanctl("/var/usbmodem_restart", SIGUSR2);
}

void retry_pppd(sck_soft_t *sck)
{
	sck_say("ZT-KP7 No response from pppd after authentication? retry...");
	sck->ppp_retry_count++;
	sck_log(LOG_NOTICE, "ZT-KP7 No response from pppd after authentication? retry...");
	sck_say("send signal to wanctl(kill pppd)");
	sck_remove("/etc/ppp/connectfile");
	sck_remove("/etc/resolv.conf");
	sck_ask_wanctl("/var/pppd_restart", SIGUSR1);
	utl_countupfile("/var/fact/ppp_timeout");
}

void act(sck_soft_t *sck, Outcome outcome)
{
	switch (outcome) {
	case GOOD:
		sck->ppp_retry_count = 0;
		sck_say("PPP IPCP up, stop wait ppp connection");
		utl_countupfile("/var/stat/ppp_connect");
		/* A demand-dial link proves less: the modem's restart count stays. */
		if (sck->ppp_demand == 0)
			sck_remove("/var/usb_restart_count");
		break;
	case WRONG_UNIT:
		sck_tell(LOG_NOTICE,
			 "ZT-KP7 IPCP up, bad  invalid PPP(ppp1), reset pppd and USB Modem.");
		restart_usb_modem();
		break;
	case INVALID_DNS:
		sck_tell(LOG_NOTICE, "ZT-KP7 IPCP up with invalid DNS, reset pppd and USB Modem.");
		restart_usb_modem();
		break;
	case NO_IPCP:
		if (sck->ppp_retry_count < PPP_RETRIES) {
			retry_pppd(sck);
			break;
		}
		sck_tell(LOG_NOTICE, "ZT-KP7 No response from pppd after authentication.  (%d times.)\n",
			 sck->ppp_retry_count);
		utl_countupfile("/var/fact/ppp_timeout");
		restart_usb_modem();
		break;
	}
}

/* Every run ends here; the next one waits for "/var/ppp_check" again. */
void finish(sck_soft_t *sck, Outcome outcome)
{
	act(sck, outcome);
	sck->check_flags &= ~(SCK_F_PPP | SCK_F_IPCP_UP);
	sck->ipcp_wait_timer = 0;
	sck->ppp_demand = 0;
	sck->ppp_wait_timer = 0;
	sck_remove("/var/ppp_check");
}

}  // namespace

void sck_ppp_status(sck_soft_t *sck)
{
	if (!(sck->check_flags & SCK_F_PPP))
		return;
	if (!(sck->check_flags & SCK_F_IPCP_UP)) {
		if (!sck_count_down(sck, &sck->ppp_wait_timer))
			return wait_for_ipcp(sck);
		sck_say("ppp connection wait timer expire");
		return finish(sck, NO_IPCP);
	}
	if (sck->ipcp_wait_timer == 0)
		return finish(sck, GOOD);
	/* The link gets a few seconds to settle before it is judged. */
	if (sck_count_down(sck, &sck->ipcp_wait_timer))
		finish(sck, test_link(sck));
}
