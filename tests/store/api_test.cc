/* The store's calling conventions, through apmib.h only. */
#include <arpa/inet.h>
#include <string.h>

#include <gtest/gtest.h>

#include "apmib.h"
#include "roots.h"
#include "mibtab.h"

namespace {

unsigned get_u32(int id, bool def = false)
{
	unsigned v = 0xdeadbeef;
	EXPECT_NE(0, def ? apmib_getDef(id, &v) : apmib_get(id, &v)) << id;
	return v;
}

bool set_u32(int id, unsigned v, bool def = false)
{
	return def ? apmib_setDef(id, &v) : apmib_set(id, &v);
}

struct ListSpec {
	int count, read, add, del, delall, size, cap, type;
};
/* the list numbers and layouts the command tool is built against */
constexpr ListSpec kLists[] = {
	{53, 0x8036, 0x10037, 0x20038, 0x40039, 27, 10, WLAC_ARRAY_T},
	{293, 0x8126, 0x10127, 0x20128, 0x40129, 42, 20, DHCPRSVDIP_ARRY_T},
	{217, 0x80DA, 0x100DB, 0x200DC, 0x400DD, 14, 10, STATICROUTE_ARRAY_T},
	{129, 0x8082, 0x10083, 0x20084, 0x40085, 26, 20, PORTFILTER_ARRAY_T},
	{111, 0x8070, 0x10071, 0x20072, 0x40073, 32, 20, PORTFW_ARRAY_T},
	{310, 0x8137, 0x10138, 0x20139, 0x4013A, 40, 10, QOS_ARRAY_T},
};

}  // namespace

TEST(StoreApi, ScalarsKeepTheirWidthAndBufferForms)
{
	TempRoot root;
	EXPECT_TRUE(in_root(root, [] {
		EXPECT_TRUE(set_u32(192, 0x1234));  /* OP_MODE, a byte */
		EXPECT_EQ(0x34u, get_u32(192));
		EXPECT_TRUE(set_u32(16080, 70000)); /* WEB_PORT, a word */
		EXPECT_EQ(4464u, get_u32(16080));
		EXPECT_TRUE(set_u32(945, 0xfffffffe)); /* DHCP_LEASE_TIME, a dword */
		EXPECT_EQ(0xfffffffeu, get_u32(945));

		unsigned char ip[4];
		inet_pton(AF_INET, "10.1.2.3", ip);
		EXPECT_TRUE(apmib_set(170, ip));
		unsigned char back[4] = {0};
		EXPECT_TRUE(apmib_get(170, back));
		EXPECT_EQ(0, memcmp(ip, back, 4));

		char name[129] = "user with blanks \"and quotes\"";
		EXPECT_TRUE(apmib_set(106, name));
		char got[129];
		memset(got, 'x', sizeof(got));
		EXPECT_TRUE(apmib_get(106, got));
		EXPECT_STREQ(name, got);
		char toolong[40];
		memset(toolong, 'a', sizeof(toolong)); /* no terminator within 31 bytes */
		EXPECT_FALSE(apmib_set(198, toolong));

		const unsigned char key[13] = {0, 1, 2, 0xfe, 0xff, 5, 6, 7, 8, 9, 10, 11, 12};
		EXPECT_TRUE(apmib_set(9, (void *)key));
		unsigned char k2[13] = {0};
		EXPECT_TRUE(apmib_get(9, k2));
		EXPECT_EQ(0, memcmp(key, k2, 13));
	}));
}

TEST(StoreApi, PerNetworkValuesAndSelectors)
{
	TempRoot root;
	EXPECT_TRUE(in_root(root, [] {
		char a[33] = "office", b[33] = "guest", got[33];
		vwlan_idx = 0;
		EXPECT_TRUE(apmib_set(1, a));
		vwlan_idx = 1;
		EXPECT_TRUE(apmib_set(1, b));
		EXPECT_TRUE(apmib_get(1, got));
		EXPECT_STREQ("guest", got);
		vwlan_idx = 0;
		EXPECT_TRUE(apmib_get(1, got));
		EXPECT_STREQ("office", got);
		vwlan_idx = 2;
		EXPECT_FALSE(apmib_get(1, got));
		EXPECT_FALSE(apmib_set(1, a));
		/* plain parameters do not look at the selector */
		EXPECT_TRUE(set_u32(2, 6));
		EXPECT_EQ(6u, get_u32(2));
		vwlan_idx = 0;
		wlan_idx = 1;
		EXPECT_FALSE(apmib_get(1, got));
		wlan_idx = 0;
	}));
}

