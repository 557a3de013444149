/* Value checking and conversion: every kind at its edges, the checkers,
 * list adds and deletes against a real store and hosts file, messages,
 * codes and traces. */
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "check_util.h"
#include "cs.h"

using std::string;

TEST(CsCheck, ScalarKindsConvert)
{
	struct Case {
		const char *name;
		string value;
		Bytes want;
	};
	const string hex64 = repeat('a', 32) + repeat('F', 32);
	const Case cases[] = {
		/* numbers: the router's 32-bit strtoul(), no checks at all */
		{"WLAN_CHANNEL", "12abc", u32(12)},
		{"WLAN_CHANNEL", "abc", u32(0)},
		{"OP_MODE", "", u32(0)},
		{"OP_MODE", "-1", u32(0xffffffffu)},
		{"OP_MODE", "4294967295", u32(0xffffffffu)},
		{"OP_MODE", "4294967296", u32(0xffffffffu)},
		{"OP_MODE", "-4294967296", u32(0xffffffffu)},
		{"OP_MODE", "-4294967295", u32(1)},
		{"OP_MODE", "0x1F", u32(31)},
		{"OP_MODE", "010", u32(8)},
		{"OP_MODE", "08", u32(0)},
		{"OP_MODE", "  +7", u32(7)},
		{"PPP_IDLE_TIME", "5", u32(300)},
		{"PPP_IDLE_TIME", "-1", u32(0xffffffffu - 59)},
		{"PPP_IDLE_TIME", "71582789", u32(44)},	/* 4294967340 wraps */
		/* texts */
		{"WLAN_SSID", "", txt("")},
		{"WLAN_SSID", "my home \"net\" $x `y` \xc3\xa9", txt("my home \"net\" $x `y` \xc3\xa9")},
		{"PPP_PASSWORD", repeat('p', 128), txt(repeat('p', 128))},
		/* number texts: the text is kept, the number checked */
		{"USB3G_MTU_SIZE", "128", txt("128")},
		{"USB3G_MTU_SIZE", "1490", txt("1490")},
		{"USB3G_MTU_SIZE", "0x200", txt("0x200")},
		{"USB3G_CID", "", txt("")},
		{"USB3G_CONN_TYPE", "1", txt("1")},
		/* addresses */
		{"DNS1", "8.8.4.4", hx("08080404")},
		{"IP_ADDR", "255.255.255.255", hx("ffffffff")},
		/* keys: text, or 0x and the bytes in hex */
		{"WLAN_WEP64_KEY1", "ab de", txt("ab de")},
		{"WLAN_WEP64_KEY1", "0x0123456789", hx("0123456789")},
		{"WLAN_WEP64_KEY2", "0XABCDEFabcd", hx("abcdefabcd")},
		{"WLAN_WEP64_KEY3", "0x123", txt("0x123")},
		{"WLAN_WEP64_KEY4", "", txt("")},
		{"WLAN_WEP128_KEY1", "thirteen-char", txt("thirteen-char")},
		{"WLAN_WEP128_KEY4", "0x" + repeat('7', 26), Bytes(13, 0x77)},
		/* pass phrases: 0 to 63 characters, or 64 hex digits, kept as text */
		{"WLAN_WPA_PSK", "", txt("")},
		{"WLAN_WPA_PSK", repeat('z', 63), txt(repeat('z', 63))},
		{"WLAN_WSC_PSK", hex64, txt(hex64)},
		/* checkers */
		{"DHCP", "", u32(0)},
		{"DHCP", "2", u32(2)},
		{"USB3G_IDLE_TIME", "5", txt("300")},
		{"KP7_PING_MONITOR_INTERVAL", "45", txt("2700")},
		{"NTP_TIMEZONE", "0", txt("12 1")},
		{"NTP_TIMEZONE", "64", txt("-12 2")},
		{"NTP_TIMEZONE", "52", txt("-9 1")},
		{"WLAN_BAND", "0xb", u32(11)},
	};
	for (const Case &c : cases)
		expect_value(check(c.name, {c.value, "ignored"}), c.want, string(c.name) + " " + c.value);
}

