/* Watchdogs of the sibling daemons and the USB host driver check. */
#include <signal.h>

#include "fake.h"

namespace {

class WatchTest : public SckTest {
protected:
	/* Passes until the 30-second countdowns of checks started now run out. */
	void until_due() { passes(15); }
	void start(const char *flag)
	{
		put(flag);
		sck_check_event();
		logged();
	}
	void all_modules()
	{
		sys.output["/bin/lsmod"] = "ohci_hcd 20000 0\nehci_hcd 30000 0\n";
		sys.output["/bin/lsusb -v"] = "  iProduct 2 ohci_hcd\n  iProduct 2 ehci_hcd\n";
	}
	std::string watchdog_commands()
	{
		std::string s;
		for (const std::string &c : sys.commands)
			if (c.find("lsmod") == std::string::npos && c.find("lsusb") == std::string::npos)
				s += (s.empty() ? "" : "\n") + c;
		sys.commands.clear();
		return s;
	}
};

TEST_F(WatchTest, DeadDaemonIsRestartedOncePerCountdown)
{
	all_modules();
	start("/var/linkmgr_check");
	start("/var/netgate_check");
	passes(14);
	EXPECT_EQ(watchdog_commands(), "");
	passes(1);
	EXPECT_EQ(logged(), "notice boa is down, restart boa\nnotice linkmgr is down, restart linkmgr\n"
			    "notice netgateis down, restart netgate");
	EXPECT_EQ(watchdog_commands(), "boa&\nlinkmgr -d&\nnetgate &");
	/* they came back: nothing more */
	sys.running = {{"boa", 11}, {"linkmgr", 12}, {"netgate", 13}};
	passes(45);
	EXPECT_EQ(logged() + watchdog_commands(), "");
	/* one died again */
	sys.running.erase("linkmgr");
	passes(15);
	EXPECT_EQ(logged(), "notice linkmgr is down, restart linkmgr");
	EXPECT_EQ(watchdog_commands(), "linkmgr -d&");
}

TEST_F(WatchTest, ShopDaemonsGetTheShopIdentifierAsOneWord)
{
	all_modules();
	sys.running = {{"boa", 5}};
	start("/var/stationmap_check");
	struct Case {
		const char *file;	/* null: no file */
		const char *command;
	} cases[] = {
		{"1234567", "stationmap -s 12345 &"},
		{"A-9\n", "stationmap -s A-9 &"},
		{nullptr, "stationmap -s  &"},
		{";halt", "stationmap -s ';halt' &"},
		{"$(id)", "stationmap -s '$(id)' &"},
		{"a'b c", "stationmap -s 'a'\\''b c' &"},
	};
	for (const Case &c : cases) {
		SCOPED_TRACE(c.command);
		if (c.file)
			put("/var/ramsetting/shopid", c.file);
		else
			drop("/var/ramsetting/shopid");
		until_due();
		EXPECT_EQ(logged(), "notice stationmap is down, restart stationmap");
		EXPECT_EQ(watchdog_commands(), c.command);
	}
}

TEST_F(WatchTest, SvcagentBringsAFreshStationmap)
{
	all_modules();
	sys.running = {{"boa", 5}, {"stationmap", 40}};
	start("/var/svcagent_check");
	start("/var/stationmap_check");
	put("/var/ramsetting/shopid", "S01");
	until_due();
	EXPECT_EQ(signals(), "stationmap TERM");
	EXPECT_EQ(logged(), "notice svcagent is down, restart svcagent");
	EXPECT_EQ(watchdog_commands(), "svcagent -s S01 &\nstationmap -s S01 &");

	/* a disabled function keeps both down, silently */
	put("/var/func_disble", "");
	sys.running = {{"boa", 5}};
	until_due();
	EXPECT_EQ(logged() + watchdog_commands() + signals(), "");
}

TEST_F(WatchTest, MissingDriverReloadsTheModules)
{
	all_modules();
	until_due();
	EXPECT_EQ(said(), "");
	EXPECT_EQ(commands(), "boa&\n/bin/lsmod\n/bin/lsusb -v");
	logged();

	sys.output["/bin/lsusb -v"] = "  iProduct 2 ohci_hcd\n";
	until_due();
	const char *line = "OHCI mod alive device alive EHCI mod alive device not alive";
	EXPECT_EQ(said(), std::string(line) + "\nre-modprobe USB host modules");
	EXPECT_EQ(logged(), std::string("notice boa is down, restart boa\nerr ") + line +
				    "\ninfo re-modprobe USB host modules");
	EXPECT_EQ(commands(), "boa&\n/bin/lsmod\n/bin/lsusb -v\n"
			      "rmmod hwa-hc  >/dev/null 2>&1\nrmmod ohci-hcd  >/dev/null 2>&1\n"
			      "rmmod ehci-hcd  >/dev/null 2>&1\nmodprobe hwa-hc\nmodprobe ohci-hcd\n"
			      "modprobe ehci-hcd");
	sys.output["/bin/lsmod"] = "";
	until_due();
	EXPECT_EQ(said(), "OHCI mod not alive device alive EHCI mod not alive device not alive\n"
			  "re-modprobe USB host modules");
	EXPECT_EQ(get("/var/stat/usb_driver_restart"), "2");
}

TEST_F(WatchTest, NoLsmodMeansABrokenSystemAndAReboot)
{
	struct Case {
		int popen_errno, exit;
		const char *line;
	} cases[] = {
		{EMFILE, 0, "can't open /bin/lsmod errno 24, now reboot"},
		{0, 127, "can't open /bin/lsmod errno 2, now reboot"},
		{0, 126, "can't open /bin/lsmod errno 13, now reboot"},
	};
	for (const Case &c : cases) {
		SCOPED_TRACE(c.line);
		SetUp();
		sys.running = {{"boa", 5}};
		sys.popen_errno = c.popen_errno;
		sys.exits["/bin/lsmod"] = c.exit;
		until_due();
		EXPECT_EQ(said(), c.line);
		EXPECT_EQ(logged(), std::string("err ") + c.line);
		EXPECT_EQ(commands(), "/bin/lsmod\nlogdump.sh\nreboot");
		EXPECT_EQ(sys.reboot_waits, 1);
		EXPECT_EQ(sys.slept, 1u);
	}
	/* lsusb likewise */
	SetUp();
	sys.running = {{"boa", 5}};
	all_modules();
	sys.exits["/bin/lsusb -v"] = 127;
	until_due();
	EXPECT_EQ(said(), "can't open /bin/lsusb -v errno 2, now reboot");
	EXPECT_EQ(commands(), "/bin/lsmod\n/bin/lsusb -v\nlogdump.sh\nreboot");
}

}  // namespace