TEST(StoreApi, CurrentAndDefaultSetsAreSeparate)
{
	TempRoot root;
	EXPECT_TRUE(in_root(root, [] {
		/* without any store both sets are the factory set */
		unsigned char cur[4], def[4];
		EXPECT_TRUE(apmib_get(170, cur));
		EXPECT_TRUE(apmib_getDef(170, def));
		EXPECT_EQ(0, memcmp(cur, def, 4));
		EXPECT_TRUE(set_u32(173, 0, true));
		EXPECT_EQ(0u, get_u32(173, true));
		EXPECT_EQ(2u, get_u32(173)); /* DHCP server on in the current set */
	}));
}

TEST(StoreApi, ReadingWritesNothing)
{
	TempRoot root;
	EXPECT_TRUE(in_root(root, [] {
		char buf[1024];
		for (size_t i = 0; i < MIB_PARAM_COUNT; i++)
			apmib_get(MIB_PARAMS[i].id, buf);
		get_u32(655);
	}));
	EXPECT_FALSE(exists(root / "var/apmib"));
	EXPECT_FALSE(exists(root / "flash"));
}

TEST(StoreApi, ListsAddReadDeleteAndFill)
{
	TempRoot root;
	EXPECT_TRUE(in_root(root, [] {
		for (const ListSpec &l : kLists) {
			unsigned char e[64];
			EXPECT_EQ(0u, get_u32(l.count));
			for (int n = 1; n <= l.cap; n++) {
				memset(e, 0, sizeof(e));
				e[0] = 0xa0;
				e[l.size - 1] = (unsigned char)n;
				EXPECT_TRUE(apmib_set(l.add, e)) << l.read << " entry " << n;
			}
			e[l.size - 1] = 0x77;
			EXPECT_FALSE(apmib_set(l.add, e)) << "list " << l.read << " past its capacity";
			EXPECT_EQ((unsigned)l.cap, get_u32(l.count));

			memset(e, 0, sizeof(e));
			EXPECT_FALSE(apmib_get(l.read, e)); /* entry 0 */
			e[0] = (unsigned char)(l.cap + 1);
			EXPECT_FALSE(apmib_get(l.read, e));
			memset(e, 0, sizeof(e));
			e[0] = 3;
			EXPECT_TRUE(apmib_get(l.read, e));
			EXPECT_EQ(3, e[l.size - 1]);
			EXPECT_EQ(0xa0, e[0]);

			EXPECT_TRUE(apmib_set(l.del, e)); /* delete the entry read back */
			EXPECT_FALSE(apmib_set(l.del, e));
			EXPECT_EQ((unsigned)l.cap - 1, get_u32(l.count));
			memset(e, 0, sizeof(e));
			e[0] = 3;
			EXPECT_TRUE(apmib_get(l.read, e));
			EXPECT_EQ(4, e[l.size - 1]) << "later entries move up";

			EXPECT_TRUE(apmib_set(l.delall, nullptr));
			EXPECT_EQ(0u, get_u32(l.count));
		}
	}));
}

TEST(StoreApi, ListEntriesKeepTheirBytes)
{
	TempRoot root;
	/* a port-forward entry: address, ports big-endian, protocol, comment */
	const unsigned char entry[32] = {192, 168, 0, 10, 0x1f, 0x90, 0x00, 0x50, 1, 0x11, 0x70, 'w', 'e', 'b'};
	EXPECT_TRUE(in_root(root, [&] {
		EXPECT_TRUE(apmib_set(0x10071, (void *)entry));
		EXPECT_TRUE(apmib_update(CURRENT_SETTING));
	}));
	remove_tree(root / "var/apmib");
	EXPECT_TRUE(in_root(root, [&] {
		unsigned char e[32] = {1};
		EXPECT_TRUE(apmib_get(0x8070, e));
		EXPECT_EQ(0, memcmp(entry, e, 32));
	}));
}