TEST(CsCheck, ScalarKindsRefuse)
{
	struct Case {
		const char *name;
		string value;
		const char *msg;
	};
	const char *illegal = "ERROR 8: illegal value";
	const string bad_hex = repeat('a', 63) + "g";
	const Case cases[] = {
		{"WLAN_SSID", repeat('s', 33), illegal},
		{"HOST_NAME", repeat('h', 32), illegal},
		{"WLAN_SSID", "two\nlines", illegal},
		{"PPP_USER_NAME", "\n", illegal},
		{"USB3G_MTU_SIZE", "127", illegal},
		{"USB3G_MTU_SIZE", "1491", illegal},
		{"USB3G_MTU_SIZE", "1400x", illegal},
		{"USB3G_MTU_SIZE", " ", illegal},
		{"USB3G_CONN_TYPE", "2", illegal},
		{"USB3G_CONN_TYPE", "-1", illegal},
		{"USB3G_CID", "4294967311", illegal},	/* 2^32 + 15 must not wrap to 15 */
		{"USB3G_CID", "\n5", illegal},
		{"USB3G_CID", repeat(' ', 2000) + "5", illegal},
		{"DNS1", "10.0.0.256", illegal},
		{"DNS1", "10.0.0", illegal},
		{"DNS1", "", illegal},
		{"DNS1", "10.0.0.1 ", illegal},
		{"WLAN_WEP64_KEY1", "0x01234567", illegal},
		{"WLAN_WEP64_KEY1", "0x012345678g", illegal},
		{"WLAN_WEP64_KEY1", "abcd", illegal},
		{"WLAN_WEP64_KEY1", "abcdef", illegal},
		{"WLAN_WEP128_KEY2", "0x" + repeat('1', 24), illegal},
		{"WLAN_WEP128_KEY2", repeat('k', 14), illegal},
		{"WLAN_WPA_PSK", bad_hex, "ERROR 8: illegal hex value"},
		{"WLAN_WPA_PSK", repeat('a', 65), illegal},
		{"WLAN_WPA_PSK", "pass\nphrase", illegal},
		{"DHCP", "1", illegal},
		{"DHCP", " ", illegal},
		{"USB3G_IDLE_TIME", "7", illegal},
		{"NTP_TIMEZONE", "65", illegal},
		{"NTP_TIMEZONE", "-1", illegal},
		{"WLAN_BAND", "4294967297", illegal},	/* stands at INT32_MAX, not 1 */
	};
	for (const Case &c : cases) {
		Outcome o = check(c.name, {c.value});
		expect_refused(o, 8, c.msg, string(c.name) + " " + c.value);
	}

	for (const char *name : {"OP_MODE", "WLAN_SSID", "USB3G_CID", "DNS1", "WLAN_WEP64_KEY1", "WLAN_WPA_PSK", "DHCP"})
		expect_refused(check(name, {}), 8, "ERROR 8: shortarg of value", name);

	/* a kind the tables do not have */
	for (uint32_t kind : {0u, 4u, 15u, 128u, 512u}) {
		cs_comm_c2m_t rec = {};
		rec.kind = kind;
		Outcome o = check_rec(&rec, {"1"}, 0, 7);
		expect_refused(o, 6, "ERROR 6: illegal name", std::to_string(kind));
		EXPECT_EQ(o.trace, "");
	}
}

TEST(CsCheck, TextKindsAtTheEdgesOfEveryRecord)
{
	for (const cs_comm_c2m_t &r : CS_COMM_C2M) {
		uint32_t kind = r.kind;
		const string name = cs_text(r.name);
		if (kind == CUI_SET_TYPE_STR || kind == CUI_SET_TYPE_STR_PSK) {
			/* one more than a pass phrase may have is a hex key's length */
			size_t too_long = r.max + (kind == CUI_SET_TYPE_STR_PSK ? 2 : 1);
			expect_value(check(name.c_str(), {repeat('x', r.max)}), txt(repeat('x', r.max)), name);
			expect_refused(check(name.c_str(), {repeat('x', too_long)}), 8, "ERROR 8: illegal value", name);
		} else if (kind == CUI_SET_TYPE_STR_NUM) {
			for (uint32_t n : {r.min, r.max})
				expect_value(check(name.c_str(), {std::to_string(n)}), txt(std::to_string(n)), name);
			expect_refused(check(name.c_str(), {std::to_string(r.max + 1)}), 8, "ERROR 8: illegal value", name);
			if (r.min > 0)
				expect_refused(check(name.c_str(), {std::to_string(r.min - 1)}), 8, "ERROR 8: illegal value", name);
		} else if (kind == CUI_SET_TYPE_STR_HEX) {
			string hex_form = "0x" + repeat('5', r.hex_max - 2);
			expect_value(check(name.c_str(), {hex_form}), Bytes((r.hex_max - 2) / 2, 0x55), name);
			expect_value(check(name.c_str(), {repeat('t', r.max)}), txt(repeat('t', r.max)), name);
			expect_refused(check(name.c_str(), {"0x" + repeat('5', r.hex_max)}), 8, "ERROR 8: illegal value", name);
			expect_refused(check(name.c_str(), {repeat('t', r.max + 1)}), 8, "ERROR 8: illegal value", name);
		}
	}
}

