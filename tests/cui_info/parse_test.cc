/* The parsers of the routing table and of the modem's answers. */
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "ci.h"

namespace {

FILE *text(const std::string &s)
{
	return fmemopen((void *)s.data(), s.size(), "r");
}

}  // namespace

TEST(Route, FirstUpGatewayRouteOfTheInterface)
{
	const std::string routes =
		"Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
		"eth1\t00000000\t01020304\t0001\t0\t0\t0\t00000000\t0\t0\t0\n"   /* not a gateway route */
		"eth1\t00000000\t05060708\t0002\t0\t0\t0\t00000000\t0\t0\t0\n"   /* not up */
		"eth10\t00000000\t090A0B0C\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"  /* another interface */
		"eth1\t00000000\t0D0E0F10\t0003\t0\t0\t0\n"                      /* too few fields */
		"eth1\t00000000\tC0A80001\t0007\t0\t0\t0\t00000000\t0\t0\n"     /* ten fields: enough */
		"eth1\t00000000\tC0A800FE\t0003\t0\t0\t0\t00000000\t0\t0\t0\n";
	uint32_t gw = 0;
	auto gateway = [&](const char *iface) {
		FILE *f = text(routes);
		bool found = ci_route_gateway(f, iface, &gw);
		fclose(f);
		return found;
	};
	EXPECT_TRUE(gateway("eth1"));
	EXPECT_EQ(gw, 0xC0A80001u);
	EXPECT_TRUE(gateway("eth10"));
	EXPECT_EQ(gw, 0x090A0B0Cu);
	EXPECT_FALSE(gateway("Iface")) << "the header is no route";
}

TEST(ModemAnswer, FirstWordAfterThePrefix)
{
	char w[8];
	EXPECT_TRUE(ci_answer_word("+CSQ: 18,99\r\n", "+CSQ:", w, sizeof(w)));
	EXPECT_STREQ(w, "18");
	EXPECT_TRUE(ci_answer_word("+CNUM: \"\",\"+8190\",145\r\n", "+CNUM:", w, sizeof(w)));
	EXPECT_STREQ(w, "+8190");
	EXPECT_TRUE(ci_answer_word("echo+CSQ:\t:7", "+CSQ:", w, sizeof(w)));
	EXPECT_STREQ(w, "7");
	EXPECT_TRUE(ci_answer_word("+CSQ: 123456789012", "+CSQ:", w, sizeof(w)));
	EXPECT_STREQ(w, "1234567") << "cut to the caller's buffer";
	strcpy(w, "stale");
	EXPECT_FALSE(ci_answer_word("+CSQ: ,,\r\n", "+CSQ:", w, sizeof(w)));
	EXPECT_FALSE(ci_answer_word("OK\r\n", "+CSQ:", w, sizeof(w)));
	EXPECT_FALSE(ci_answer_word("+CSQ", "+CSQ:", w, sizeof(w)));
	EXPECT_STREQ(w, "stale") << "no answer leaves the word alone";
}

TEST(ModemAnswer, SignalLevels)
{
	struct {
		const char *word;
		int level;
	} ok[] = {
		{"0", 0},  {"1", 0},  {"2", 1},    {"6", 1},   {"7", 2},    {"14", 2},  {"15", 3},
		{"22", 3}, {"23", 4}, {"31", 4},   {"32", 0},  {"99", 0},   {"-4", 0},  {"0x10", 3},
		{"010", 2}, {"99999999999999999999", 0},
	};
	for (const auto &c : ok) {
		int level = -1;
		EXPECT_TRUE(ci_quality_level(c.word, &level)) << c.word;
		EXPECT_EQ(level, c.level) << c.word;
	}
	int level = -1;
	for (const char *bad : {"1a", "", "x", "18 ", "08"})
		EXPECT_FALSE(ci_quality_level(bad, &level)) << bad;
	EXPECT_EQ(level, -1);
}
