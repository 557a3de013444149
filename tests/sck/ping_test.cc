/* The ping monitor: sends, the reply rule, and the reactions to failure. */
#include <signal.h>

#include "fake.h"

namespace {

class PingTest : public SckTest {
protected:
	void SetUp() override
	{
		SckTest::SetUp();
		sys.running = {{"boa", 5}, {"wanctl", 30}, {"pppd", 31}};
		drop("/var/usb_driver_check");
		drop("/var/link_check");
		sck->check_flags &= ~(SCK_F_USB_DRIVER | SCK_F_LINK);
		settings({});
	}
	void settings(std::map<std::string, std::string> more)
	{
		sys.settings = {{"WAN_DHCP", "16"},
				{"USB3G_CONN_TYPE", "0"},
				{"KP7_PING_MONITOR_ENABLE", "1"},
				{"KP7_PING_MONITOR_INTERVAL", "30"},
				{"KP7_PING_MONITOR_TARGET1_HOST", "8.8.8.8"},
				{"KP7_PING_MONITOR_TARGET2_HOST", "$(reboot)"}};
		for (auto &m : more)
			sys.settings[m.first] = m.second;
		sck_get_mib(sck);
	}
	/* The flag file appears; the first send comes 60 seconds later. */
	void start()
	{
		put("/var/ppp_ping_start");
		sck_check_event();
		logged();
		passes(30);
	}
	/* The replies are judged 15 seconds after the send: `sizes` are the
	 * result files' sizes then (-1: none). */
	void judge(std::vector<int> sizes)
	{
		said();
		for (int t = 0; t < 3; t++)
			if (sizes[t] >= 0)
				put("/var/pingtest" + std::to_string(t + 1), std::string(sizes[t], 'x'));
		passes(8);
	}
	std::string last_command()
	{
		std::string last = sys.commands.empty() ? "" : sys.commands.back();
		sys.commands.clear();
		return last;
	}
	void fail_once()
	{
		start();
		judge({-1, -1, -1});
	}
};

TEST_F(PingTest, CycleSendsToEachTargetAndJudgesBySize)
{
	put("/var/pingtest3", "old");
	put("/var/ppp_ping_start");
	sck_check_event();
	passes(29);
	EXPECT_EQ(commands(), "");
	passes(1);
	EXPECT_EQ(said(), "Start PPP PING Monitoring\n    PingMonitor send ping to 8.8.8.8...\n"
			  "    PingMonitor send ping to $(reboot)...");
	EXPECT_EQ(commands(), "ping 8.8.8.8 -c 2 -s 1 > /var/pingtest1 &\n"
			      "ping '$(reboot)' -c 2 -s 1 > /var/pingtest2 &");
	EXPECT_FALSE(has("/var/pingtest3"));
	logged();
	put("/var/pingtest1", std::string(191, 'x'));
	put("/var/pingtest2", std::string(190, 'x'));
	passes(7);
	EXPECT_EQ(said(), "");
	passes(1);
	EXPECT_EQ(said(), "    Received Ping Reply from PingMonitor 8.8.8.8\n"
			  "    Could not receive Ping Reply from PingMonitor $(reboot)\n"
			  "PingMonitor could receive reply.");
	EXPECT_EQ(logged(), "info ZT-KP7 PingMonitor could receive ping reply.");
	EXPECT_FALSE(has("/var/pingtest1") || has("/var/pingtest2"));
	/* the next cycle comes with the interval, from the send */
	passes(6);
	EXPECT_EQ(commands(), "");
	passes(1);
	EXPECT_EQ(commands(), "ping 8.8.8.8 -c 2 -s 1 > /var/pingtest1 &\n"
			      "ping '$(reboot)' -c 2 -s 1 > /var/pingtest2 &");
	EXPECT_TRUE(sck->check_flags & SCK_F_PING);
}

TEST_F(PingTest, OnlyConfiguredTargetsCount)
{
	settings({{"KP7_PING_MONITOR_TARGET1_HOST", ""}, {"KP7_PING_MONITOR_TARGET2_HOST", "x;halt"}});
	start();
	EXPECT_EQ(commands(), "ping 'x;halt' -c 2 -s 1 > /var/pingtest2 &");
	judge({191, 300, -1});
	EXPECT_EQ(said(), "    Received Ping Reply from PingMonitor x;halt\nPingMonitor could receive reply.");
	settings({{"KP7_PING_MONITOR_TARGET1_HOST", ""}, {"KP7_PING_MONITOR_TARGET2_HOST", "x"}});
	sck->ping_send_timer = 2;
	passes(1);
	commands();
	judge({191, 190, 191});
	EXPECT_EQ(said(), "    Could not receive Ping Reply from PingMonitor x\n"
			  "    !!!!!! PingMonitor could not receive reply from all HOSTS !!!!!!\n"
			  "     Stop pppd process and set the PingMonitor fail flag...\n"
			  "     Status LED Blinking...\n"
			  "     send SIGUSR1 signal to wanctl( kill pppd )...\nStop PPP PING Monitoring");
	logged();

	/* nobody to ask: every cycle a success */
	settings({{"KP7_PING_MONITOR_TARGET1_HOST", ""}, {"KP7_PING_MONITOR_TARGET2_HOST", ""}});
	start();
	judge({191, -1, -1});
	EXPECT_EQ(said(), "PingMonitor could receive reply, after pppd reconnected.");
	EXPECT_EQ(commands(), "");
}

/* The count lives across runs: five pppd restarts, the modem, pppd again;
 * a success in between starts it over, and says so once. */
TEST_F(PingTest, FiveFailuresRestartPppdTheSixthTheModem)
{
	for (int failure = 1; failure <= 7; failure++) {
		put("/proc/gpio", "");
		fail_once();
		EXPECT_EQ(signals(), failure == 6 ? "wanctl USR2" : "wanctl USR1") << failure;
		EXPECT_EQ(get("/proc/gpio"), "R");
		EXPECT_FALSE(has("/var/ppp_ping_start") || (sck->check_flags & SCK_F_PING));
	}
	EXPECT_EQ(sck->ping_fail_count, 1);
	EXPECT_EQ(get("/var/fact/ppp_ping_fail"), "7");
	fail_once();
	logged();
	for (const char *line : {"info ZT-KP7 PingMonitor could receive ping reply. (after pppd recconect.)",
				 "info ZT-KP7 PingMonitor could receive ping reply."}) {
		if (!(sck->check_flags & SCK_F_PING))
			start();
		else
			passes(15 - 8);
		judge({191, -1, -1});
		EXPECT_EQ(logged(), line);
	}
	EXPECT_EQ(sck->ping_fail_count, 0);
}

TEST_F(PingTest, WithoutWanctlTheMonitorActsItself)
{
	sys.running.erase("wanctl");
	fail_once();
	EXPECT_EQ(commands(), "ping 8.8.8.8 -c 2 -s 1 > /var/pingtest1 &\n"
			      "ping '$(reboot)' -c 2 -s 1 > /var/pingtest2 &\nifconfig ppp0 down");
	EXPECT_EQ(signals(), "pppd TERM");
	EXPECT_EQ(sys.slept, 1u + 3u);
	sck->ping_fail_count = 5;
	fail_once();
	EXPECT_EQ(last_command(), "/bin/usbcycle.sh PingMonitor");
	EXPECT_EQ(signals(), "");
}

TEST_F(PingTest, UsbEthernetModemIsPowerCycledInTheBackground)
{
	settings({{"USB3G_ETHER", "1"}});
	put("/proc/gpio", "");
	sck->ping_fail_count = 2;
	fail_once();
	EXPECT_EQ(last_command(), "/bin/usbcycle.sh PingMonitor &");
	std::string text = said();
	EXPECT_EQ(text.substr(text.find("from PingMonitor $(reboot)")), "from PingMonitor $(reboot)\nStop PPP PING Monitoring");
	EXPECT_EQ(signals() + get("/proc/gpio"), "");
	EXPECT_EQ(sck->ping_fail_count, 2);
	EXPECT_FALSE(has("/var/ppp_ping_start") || has("/var/fact/ppp_ping_fail"));
}

/* An interval no longer than the reply wait sends again before judging. */
TEST_F(PingTest, ShortIntervalNeverJudges)
{
	for (const char *interval : {"16", "18"}) {
		SCOPED_TRACE(interval);
		settings({{"KP7_PING_MONITOR_INTERVAL", interval}});
		start();
		passes(40);
		std::string text = said();
		EXPECT_EQ(text.find("Ping Reply") == std::string::npos, interval == std::string("16"));
		drop("/var/ppp_ping_start");
		sck_check_event();
	}
}

TEST_F(PingTest, PingsFromTheLanAddress)
{
	settings({{"PING_MONITOR_OPTION", "1"}});
	start();
	EXPECT_EQ(commands(), "ping 8.8.8.8 -c 2 -s 1 -I 192.168.0.1 > /var/pingtest1 &\n"
			      "ping '$(reboot)' -c 2 -s 1 -I 192.168.0.1 > /var/pingtest2 &");
	EXPECT_EQ(said(), "Start PPP PING Monitoring\n    PingMonitor send ping to 8.8.8.8...\n"
			  " local address 192.168.0.1\n    PingMonitor send ping to $(reboot)...\n"
			  " local address 192.168.0.1");
	sys.if_result = -1;
	settings({{"PING_MONITOR_OPTION", "1"}});
	sck->ping_send_timer = 2;
	passes(1);
	EXPECT_EQ(commands(), "ping 8.8.8.8 -c 2 -s 1 -I 0.0.0.0 > /var/pingtest1 &\n"
			      "ping '$(reboot)' -c 2 -s 1 -I 0.0.0.0 > /var/pingtest2 &");
}

}  // namespace
