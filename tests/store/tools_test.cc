/* flash, cfgburn and mibtool, run as programs against private roots. */
#include <gtest/gtest.h>

#include "roots.h"

namespace {

const char kFlashUsage[] = "usage: flash get NAME\n";

}  // namespace

TEST(StoreTools, FlashGetPrintsEachForm)
{
	TempRoot root;
	struct {
		std::vector<std::string> set;
		std::string out;
	} cases[] = {
		{{"WLAN_SSID", "my", "net"}, "WLAN_SSID=\"my net\"\n"},
		{{"IP_ADDR", "10.0.0.1"}, "IP_ADDR=10.0.0.1\n"},
		{{"WEB_PORT", "0x1f90"}, "WEB_PORT=8080\n"},
		{{"WLAN_WEP64_KEY1", "0102ABcdef"}, "WLAN_WEP64_KEY1=0102abcdef\n"},
		{{"AUTO_FIRMUP_URL", "http://127.0.0.1/fw.bin"}, "AUTO_FIRMUP_URL=\"http://127.0.0.1/fw.bin\"\n"},
		{{"WAN_DHCP", "3"}, "WAN_DHCP=3\n"},
		{{"PPP_PASSWORD", ""}, "PPP_PASSWORD=\"\"\n"},
	};
	for (auto &c : cases) {
		std::vector<std::string> argv = {"flash", "set"};
		argv.insert(argv.end(), c.set.begin(), c.set.end());
		ToolRun s = run_tool(root, argv);
		EXPECT_EQ(0, s.status) << c.set[0] << s.err;
		ToolRun g = run_tool(root, {"flash", "get", c.set[0]});
		EXPECT_EQ(0, g.status);
		EXPECT_EQ(c.out, g.out);
		EXPECT_EQ("", g.err);
	}
	ToolRun list = run_tool(root, {"flash", "get", "PORTFW_TBL_NUM"});
	EXPECT_EQ("PORTFW_TBL_NUM=0\n", list.out);
	/* flash set commits at once: nothing is lost by a reboot */
	remove_tree(root / "var/apmib");
	EXPECT_EQ("WLAN_SSID=\"my net\"\n", run_tool(root, {"flash", "get", "WLAN_SSID"}).out);
}

TEST(StoreTools, FlashRefusesBadRequests)
{
	TempRoot root;
	std::vector<std::vector<std::string>> bad = {
		{"flash", "get", "NO_SUCH_NAME"}, {"flash", "get", "wlan_ssid"},
		{"flash", "set", "WEB_PORT", "65536"}, {"flash", "set", "IP_ADDR", "10.0.0.256"},
		{"flash", "set", "MIB_VER", "3"}, {"flash", "set", "PORTFW_TBL", "1"},
		{"flash", "set", "WLAN_WEP64_KEY1", "0102"},
	};
	for (auto &argv : bad) {
		ToolRun r = run_tool(root, argv);
		EXPECT_EQ(1, r.status) << argv[2];
		EXPECT_EQ("", r.out) << argv[2];
		EXPECT_NE("", r.err) << argv[2];
	}
	for (std::vector<std::string> argv : {std::vector<std::string>{"flash"}, {"flash", "get"},
					      {"flash", "get", "A", "B"}, {"flash", "erase"},
					      {"flash", "reset", "now"}, {"flash", "set", "WEB_PORT"}}) {
		ToolRun r = run_tool(root, argv);
		EXPECT_EQ(1, r.status);
		EXPECT_EQ(0u, r.err.find(kFlashUsage)) << r.err;
	}
	EXPECT_FALSE(exists(root / "flash")) << "refused requests write nothing";
}

