/* utl_flash against the flash program of the root, and its output parser. */
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "sandbox.h"
#include "utl.h"
#include "utl_int.h"

namespace {

struct Got {
	int rc;
	std::string value;
};

Got get(const char *name)
{
	char value[512] = "stale";
	int rc = utl_flash(name, value, 0);
	return {rc, value};
}

/* The parser alone, on output given as text. */
Got parse(const std::string &output)
{
	char value[512] = "stale";
	FILE *f = fmemopen((void *)output.data(), output.size(), "r");
	if (output.empty())
		f = fopen("/dev/null", "r");
	int rc = utl_flash_parse(f, value);
	fclose(f);
	return {rc, value};
}

TEST(UtlFlash, GetsNumbersAddressesAndStrings)
{
	size_t mark = commands_mark();
	Got g = get("WAN_DHCP");
	EXPECT_EQ(g.rc, 0);
	EXPECT_EQ(g.value, "16");
	g = get("IP_ADDR");
	EXPECT_EQ(g.rc, 0);
	EXPECT_EQ(g.value, "192.168.0.1");
	g = get("WLAN_SSID");
	EXPECT_EQ(g.rc, 0);
	EXPECT_EQ(g.value, "KP7-Router");
	EXPECT_EQ(commands_since(mark),
		  "flash get WAN_DHCP\nflash get IP_ADDR\nflash get WLAN_SSID\n");
}

TEST(UtlFlash, SetThenGetFollowsTheSeparatorRules)
{
	char value[512] = "my net";
	size_t mark = commands_mark();
	ASSERT_EQ(utl_flash("WLAN_SSID", value, 1), 0);
	/* A quoted value is cut at its blank. */
	Got g = get("WLAN_SSID");
	EXPECT_EQ(g.rc, 0);
	EXPECT_EQ(g.value, "my");

	/* An empty quoted value reads as a failure, with the value emptied. */
	value[0] = '\0';
	ASSERT_EQ(utl_flash("WLAN_SSID", value, 1), 0);
	g = get("WLAN_SSID");
	EXPECT_EQ(g.rc, -1);
	EXPECT_EQ(g.value, "");
	EXPECT_EQ(commands_since(mark), "flash set WLAN_SSID 'my net'\nflash get WLAN_SSID\n"
					"flash set WLAN_SSID ''\nflash get WLAN_SSID\n");

	/* A set succeeds whatever flash made of it. */
	char bad[] = "not-a-number";
	EXPECT_EQ(utl_flash("WAN_DHCP", bad, 1), 0);
	EXPECT_EQ(get("WAN_DHCP").value, "16");
	strcpy(value, "KP7-Router");
	EXPECT_EQ(utl_flash("WLAN_SSID", value, 1), 0);
}

TEST(UtlFlash, NoOutputIsNoValue)
{
	/* flash complains on its error output only: nothing to parse, and
	 * not the command text left in the work buffer either. */
	Got g = get("NO_SUCH_PARAMETER");
	EXPECT_EQ(g.rc, -1);
	EXPECT_EQ(g.value, "");

	RootScript silent("/bin/flash", "#!/bin/bash\nexit 0\n");
	g = get("WLAN_SSID");
	EXPECT_EQ(g.rc, -1);
	EXPECT_EQ(g.value, "");
}

TEST(UtlFlash, LastOutputLineCounts)
{
	RootScript chatty("/bin/flash",
			  "#!/bin/bash\necho 'loading store'\necho \"$2=first\"\necho \"$2=\\\"last one\\\"\"\n");
	Got g = get("WLAN_SSID");
	EXPECT_EQ(g.rc, 0);
	EXPECT_EQ(g.value, "last");
}

TEST(UtlFlash, CraftedValuesStayArguments)
{
	size_t mark = commands_mark();
	char value[512] = "a;touch /tmp/pwned";
	EXPECT_EQ(utl_flash("WLAN_SSID", value, 1), 0);
	EXPECT_EQ(get("WLAN_SSID").value, "a;touch");
	strcpy(value, "$(touch /tmp/pwned2)'`");
	EXPECT_EQ(utl_flash("WLAN_SSID", value, 1), 0);
	EXPECT_EQ(get("WLAN_SSID").value, "$(touch");
	Got g = get("WLAN_SSID&&touch /tmp/pwned3");
	EXPECT_EQ(g.rc, -1);
	EXPECT_FALSE(exists(in_root("/tmp/pwned")));
	EXPECT_FALSE(exists(in_root("/tmp/pwned2")));
	EXPECT_FALSE(exists(in_root("/tmp/pwned3")));
	/* (the shell's record doubles each backslash) */
	EXPECT_EQ(commands_since(mark), "flash set WLAN_SSID 'a;touch /tmp/pwned'\n"
					"flash get WLAN_SSID\n"
					"flash set WLAN_SSID '$(touch /tmp/pwned2)'\\\\''`'\n"
					"flash get WLAN_SSID\n"
					"flash get 'WLAN_SSID&&touch /tmp/pwned3'\n");
	strcpy(value, "KP7-Router");
	EXPECT_EQ(utl_flash("WLAN_SSID", value, 1), 0);
}

/* No descriptors, no child: -1 and the value as it was. */
TEST(UtlFlash, CommandThatCannotStart)
{
	EXPECT_EQ(in_child([] {
			  exhaust_fds();
			  char value[512] = "kept";
			  return utl_flash("WLAN_SSID", value, 0) == -1 && !strcmp(value, "kept") &&
					 utl_flash("WLAN_SSID", value, 1) == -1 ? 0 : 1;
		  }),
		  0);
	EXPECT_EQ(utl_flash(nullptr, nullptr, 0), -1);
}

TEST(UtlFlashParse, OutputLines)
{
	struct Case {
		std::string output;
		int rc;
		std::string value;
	} cases[] = {
		{"NAME=value\n", 0, "value"},
		{"NAME=\"my net\"\n", 0, "my"},
		{"NAME=\"\"\n", -1, ""},
		{"NAME=\n", -1, ""},
		{"NAME\n", -1, ""},
		{"", -1, ""},
		{"\n", -1, ""},
		{"NAME=a=b\n", 0, "a"},
		{"NAME=\ttabbed\n", 0, "tabbed"},
		{"NAME=no-newline", 0, "no-newline"},
		{"A=1\nB=2\n", 0, "2"},
		{"A=1\n\n", -1, ""},
		/* NUL bytes end the line's text where they stand */
		{std::string("NAME=ab\0cd\n", 11), 0, "ab"},
		{std::string("\0NAME=x\n", 8), -1, ""},
		/* read in pieces of 511: the last piece is the last "line" */
		{"NAME=" + std::string(600, 'v') + "\n", -1, ""},
		{"N=" + std::string(509, 'w'), 0, std::string(509, 'w')},
	};
	for (const Case &c : cases) {
		Got g = parse(c.output);
		EXPECT_EQ(g.rc, c.rc) << c.output;
		EXPECT_EQ(g.value, c.value) << c.output;
	}
}

}  // namespace