TEST(CsCheck, MacFields)
{
	const cs_comm_c2m_t *mac = &CS_MACAC_TBL[0];
	expect_value(check_rec(mac, {"001122aabbCC"}), hx("001122aabbcc"), "mixed case");
	for (const char *bad : {"00:11:22:33:44:55", "001122aabbc", "001122aabbccd", "001122aabbcg", ""})
		expect_refused(check_rec(mac, {bad}), 8, "ERROR 8: illegal value", bad);
}

TEST(CsCheck, Checkers)
{
	struct Case {
		cs_checker_t *fn;
		std::vector<std::pair<const char *, Bytes>> accepted;
		std::vector<const char *> refused;
	};
	const Case cases[] = {
		{CsChkWlanBand, {{"1", u32(1)}, {"2", u32(2)}, {"3", u32(3)}, {"8", u32(8)}, {"10", u32(10)}, {"11", u32(11)}},
		 {"0", "4", "9", "12", "1x", "4294967297"}},
		{CsChkWLanFixRate, {{"0", u32(0)}, {"134217728", u32(134217728)}, {"0x8000000", u32(1u << 27)}},
		 {"134217729", "-1", "4294967296", "x"}},
		{CsChkWlanEncrypt, {{"0", u32(0)}, {"1", u32(1)}, {"2", u32(2)}, {"4", u32(4)}, {"6", u32(6)}},
		 {"3", "5", "7", "-0x1"}},
		{CsChkDhcp, {{"0", u32(0)}, {"", u32(0)}, {"2", u32(2)}}, {"1", "3", "2 "}},
		{CsChkWanDhcp, {{"0", u32(0)}, {"1", u32(1)}, {"3", u32(3)}, {"020", u32(16)}}, {"2", "15", "17"}},
		/* the dump's unsigned form of a negative number is that number */
		{CsChkUsb3gCarrierSelect,
		 {{"123", u32(123)}, {"-1", u32(0xffffffffu)}, {"", u32(0)}, {"99999999999", u32(0x7fffffff)},
		  {"-5", u32(0xfffffffbu)}, {"4294967291", u32(0xfffffffbu)}, {"2147483648", u32(0x80000000u)},
		  {"0xffffffff", u32(0xffffffffu)}, {"4294967296", u32(0x7fffffff)}, {"-2147483649", u32(0x80000000u)}},
		 {"x", "1 "}},
		{CsChkUsb3gIdleTime,
		 {{"1", txt("60")}, {"5", txt("300")}, {"10", txt("600")}, {"30", txt("1800")}, {"60", txt("3600")}},
		 {"0", "2", "61", "-5"}},
		{CsChkKp7PingMonInterval,
		 {{"1", txt("60")}, {"5", txt("300")}, {"15", txt("900")}, {"30", txt("1800")}, {"45", txt("2700")}, {"60", txt("3600")}},
		 {"10", "0", "61"}},
		{CsChkTimeZone, {{"0", txt("12 1")}, {"23", txt("-1 1")}, {"64", txt("-12 2")}}, {"-1", "65", "1.5"}},
		{CsChkScrlogEnabled, {{"0", u32(0)}, {"3", u32(3)}}, {"1", "2", "4"}},
		{CsChkQosRuleMode, {{"5", u32(5)}, {"6", u32(6)}, {"9", u32(9)}, {"10", u32(10)}}, {"4", "7", "8", "11"}},
	};
	for (const Case &c : cases) {
		for (const auto &a : c.accepted) {
			uint8_t out[32];
			memset(out, 0, sizeof(out));
			ASSERT_EQ(c.fn(a.first, out), 0) << a.first;
			Bytes want = a.second;
			if (want.size() != 4)	/* texts carry their NUL */
				want.push_back(0);
			EXPECT_EQ(Bytes(out, out + want.size()), want) << a.first;
		}
		for (const char *r : c.refused) {
			uint8_t out[32];
			memset(out, 0xaa, sizeof(out));
			EXPECT_EQ(c.fn(r, out), -1) << r;
			EXPECT_EQ(Bytes(out, out + sizeof(out)), Bytes(sizeof(out), 0xaa)) << r << ": written";
		}
	}

	for (int zone = 0; zone < CS_TIMEZONE_COUNT; zone++)
		EXPECT_EQ(CsChkTimeZoneFromVal(CS_TIMEZONEVAL[zone].value), zone);
	EXPECT_EQ(CsChkTimeZoneFromVal("-9 1"), 52);
	for (const char *v : {"-9  1", "-9 1 ", " -9 1", "", "-13 1", "52"})
		EXPECT_EQ(CsChkTimeZoneFromVal(v), -1) << v;
	EXPECT_EQ(CsChkTimeZoneFromVal(nullptr), -1);
}

