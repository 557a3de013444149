/* Link logging, the USB modem switching wait, the wanctl watchdog and PPP
 * connection supervision. */
#include <string.h>

#include "fake.h"

namespace {

constexpr char PPP_START[] = "info Start check PPP connection, wait timer 120\n";

class WanTest : public SckTest {
protected:
	void SetUp() override
	{
		SckTest::SetUp();
		sys.running = {{"boa", 5}, {"wanctl", 30}};
		/* only the checks of the WAN side */
		drop("/var/usb_driver_check");
		drop("/var/link_check");
		sck->check_flags &= ~(SCK_F_USB_DRIVER | SCK_F_LINK);
		put("/proc/portState", "Port[0] LinkDown\nPort[1] LinkUp 100M Full\nPort[4] LinkUp 100M Full\n");
	}
	void settings(std::map<std::string, std::string> s)
	{
		sys.settings = s;
		sck_get_mib(sck);
	}
	/* Lines printed, without the ones of the watchdogs' lookups. */
	std::string printed()
	{
		std::string s;
		for (const std::string &l : sys.said)
			if (l != " Wait IPCP up...")
				s += (s.empty() ? "" : "\n") + l;
		sys.said.clear();
		return s;
	}
	/* One supervision run from its flag file to its outcome: the passes it took. */
	int ppp_run()
	{
		put("/var/ppp_check");
		for (int pass = 1; pass <= 100; pass++) {
			passes(1);
			if (!has("/var/ppp_check"))
				return pass;
		}
		return 0;
	}
};

TEST_F(WanTest, LinkChangesOfNamedPortsAreLogged)
{
	sck->check_flags |= SCK_F_LINK;
	put("/var/link_check");
	passes(1);
	EXPECT_EQ(logged(), "info eth1:LinkUp 100M Full");
	passes(3);
	EXPECT_EQ(logged(), "");
	put("/proc/portState", "Port[0] LinkUp 10M Half\nPort[1] LinkDown\nPort[4] LinkDown\n"
			       "Port[7] LinkUp\n Port[0] LinkDown\nxPort[4] LinkUp\nPort[x] LinkUp\n");
	passes(1);
	EXPECT_EQ(logged(), "info eth0:LinkUp 10M Half\ninfo eth1:LinkDown");
	drop("/proc/portState");
	passes(1);
	put("/proc/portState", "Port[0]   status LinkUp\nPort[4] LinkUp\n");
	passes(1);
	EXPECT_EQ(logged(), "info eth1:LinkUp");
}

TEST_F(WanTest, UsbSwitchingWaitPowerCyclesTheHubOnce)
{
	put("/var/usb_check");
	passes(89);
	EXPECT_EQ(printed() + commands(), "");
	logged();
	passes(1);
	EXPECT_EQ(printed(), "USB modem switching wait timer is expired\n"
			     "USB modem switching wait timer is expired 1 times, but don't reboot");
	EXPECT_EQ(logged(), "notice USB modem switching wait timer is expired\n"
			    "notice USB modem switching wait timer is expired 1 times, but don't reboot");
	EXPECT_EQ(commands(), "/bin/usbcycle.sh onoff_usbhub&");
	passes(100);
	EXPECT_EQ(printed() + commands(), "");

	/* the count lives as long as the flag file; a byte that wraps says nothing */
	sck->check_flags &= ~SCK_F_USB_SWITCH;
	sck->usb_switch_count = 255;
	sck_check_event();
	EXPECT_EQ(sck->usb_switch_count, 255);
	passes(90);
	EXPECT_EQ(printed(), "USB modem switching wait timer is expired");
	EXPECT_EQ(sck->usb_switch_count, 0);

	/* the flag file gone between the scan and the check: a quiet end */
	sck->usb_switch_timer = 20;
	drop("/var/usb_check");
	logged();
	sck_usb_switch_status(sck);
	EXPECT_EQ(printed(), "/var/usb_check is none, stop check USB modem switching");
	EXPECT_EQ(logged(), "info /var/usb_check in none, stop check USB modem switching");
	EXPECT_FALSE(sck->check_flags & SCK_F_USB_SWITCH);
}

TEST_F(WanTest, WanctlIsStartedForItsWanType)
{
	put("/var/wanctl_check");
	sys.running.erase("wanctl");
	passes(15);
	EXPECT_EQ(commands(), "");
	put("/var/wanctl_started");
	struct Case {
		const char *wan, *usb, *pppoe, *command;
	} cases[] = {
		{"16", "0", "1", "wanctl -t 16 -c 1 -x &"}, {"16", "2", "0", "wanctl -t 16 -c 0 -x &"},
		{"3", "1", "0", "wanctl -t 3 -c 0 -x &"},   {"3", "0", "1", "wanctl -t 3 -c 2 -x &"},
		{"1", "0", "0", ""},
	};
	logged();
	for (const Case &c : cases) {
		SCOPED_TRACE(c.command);
		settings({{"WAN_DHCP", c.wan}, {"USB3G_CONN_TYPE", c.usb}, {"PPP_CONNECT_TYPE", c.pppoe}});
		sck->check_flags |= SCK_F_PPP;
		sck->ppp_wait_timer = 50;
		sck->wanctl_timer = 2;
		sck->wanctl_miss_count = 0;
		sck_check_wanctl(sck);
		EXPECT_EQ(printed(), "ZT-KP7 PPP management process is not exist, restart.");
		EXPECT_EQ(logged(), "notice ZT-KP7 PPP management process is not exist, restart.");
		EXPECT_EQ(commands(), c.command);
		/* a new wanctl over the modem drops the supervision run */
		EXPECT_EQ(!(sck->check_flags & SCK_F_PPP), c.wan == std::string("16"));
		EXPECT_EQ(sck->ppp_wait_timer == 0, c.wan == std::string("16"));
	}
	EXPECT_EQ(get("/var/stat/wanctl_restart"), "5");
}

TEST_F(WanTest, WanctlMissesAreCountedWhileInARow)
{
	put("/var/wanctl_check");
	put("/var/wanctl_started");
	sys.running.erase("wanctl");
	const char *third = "ZT-KP7 PPP management process is not exist at 3 consecutive times, "
			    "but don't reboot.";
	passes(30);
	EXPECT_EQ(sck->wanctl_miss_count, 2);
	printed();
	passes(15);
	EXPECT_EQ(printed(), std::string(third) + "\nZT-KP7 PPP management process is not exist, restart.");
	sys.running["wanctl"] = 31;
	passes(15);
	EXPECT_EQ(sck->wanctl_miss_count, 0);
	sys.running.erase("wanctl");
	passes(30);
	EXPECT_EQ(printed().find("consecutive"), std::string::npos);
}

/* Each outcome from the markers and files that decide it (the exact
 * lines are the end-to-end test's): the link is judged in the fourth pass. */
TEST_F(WanTest, PppOutcomes)
{
	const char *bad_dns = "nameserver 10.11.12.1\nnameserver 8.8.8.8\nnameserver 10.11.12.2\n";
	struct Case {
		const char *markers, *dns_mode;
		bool ppp1;
		const char *decided, *signal;
		int connects, wrong_dns;
		bool restart_count_kept;	/* only a good continuous link clears it */
	} cases[] = {
		{"link", "0", false, "PPP IPCP up, stop wait ppp connection", "", 1, 0, false},
		/* on demand: DNS not tested, the modem's restart count kept */
		{"link link_demand", "0", false, "PPP IPCP up, stop wait ppp connection", "", 2, 0, true},
		{"link", "1", false, "PPP IPCP up, stop wait ppp connection", "", 3, 0, false},
		/* a second unit wins over the DNS, which is not even read */
		{"link", "0", true, "Found wrong ppp (ppp1)", "wanctl USR2", 3, 0, true},
		{"link", "0", false, "Found wrong DNS", "wanctl USR2", 3, 2, true},
	};
	for (const Case &c : cases) {
		SCOPED_TRACE(std::string(c.markers) + " " + c.dns_mode + " " + c.decided);
		for (const char *m : {"link", "link_demand"})
			if (strstr(c.markers, m))
				put(std::string("/var/ppp/") + m);
		put("/etc/resolv.conf", c.connects == 1 ? "nameserver 8.8.8.8\n" : bad_dns);
		put("/var/usb_restart_count", "2");
		drop("/var/fact/wrong_dns");
		settings({{"DNS_MODE", c.dns_mode}});
		sys.ppp1_up = c.ppp1;
		EXPECT_EQ(ppp_run(), 4);
		std::string text = printed();
		EXPECT_NE(text.find(c.decided), std::string::npos) << text;
		EXPECT_EQ(text.find("detect ipcp up demand") != std::string::npos, strstr(c.markers, "demand") != nullptr);
		EXPECT_EQ(signals(), c.signal);
		EXPECT_EQ(get("/var/stat/ppp_connect"), std::to_string(c.connects));
		EXPECT_EQ(get("/var/fact/wrong_dns"), c.wrong_dns ? std::to_string(c.wrong_dns) : "<missing>");
		EXPECT_EQ(has("/var/usb_restart_count"), c.restart_count_kept);
		EXPECT_FALSE(has("/var/ppp/link_demand"));
		EXPECT_EQ(sck->check_flags & (SCK_F_PPP | SCK_F_IPCP_UP), 0u);
		drop("/var/ppp/link");
	}
}

/* Six runs without IPCP restart pppd, the seventh and later the modem,
 * until a connection passes; each run waits 120 seconds. */
TEST_F(WanTest, NoIpcpRetriesPppdSixTimesThenTheModem)
{
	for (int run = 1; run <= 8; run++) {
		put("/etc/ppp/connectfile");
		EXPECT_EQ(ppp_run(), 60);
		EXPECT_EQ(signals(), run <= 6 ? "wanctl USR1" : "wanctl USR2") << run;
		EXPECT_EQ(has("/etc/ppp/connectfile"), run > 6) << run;
	}
	EXPECT_EQ(get("/var/fact/ppp_timeout"), "8");
	EXPECT_NE(printed().find("(6 times.)"), std::string::npos);
	put("/var/ppp/link");
	ppp_run();
	drop("/var/ppp/link");
	signals();
	ppp_run();
	EXPECT_EQ(signals(), "wanctl USR1");

	/* wanctl gone: the marker is written, no signal goes anywhere */
	sys.running.erase("wanctl");
	drop("/var/pppd_restart");
	ppp_run();
	EXPECT_EQ(signals(), "");
	EXPECT_EQ(get("/var/pppd_restart"), "1");
}

TEST_F(WanTest, PppCheckRemovedFromOutsideEndsTheRunQuietly)
{
	put("/var/ppp_check");
	passes(10);
	drop("/var/ppp_check");
	EXPECT_EQ(logged(), std::string(PPP_START).substr(0, sizeof(PPP_START) - 2));
	passes(60);
	EXPECT_EQ(logged(), "info Stop check PPP connection");
	EXPECT_EQ(signals() + commands(), "");
}

}  // namespace
