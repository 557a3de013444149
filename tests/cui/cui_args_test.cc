#include <gtest/gtest.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "apmib.h"
#include "cui.h"

namespace {

/* An argument vector that outlives the parse, as the real one does. */
struct Args {
	std::vector<std::string> text;
	std::vector<char *> ptrs;

	Args(std::initializer_list<const char *> args) : text(args.begin(), args.end())
	{
		for (std::string &s : text)
			ptrs.push_back(&s[0]);
		ptrs.push_back(nullptr);
	}
	int argc() const { return (int)text.size(); }
	char **argv() { return ptrs.data(); }
};

/* Parses a vector as a fresh run of the program would. */
void init(Args &a)
{
	optind = 0;	/* getopt starts over */
	cui_init(a.argc(), a.argv());
}

void init_list(std::initializer_list<const char *> args)
{
	Args a(args);
	init(a);
}

}  // namespace

TEST(CuiInit, FreshControlBlock)
{
	Args a{"/usr/bin/kp7cui", "-f", "-t", "c"};
	init(a);
	EXPECT_EQ(cui_sc, &cui_soft);
	EXPECT_STREQ(cui_sc->prog_name, "kp7cui");
	EXPECT_EQ(cui_sc->command, CUI_CMD_FLUSH);
	EXPECT_EQ(cui_sc->set_type, CUI_SET_CURRENT);
	EXPECT_EQ(cui_sc->port, 255);
	EXPECT_EQ(cui_sc->debug_level, 0);
	EXPECT_EQ(cui_sc->operation, 0);
	EXPECT_EQ(cui_sc->flags, 0);
	EXPECT_EQ(cui_sc->n_arg, 4);
	EXPECT_STREQ(cui_sc->filename, "");

	/* what a run leaves behind does not leak into the next */
	Args b{"kp7cui", "-d", "9", "-p", "3", "-g", "-t", "d", "-a"};
	init(b);
	Args c{"kp7cui", "-f", "-t", "d"};
	init(c);
	EXPECT_STREQ(cui_sc->prog_name, "kp7cui");
	EXPECT_EQ(cui_sc->debug_level, 0);
	EXPECT_EQ(cui_sc->port, 255);
	EXPECT_EQ(cui_sc->flags, 0);
	EXPECT_EQ(cui_sc->set_type, CUI_SET_DEFAULT);
}

TEST(CuiInit, NumbersKeepTheLowByteWithBaseDetection)
{
	/* the rule of every number: base detection, "" is 0, beyond 32 bits
	 * stands at the limit; the low byte is kept, on every processor */
	const struct {
		const char *d, *p;
		uint8_t level, port;
	} cases[] = {
		{"300", "0x10", 44, 16},
		{"0", "010", 0, 8},
		{"", "", 0, 0},
		{"99999999999999999999", "4294967296", 255, 255},
		{"-99999999999", "-1", 0, 255},
	};
	for (const auto &c : cases) {
		init_list({"kp7cui", "-d", c.d, "-p", c.p, "-f", "-t", "c"});
		EXPECT_EQ(cui_sc->debug_level, c.level) << c.d;
		EXPECT_EQ(cui_sc->port, c.port) << c.p;
	}
	for (const char *w : {"0", "", "-0", "0x0"}) {
		wlan_idx = 5;
		init_list({"kp7cui", "-w", w, "-i", "STATUS", "0"});
		EXPECT_EQ(wlan_idx, 0) << w;
	}
}

TEST(CuiInit, TypesAndFileNames)
{
	/* a later -t overwrites; a one-letter -t other than c or d is ignored */
	init_list({"kp7cui", "-l", "-t", "d", "-t", "/tmp/cfg.bin"});
	EXPECT_EQ(cui_sc->set_type, CUI_SET_FILE);
	EXPECT_STREQ(cui_sc->filename, "/tmp/cfg.bin");
	EXPECT_EQ(cui_sc->n_arg, 6);
	init_list({"kp7cui", "-s", "-t", "c", "-t", "x", "NAME", "0", "v"});
	EXPECT_EQ(cui_sc->set_type, CUI_SET_CURRENT);
	EXPECT_STREQ(cui_sc->filename, "");

	std::string longname(300, 'f');
	longname[0] = '/';
	Args a{"kp7cui", "-l", "-t", "d", "-t", longname.c_str()};
	init(a);
	EXPECT_EQ(strlen(cui_sc->filename), 255u);
	EXPECT_EQ(std::string(cui_sc->filename), longname.substr(0, 255));
}

TEST(CuiInit, OperandsStartWhereTheOptionsEnd)
{
	Args get{"kp7cui", "-g", "-t", "c", "WLAN_SSID", "1"};
	init(get);
	EXPECT_EQ(cui_sc->n_arg, 4);
	EXPECT_EQ(cui_sc->flags, 0);
	init_list({"kp7cui", "-g", "-a", "-t", "d"});
	EXPECT_EQ(cui_sc->flags, CUI_F_ALL);
	EXPECT_EQ(cui_sc->n_arg, 5);
	init_list({"kp7cui", "-i", "STATUS", "0"});
	EXPECT_EQ(cui_sc->command, CUI_CMD_INFO);
	EXPECT_EQ(cui_sc->n_arg, 2);

	/* a value that looks like an option is still a value */
	Args set{"kp7cui", "-s", "-t", "c", "NTP_TIMEZONE", "0", "-9 1"};
	init(set);
	EXPECT_EQ(cui_sc->command, CUI_CMD_SET);
	ASSERT_EQ(cui_sc->n_arg, 4);
	EXPECT_STREQ(set.argv()[cui_sc->n_arg + 2], "-9 1");
	EXPECT_EQ(set.argc(), 7);
}