TEST(CsCheck, TracesAtLevelSeven)
{
	struct Case {
		const char *name;
		std::vector<string> values;
		const char *trace;
	};
	const Case cases[] = {
		{"OP_MODE", {"1"}, "OP_MODE(192) CUI_SET_TYPE_NUM: \n"},
		{"OP_MODE", {}, "OP_MODE(192) CUI_SET_TYPE_NUM: "},
		{"WLAN_SSID", {"home"}, "WLAN_SSID(1) CUI_SET_TYPE_STR: \n"},
		{"WLAN_WPA_PSK", {"x"}, "WLAN_WPA_PSK(30) CUI_SET_TYPE_STR: \n"},
		{"WLAN_SSID", {repeat('s', 33)}, "WLAN_SSID(1) CUI_SET_TYPE_STR: invaid value length(33:0-32).\n"},
		{"WLAN_WPA_PSK", {repeat('a', 62) + "gg"}, "WLAN_WPA_PSK(30) CUI_SET_TYPE_STR:  hex_count 62\ninvaid hex value."},
		{"USB3G_MTU_SIZE", {"127"}, "USB3G_MTU_SIZE(1407) CUI_SET_TYPE_STR_NUM: invaid value length(127:128-1490).\n"},
		{"USB3G_CID", {"7"}, "USB3G_CID(680) CUI_SET_TYPE_STR_NUM: \n"},
		{"DNS1", {"10.0.0.256"}, "DNS1(176) CUI_SET_TYPE_IPA: invalid ip address(10.0.0.256).\n"},
		{"WLAN_WEP64_KEY1", {"0x01234567"}, "WLAN_WEP64_KEY1(4) CUI_SET_TYPE_STR_HEX: invaid value length(10:5-5).\n"},
		{"NTP_TIMEZONE", {"52"},
		 "NTP_TIMEZONE(153) CUI_SET_TYPE_OTHER: CsChkTimeZone idx 52 val -9 1 (GMT+09:00)Osaka, Sapporo, Tokyo\n\n"},
		{"DHCP", {"1"}, "DHCP(173) CUI_SET_TYPE_OTHER: "},
		{"PORTFW_DELALL", {}, "PORTFW_DELALL(262259) CUI_SET_TYPE_TBL_PFW: "},
	};
	for (const Case &c : cases) {
		EXPECT_EQ(check(c.name, c.values, 0, 7).trace, c.trace) << c.name;
		EXPECT_EQ(check(c.name, c.values, 0, 6).trace, "") << c.name;
	}
	EXPECT_EQ(check_rec(&CS_MACAC_TBL[0], {"00:11:22:33:44:55"}, 0, 7).trace,
		  "(0) CUI_SET_TYPE_MAC: invalid mac address(00:11:22:33:44:55).\n");
}