TEST(StoreApi, TypesAndUnknownNumbers)
{
	TempRoot root;
	EXPECT_TRUE(in_root(root, [] {
		int type = -1, size = -1;
		for (const ListSpec &l : kLists) {
			for (int id : {l.read, l.add, l.del, l.delall}) {
				EXPECT_EQ(0, get_mibtype(id, &type, &size)) << id;
				EXPECT_EQ(l.type, type);
				EXPECT_EQ(l.size, size);
			}
			EXPECT_EQ(0, get_mibtype(l.count, &type, &size));
			EXPECT_TRUE(type == BYTE_T || type == WORD_T);
		}
		struct {
			int id, type, size;
		} scalars[] = {{1, STRING_T, 33}, {30, STRING_T, 65}, {106, STRING_T, 129},
			       {680, STRING_T, 16}, {153, STRING_T, 8}, {4, BYTE5_T, 5},
			       {8, BYTE13_T, 13}, {170, IA_T, 4}, {16080, WORD_T, 2},
			       {22, BYTE_T, 1}, {104, BYTE_T, 1}, {655, DWORD_T, 4}};
		for (auto &s : scalars) {
			EXPECT_EQ(0, get_mibtype(s.id, &type, &size)) << s.id;
			EXPECT_EQ(s.type, type) << s.id;
			EXPECT_EQ(s.size, size) << s.id;
		}
		for (int id : {193, 60, 69, 559, 16300, 16301, 16302, 16303, 16304})
			EXPECT_EQ(0, get_mibtype(id, &type, &size)) << id;
		unsigned v = 0;
		for (int id : {0, 99999, 0x8000, 0x10000, 54 + 0x20000}) {
			EXPECT_EQ(-1, get_mibtype(id, &type, &size)) << id;
			EXPECT_FALSE(apmib_get(id, &v)) << id;
			EXPECT_FALSE(apmib_set(id, &v)) << id;
		}
		EXPECT_FALSE(set_u32(655, 3)) << "the layout version is read only";
		EXPECT_FALSE(set_u32(53, 3)) << "a list count is not set directly";
	}));
}

TEST(StoreApi, LayoutVersionFromTheRoot)
{
	TempRoot root;
	const unsigned compiled = MIB_LAYOUT_VERSION;
	EXPECT_TRUE(in_root(root, [&] { EXPECT_EQ(compiled, get_u32(655)); }));
	mkdir((root / "etc").c_str(), 0755);
	write_all(root / "etc/mib_version", {'1', '2', '3', '\n'});
	EXPECT_TRUE(in_root(root, [] {
		EXPECT_EQ(123u, get_u32(655));
		EXPECT_TRUE(set_u32(192, 1));
	}));
	std::vector<unsigned char> f = read_all(root / "var/apmib/cur.mib");
	ASSERT_GE(f.size(), 16u);
	EXPECT_EQ(123u, (unsigned)(f[8] << 24 | f[9] << 16 | f[10] << 8 | f[11]));
	write_all(root / "etc/mib_version", {'x'});
	EXPECT_TRUE(in_root(root, [&] {
		EXPECT_EQ(compiled, get_u32(655)) << "a malformed override is ignored";
		EXPECT_EQ(1u, get_u32(192)) << "a file of another layout version still loads";
	}));
}

TEST(StoreApi, HardwareSetGoesStraightToFlash)
{
	TempRoot root;
	EXPECT_TRUE(in_root(root, [] { EXPECT_TRUE(set_u32(16404, 9)); }));
	EXPECT_TRUE(exists(root / "flash/apmib/hw.mib"));
	EXPECT_FALSE(exists(root / "var/apmib/hw.mib"));
	remove_tree(root / "var/apmib");
	EXPECT_TRUE(in_root(root, [] {
		EXPECT_EQ(9u, get_u32(16404));
		EXPECT_EQ(9u, get_u32(16404, true));
	}));
}
