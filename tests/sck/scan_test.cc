/* The flag-file scan, the settings snapshot, countdowns, options, signals. */
#include <signal.h>
#include <unistd.h>

#include "fake.h"

namespace {

struct Row {
	const char *file;
	uint32_t bit;
	uint32_t sck_soft_t::*timer;
	uint32_t start;
	const char *name;	/* of the start and stop lines */
};

constexpr Row WATCH_ROWS[] = {
	{"/var/linkmgr_check", SCK_F_LINKMGR, &sck_soft_t::linkmgr_timer, 30,
	 "linkmgr process alive check"},
	{"/var/netgate_check", SCK_F_NETGATE, &sck_soft_t::netgate_timer, 30,
	 "netgate process alive check"},
	{"/var/stationmap_check", SCK_F_STATIONMAP, &sck_soft_t::stationmap_timer, 30,
	 "stationmap process alive check"},
	{"/var/svcagent_check", SCK_F_SVCAGENT, &sck_soft_t::svcagent_timer, 30,
	 "svcagent process alive check"},
	{"/var/wanctl_check", SCK_F_WANCTL, &sck_soft_t::wanctl_timer, 30,
	 "wanctl process alive check"},
};

class ScanTest : public SckTest {
protected:
	void scan() { sck_check_event(); }
	void settings(std::map<std::string, std::string> s)
	{
		sys.settings = s;
		sck_get_mib(sck);
	}
};

TEST_F(ScanTest, EachFlagFileStartsAndStopsItsCheck)
{
	for (const Row &r : WATCH_ROWS) {
		SCOPED_TRACE(r.file);
		put(r.file);
		scan();
		EXPECT_EQ(logged(), std::string("info Start ") + r.name);
		EXPECT_TRUE(sck->check_flags & r.bit);
		EXPECT_EQ(sck->*r.timer, r.start);
		scan();
		EXPECT_EQ(logged(), "");
		drop(r.file);
		scan();
		EXPECT_EQ(logged(), std::string("info Stop ") + r.name);
		EXPECT_FALSE(sck->check_flags & r.bit);
		EXPECT_EQ(sck->*r.timer, 0u);
	}

	put("/var/usb_check");
	scan();
	EXPECT_EQ(logged(), "info Start check USB modem switching, wait timer val 180");
	EXPECT_EQ(sck->usb_switch_timer, 180u);
	sck->usb_switch_count = 4;
	drop("/var/usb_check");
	scan();
	EXPECT_EQ(logged(), "info Stop check USB modem switching");
	EXPECT_EQ(sck->usb_switch_count, 0);

	sck->check_flags |= SCK_F_IPCP_UP;
	put("/var/ppp_check");
	mkdir(path("/var/ppp_check.d").c_str(), 0755);	/* any kind of file counts */
	drop("/var/ppp_check");
	rename(path("/var/ppp_check.d").c_str(), path("/var/ppp_check").c_str());
	scan();
	EXPECT_EQ(logged(), "info Start check PPP connection, wait timer 120");
	EXPECT_EQ(sck->check_flags & (SCK_F_PPP | SCK_F_IPCP_UP), SCK_F_PPP);
	EXPECT_EQ(sck->ppp_wait_timer, 120u);
	sck->check_flags |= SCK_F_IPCP_UP;
	rmdir(path("/var/ppp_check").c_str());
	scan();
	EXPECT_EQ(logged(), "info Stop check PPP connection");
	EXPECT_EQ(sck->check_flags & (SCK_F_PPP | SCK_F_IPCP_UP), 0u);
}

/* Start-up switched these on itself: only their stops and restarts log. */
TEST_F(ScanTest, StartUpChecksLogOnlyWhenSwitchedAgain)
{
	EXPECT_EQ(get("/var/boa_check") + get("/var/usb_driver_check") + get("/var/link_check"), "111");
	passes(3);
	EXPECT_EQ(logged(), "");
	for (const char *f : {"/var/boa_check", "/var/usb_driver_check", "/var/link_check"})
		drop(f);
	scan();
	EXPECT_EQ(logged(), "info Stop boa process alive check\ninfo Stop usb driver check\n"
			    "info Stop link check");
	EXPECT_EQ(sck->boa_timer + sck->usb_driver_timer, 0u);
	put("/var/link_check");
	put("/var/usb_driver_check");
	scan();
	EXPECT_EQ(logged(), "info Start usb driver check\ninfo Start link check");
	EXPECT_EQ(sck->usb_driver_timer, 30u);
}

TEST_F(ScanTest, FileRemovedAndRecreatedBetweenScansChangesNothing)
{
	put("/var/ppp_check");
	scan();
	passes(3);
	logged();
	uint32_t left = sck->ppp_wait_timer;
	drop("/var/ppp_check");
	put("/var/ppp_check");
	scan();
	EXPECT_EQ(logged(), "");
	EXPECT_EQ(sck->ppp_wait_timer, left);
}

TEST_F(ScanTest, PingMonitorStartsOnlyOverAMobileCardWithAnInterval)
{
	std::map<std::string, std::string> usb = {{"WAN_DHCP", "16"},
						  {"USB3G_CONN_TYPE", "0"},
						  {"KP7_PING_MONITOR_ENABLE", "1"},
						  {"KP7_PING_MONITOR_INTERVAL", "30"}};
	put("/var/ppp_ping_start");
	for (auto change : std::vector<std::pair<std::string, std::string>>{
		     {"WAN_DHCP", "3"},
		     {"USB3G_CONN_TYPE", "1"},
		     {"KP7_PING_MONITOR_ENABLE", "0"},
		     {"KP7_PING_MONITOR_INTERVAL", "30s"},
		     {"KP7_PING_MONITOR_INTERVAL", "-30"},
		     {"KP7_PING_MONITOR_INTERVAL", "0"}}) {
		SCOPED_TRACE(change.first + "=" + change.second);
		auto s = usb;
		s[change.first] = change.second;
		settings(s);
		scan();
		EXPECT_EQ(logged(), "");
		EXPECT_FALSE(sck->check_flags & SCK_F_PING);
	}
	settings(usb);
	sck->ping_wait_timer = 7;
	scan();
	EXPECT_EQ(logged(), "info Start PPP PING Monitoring, interval 30");
	EXPECT_EQ(sck->ping_send_timer, 60u);
	EXPECT_EQ(sck->ping_wait_timer, 0u);
	/* running, it no longer asks */
	settings({});
	scan();
	EXPECT_TRUE(sck->check_flags & SCK_F_PING);
	drop("/var/ppp_ping_start");
	scan();
	EXPECT_EQ(logged(), "info Stop PPP PING Monitoring");
	EXPECT_EQ(sck->ping_send_timer + sck->ping_wait_timer, 0u);
}

TEST_F(ScanTest, SettingsAreTakenOnlyAsCleanNumbers)
{
	std::string long_host(200, 'h');
	settings({{"WAN_DHCP", "0x10"},
		  {"PPP_CONNECT_TYPE", "010"},
		  {"USB3G_CONN_TYPE", "2x"},
		  {"USB3G_ETHER", "257"},
		  {"DNS_MODE", ""},
		  {"KP7_PING_MONITOR_ENABLE", "0x101"},
		  {"KP7_PING_MONITOR_INTERVAL", "4294967295"},
		  {"KP7_PING_MONITOR_TARGET1_HOST", long_host},
		  {"KP7_PING_MONITOR_TARGET3_HOST", "8.8.8.8"},
		  {"PING_MONITOR_OPTION", "0"}});
	EXPECT_EQ(sck->wan_type, 16);
	EXPECT_EQ(sck->ppp_connect_type, 8);
	EXPECT_EQ(sck->usb3g_conn_type, 0);
	EXPECT_EQ(sck->usb3g_ether, 1);
	EXPECT_EQ(sck->dns_mode, 0);
	EXPECT_EQ(sck->ping_enable, 1);
	EXPECT_EQ(sck->ping_interval, -1);
	EXPECT_EQ(std::string(sck->ping_host[0]), long_host.substr(0, 127));
	EXPECT_EQ(std::string(sck->ping_host[1]), "");
	EXPECT_EQ(std::string(sck->ping_host[2]), "8.8.8.8");
	EXPECT_EQ(sys.commands.size(), 0u);

	/* A value that is gone at the next reload clears its field. */
	settings({{"KP7_PING_MONITOR_INTERVAL", "4294967296"}});
	EXPECT_EQ(sck->wan_type, 0);
	EXPECT_EQ(sck->ping_interval, 0);
	EXPECT_EQ(std::string(sck->ping_host[2]), "");
}

TEST_F(ScanTest, LanAddressIsFetchedOnlyForPingsFromTheLan)
{
	settings({{"PING_MONITOR_OPTION", "0x100"}});
	EXPECT_EQ(sck->lan_addr.sin_addr.s_addr, 0u);
	settings({{"PING_MONITOR_OPTION", "0x101"}});
	EXPECT_EQ(sck->ping_option, 1);
	EXPECT_EQ(ntohl(sck->lan_addr.sin_addr.s_addr), 0xC0A80001u);
	EXPECT_EQ(logged(), "");

	sys.if_result = -1;
	sys.if_errno = ENODEV;
	settings({{"PING_MONITOR_OPTION", "1"}});
	EXPECT_EQ(logged(), "err Can't get lan address errno 19");
	EXPECT_EQ(sck->lan_addr.sin_addr.s_addr, 0u);
	sys.if_result = SCK_IF_NO_SOCKET;
	sys.if_errno = EMFILE;
	settings({{"PING_MONITOR_OPTION", "1"}});
	EXPECT_EQ(logged(), "err Can't open socket to get lan address errno 24");
}

/* Settings are re-read in every fifth pass of two seconds. */
TEST_F(ScanTest, SettingsReloadEveryTenSeconds)
{
	sys.settings = {{"WAN_DHCP", "3"}};
	passes(4);
	EXPECT_EQ(sck->wan_type, 0);
	passes(1);
	EXPECT_EQ(sck->wan_type, 3);
	sys.settings = {};
	passes(4);
	EXPECT_EQ(sck->wan_type, 3);
	passes(1);
	EXPECT_EQ(sck->wan_type, 0);
}

/* A countdown smaller than the interval runs out in one pass; a check
 * never acts in the pass that started it. */
TEST_F(ScanTest, CountdownsRunOutAfterWholePasses)
{
	for (uint8_t interval : {2, 7, 29, 30, 31, 255}) {
		SCOPED_TRACE(interval);
		SetUp();
		sck->interval = interval;
		put("/var/linkmgr_check");
		int acted = 0;
		for (int pass = 1; pass <= 40 && !acted; pass++) {
			passes(1);
			for (const std::string &c : sys.commands)
				if (c == "linkmgr -d&")
					acted = pass;
			sys.commands.clear();
		}
		EXPECT_EQ(acted, std::max(2, (30 + interval - 1) / interval));
		EXPECT_EQ(sck->linkmgr_timer, 30u);
	}
}

TEST(SckOptions, IntervalIsOneToTwoFiftyFive)
{
	struct Case {
		std::vector<const char *> args;
		int rc;
		int interval, debug;
	} cases[] = {
		{{"-i", "5"}, 0, 5, 0},       {{"-i", "0x10", "-d", "300"}, 0, 16, 44},
		{{"-i", "010"}, 0, 8, 0},     {{"-i", "255"}, 0, 255, 0},
		{{"-i", "0"}, -1, 0, 0},      {{"-i", "256"}, -1, 0, 0},
		{{"-i", "5x"}, -1, 0, 0},     {{"-i", "-1"}, -1, 0, 0},
		{{"-x"}, -1, 0, 0},           {{"-d"}, -1, 0, 0},
		{{}, 0, 0, 0},
	};
	for (const Case &c : cases) {
		std::vector<char *> argv = {(char *)"syscheck"};
		for (const char *a : c.args)
			argv.push_back((char *)a);
		argv.push_back(nullptr);
		sck_soft_t sck = {};
		optind = 0;
		opterr = 0;
		EXPECT_EQ(parse_arg(&sck, (int)argv.size() - 1, argv.data()), c.rc) << c.args.size();
		if (c.rc == 0) {
			EXPECT_EQ(sck.interval, c.interval);
			EXPECT_EQ(sck.debug_level, c.debug);
		}
	}
}

/* The handler only notes SIGUSR1: the scan runs in the main loop, before
 * the sleep when the signal came during a pass. */
TEST_F(ScanTest, SignalsNeverEndTheDaemonAndUsr1Scans)
{
	struct sigaction saved[4];
	const int sigs[4] = {SIGTERM, SIGINT, SIGHUP, SIGUSR1};
	for (int i = 0; i < 4; i++)
		sigaction(sigs[i], nullptr, &saved[i]);
	sck_sigset();
	put("/var/netgate_check");
	sck_wait(sck);
	EXPECT_EQ(logged(), "");
	EXPECT_EQ(sys.slept, 2u);

	raise(SIGTERM);
	raise(SIGINT);
	raise(SIGHUP);
	raise(SIGUSR1);
	EXPECT_EQ(logged(), "");
	sck_wait(sck);
	EXPECT_EQ(logged(), "info Start netgate process alive check");
	EXPECT_EQ(sys.slept, 4u);
	sck_wait(sck);
	EXPECT_EQ(logged(), "");
	for (int i = 0; i < 4; i++)
		sigaction(sigs[i], &saved[i], nullptr);
}

}  // namespace