TEST(StoreTools, FlashResetRestoresFactorySettings)
{
	TempRoot root;
	std::string factory = run_tool(root, {"flash", "get", "USER_NAME"}).out;
	ASSERT_EQ(0, run_tool(root, {"flash", "set", "USER_NAME", "root"}).status);
	ASSERT_EQ("USER_NAME=\"root\"\n", run_tool(root, {"flash", "get", "USER_NAME"}).out);
	EXPECT_EQ(0, run_tool(root, {"flash", "reset"}).status);
	EXPECT_EQ(factory, run_tool(root, {"flash", "get", "USER_NAME"}).out);
	EXPECT_TRUE(exists(root / "flash/apmib/def.mib"));
	EXPECT_FALSE(exists(root / "var/apmib/cur.mib"));
}

TEST(StoreTools, ExportPackUnpackAndBurn)
{
	TempRoot from, to;
	ASSERT_EQ(0, run_tool(from, {"flash", "set", "HOST_NAME", "edge"}).status);
	ASSERT_EQ(0, run_tool(from, {"mibtool", "export", "cur", "/cur.mib"}).status);
	ASSERT_EQ(0, run_tool(from, {"mibtool", "pack", "/cur.mib", "Cu", "07", "COMPCS", "/cur.sec"}).status);
	ASSERT_EQ(0, run_tool(from, {"mibtool", "unpack", "/cur.sec", "/back.mib"}).status);
	EXPECT_EQ(read_all(from / "cur.mib"), read_all(from / "back.mib"));

	write_all(to / "in.mib", read_all(from / "cur.mib"));
	ASSERT_EQ(0, run_tool(to, {"flash", "set", "HOST_NAME", "other"}).status);
	ToolRun b = run_tool(to, {"cfgburn", "-f", "/in.mib"});
	EXPECT_EQ(0, b.status) << b.err;
	EXPECT_FALSE(exists(to / "var/apmib/cur.mib"));
	EXPECT_EQ("HOST_NAME=\"edge\"\n", run_tool(to, {"flash", "get", "HOST_NAME"}).out);

	/* damaged or foreign files leave flash as it was */
	std::vector<unsigned char> flash = read_all(to / "flash/apmib/cur.mib");
	std::vector<unsigned char> cut = read_all(from / "cur.mib");
	cut.resize(cut.size() - 1);
	write_all(to / "cut.mib", cut);
	for (const char *f : {"/cut.mib", "/cur.sec", "/missing.mib"}) {
		if (std::string(f) == "/cur.sec")
			write_all(to / "cur.sec", read_all(from / "cur.sec"));
		ToolRun r = run_tool(to, {"cfgburn", "-f", f});
		EXPECT_EQ(1, r.status) << f;
		EXPECT_NE(std::string::npos, r.err.find(f)) << r.err;
	}
	EXPECT_EQ(flash, read_all(to / "flash/apmib/cur.mib"));
	EXPECT_EQ(1, run_tool(to, {"cfgburn"}).status);
	EXPECT_EQ(1, run_tool(to, {"cfgburn", "-x", "/in.mib"}).status);
}

TEST(StoreTools, MibtoolRefusesBadRequests)
{
	TempRoot root;
	ASSERT_EQ(0, run_tool(root, {"mibtool", "export", "def", "/def.mib"}).status);
	std::vector<std::vector<std::string>> bad = {
		{"mibtool"}, {"mibtool", "export", "cur"}, {"mibtool", "export", "all", "/x"},
		{"mibtool", "pack", "/def.mib", "Qq", "01", "COMPDS", "/o"},
		{"mibtool", "pack", "/def.mib", "Df", "1", "COMPDS", "/o"},
		{"mibtool", "pack", "/def.mib", "Df", "01", "COMP", "/o"},
		{"mibtool", "pack", "/nothing", "Df", "01", "COMPDS", "/o"},
		{"mibtool", "unpack", "/def.mib", "/o"},
	};
	for (auto &argv : bad) {
		ToolRun r = run_tool(root, argv);
		EXPECT_EQ(1, r.status) << (argv.size() > 1 ? argv[1] : "");
		EXPECT_NE("", r.err);
	}
	EXPECT_FALSE(exists(root / "o"));
}