TEST(CuiInit, TextConfigOperations)
{
	init_list({"kp7cui", "-T", "-o", "s"});
	EXPECT_EQ(cui_sc->operation, CUI_OP_SAVE);
	EXPECT_EQ(cui_sc->n_arg, 4);
	init_list({"kp7cui", "-T", "-o", "x", "-o", "load"});
	EXPECT_EQ(cui_sc->operation, CUI_OP_LOAD);
	EXPECT_EQ(cui_sc->command, CUI_CMD_TEXT_CONF);
}

#define EXPECT_USAGE_EXIT(status, ...) \
	EXPECT_EXIT(init_list({"kp7cui", __VA_ARGS__}), ::testing::ExitedWithCode(status), \
		    "usage: kp7cui \\[-s\\] \\[-t c \\| d\\] name index value \\.\\.\\.\n")

TEST(CuiInitDeathTest, CommandLineErrors)
{
	/* more than one of a kind: 1 */
	EXPECT_USAGE_EXIT(1, "-s", "-g");
	EXPECT_USAGE_EXIT(1, "-f", "-f", "-t", "c");
	EXPECT_USAGE_EXIT(1, "-f", "-t", "c", "-t", "d");
	EXPECT_USAGE_EXIT(1, "-T", "-o", "s", "-o", "l");
	EXPECT_USAGE_EXIT(1, "-s", "-t", "c", "-t", "c", "-s", "N", "0");

	/* everything else: 2 */
	EXPECT_USAGE_EXIT(2, "-d", "3");
	EXPECT_USAGE_EXIT(2, "-g", "-t", "c", "-a", "NAME", "0");
	EXPECT_USAGE_EXIT(2, "-g", "-t", "c", "NAME");
	EXPECT_USAGE_EXIT(2, "-f", "-t", "c", "extra");
	EXPECT_USAGE_EXIT(2, "-f", "-t", "/tmp/x");
	EXPECT_USAGE_EXIT(2, "-s", "-t", "x", "NAME", "0", "v");
	EXPECT_USAGE_EXIT(2, "-s", "NAME", "0", "v");
	EXPECT_USAGE_EXIT(2, "-i", "NAME");
	EXPECT_USAGE_EXIT(2, "-i", "NAME", "0", "1");
	EXPECT_USAGE_EXIT(2, "-l", "-t", "c");
	EXPECT_USAGE_EXIT(2, "-l", "-t", "/tmp/settings.bin");
	EXPECT_USAGE_EXIT(2, "-T");
	EXPECT_USAGE_EXIT(2, "-T", "-o", "x");
	EXPECT_USAGE_EXIT(2, "-T", "-o", "s", "extra");
	EXPECT_USAGE_EXIT(2, "-w", "1", "-i", "N", "0");
	EXPECT_USAGE_EXIT(2, "-w", "-1", "-i", "N", "0");
	EXPECT_USAGE_EXIT(2, "-w", "abc", "-i", "N", "0");
	EXPECT_USAGE_EXIT(2, "-w", "4294967296", "-i", "N", "0");
	EXPECT_USAGE_EXIT(2, "-d", "7x", "-f", "-t", "c");
	EXPECT_USAGE_EXIT(2, "-d", "0x", "-f", "-t", "c");
	EXPECT_USAGE_EXIT(2, "-d", " ", "-f", "-t", "c");
	EXPECT_USAGE_EXIT(2, "-p", "x", "-i", "N", "0");
	EXPECT_USAGE_EXIT(2, "-x", "-f", "-t", "c");
	EXPECT_USAGE_EXIT(2, "-f", "-t");
}

TEST(CuiInitDeathTest, UsageIsTheSixFormsInOrder)
{
	EXPECT_EXIT(init_list({"./kp7cui"}), ::testing::ExitedWithCode(2),
		    "^usage: \\./kp7cui \\[-s\\] \\[-t c \\| d\\] name index value \\.\\.\\.\n"
		    "usage: \\./kp7cui \\[-f\\] \\[-t c \\| d\\]\n"
		    "usage: \\./kp7cui \\[-g\\] \\[-t c \\| d\\] \\[-a \\| name index\\]\n"
		    "usage: \\./kp7cui \\[-i\\] \\[-p ttyUSB port\\] name index\n"
		    "usage: \\./kp7cui \\[-l\\] \\[-t d \\| filename\\]\n"
		    "usage: \\./kp7cui \\[-T\\] \\[-o s \\| l\n$");
}

TEST(CuiStore, OnlyCurrentAndDefaultSetsExist)
{
	unsigned value = 0;
	EXPECT_EQ(CuiApmibGet(0, 1, &value), -1);
	EXPECT_EQ(CuiApmibGet(CUI_SET_FILE, 1, &value), -1);
	EXPECT_EQ(CuiApmibSet(0, 1, &value), -1);
	EXPECT_EQ(CuiApmibSet(CUI_SET_FILE, 1, &value), -1);
}
