/* Sets in memory: factory values, lookups, file round trips, list edits. */
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <random>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "apmib.h"
#include "be.h"
#include "roots.h"
#include "mibset.h"
#include "mibval.h"

namespace {

constexpr int kKinds[] = {HW_SETTING, DEFAULT_SETTING, CURRENT_SETTING};

bool stored(const MibRec &r, int kind)
{
	return mib_in_set(&r, kind) && !(r.flags & MIB_F_RO);
}

/* What mib_lookup must answer, found the slow way. */
MibRef lookup_by_scan(int id)
{
	static constexpr MibRole ROLES[] = {MIB_READ, MIB_COUNT, MIB_ADD, MIB_DEL, MIB_DELALL};
	for (const MibRec &r : MIB_PARAMS) {
		if (!(r.flags & MIB_F_LIST)) {
			if (r.id == id)
				return {&r, MIB_VALUE};
			continue;
		}
		for (MibRole role : ROLES)
			if (mib_list_cmd_id(&r, role) == id)
				return {&r, role};
	}
	return {nullptr, MIB_VALUE};
}

std::vector<uint8_t> file_of(const MibSet &set)
{
	std::vector<uint8_t> out;
	mibset_serialize(set, MIB_LAYOUT_VERSION, out);
	return out;
}

/* A settings file of `kind` from hand-made records. */
std::vector<uint8_t> make_file(int kind, const std::vector<uint8_t> &records)
{
	std::vector<uint8_t> f(16);
	memcpy(f.data(), "KP7M", 4);
	put_be16(&f[4], 1);
	f[6] = (uint8_t)kind;
	put_be32(&f[8], 3);
	put_be32(&f[12], (uint32_t)records.size());
	f.insert(f.end(), records.begin(), records.end());
	uint8_t crc[4];
	put_be32(crc, mib_crc32(f.data(), f.size()));
	f.insert(f.end(), crc, crc + 4);
	return f;
}

void add_record(std::vector<uint8_t> &out, int id, int net, const std::vector<uint8_t> &value)
{
	uint8_t head[7];
	put_be32(head, (uint32_t)id);
	head[4] = (uint8_t)net;
	put_be16(head + 5, (uint16_t)value.size());
	out.insert(out.end(), head, head + 7);
	out.insert(out.end(), value.begin(), value.end());
}

}  // namespace

TEST(StoreSet, FactoryValuesAreTheTableText)
{
	for (int kind : kKinds) {
		MibSet set;
		memset(&set, 0xa5, sizeof(set)); /* nothing may survive from before */
		mibset_factory(set, kind);
		for (const MibRec &r : MIB_PARAMS) {
			if (!stored(r, kind))
				continue;
			if (r.flags & MIB_F_LIST) {
				EXPECT_EQ(0u, set.at(&r, 0).size) << r.name;
				continue;
			}
			for (int net = 0; net < (r.flags & MIB_F_WLAN ? 2 : 1); net++) {
				const char *text = net && r.def1 ? r.def1 : r.def;
				unsigned char want[MIB_API_MAX] = {0}, got[MIB_API_MAX] = {0};
				ASSERT_EQ(0, mib_text_to_api(&r, text, want)) << r.name;
				mib_slot_to_api(&r, set.at(&r, net), got);
				EXPECT_EQ(0, memcmp(want, got, r.size < 4 ? 4 : r.size)) << r.name << " net " << net;
			}
		}
		/* the same settings, the same bytes: sets compare whole */
		MibSet again;
		mibset_factory(again, kind);
		EXPECT_EQ(0, memcmp(set.bytes, again.bytes, sizeof(set.bytes))) << kind;
	}
}

TEST(StoreSet, LookupFindsEveryNumberAndNothingElse)
{
	std::set<int> ids = {0, -1, 1 << 21, 0x7fffffff, MIB_TABLE_READ, MIB_TABLE_DELALL};
	for (const MibRec &r : MIB_PARAMS) {
		for (MibRole role : {MIB_VALUE, MIB_COUNT, MIB_ADD, MIB_DEL, MIB_DELALL}) {
			int id = mib_list_cmd_id(&r, role);
			for (int d = -1; d <= 1; d++)
				ids.insert(id + d);
			ids.insert(id ^ MIB_TABLE_READ);
		}
	}
	std::mt19937 rng(11);
	for (int i = 0; i < 2000; i++)
		ids.insert((int)(rng() % 0x50000));
	for (int id : ids) {
		MibRef want = lookup_by_scan(id), got = mib_lookup(id);
		EXPECT_EQ(want.rec, got.rec) << id;
		if (want.rec) {
			EXPECT_EQ(want.role, got.role) << id;
		}
	}
}

TEST(StoreSet, FilesLoadAndSaveToTheSameBytes)
{
	TempRoot root;
	EXPECT_TRUE(in_root(root, [] {
		char ssid[33] = "guest net";
		unsigned v = 3600;
		unsigned char entry[32] = {1, 2, 3};
		vwlan_idx = 1;
		ASSERT_TRUE(apmib_set(1, ssid));
		vwlan_idx = 0;
		ASSERT_TRUE(apmib_set(945, &v));
		ASSERT_TRUE(apmib_set(0x10071, entry)); /* PORTFW_TBL */
		unsigned char mac[6] = {2, 0, 0, 0, 0, 9};
		ASSERT_TRUE(apmib_set(16401, mac));
	}));
	for (const char *name : {"var/apmib/cur.mib", "flash/apmib/hw.mib"}) {
		std::vector<uint8_t> f = read_all(root / name);
		MibSet set;
		ASSERT_EQ(0, mibset_parse(f.data(), f.size(), set, nullptr)) << name;
		EXPECT_EQ(f, file_of(set)) << name;
		MibSet copy = set; /* a plain copy is a whole set */
		EXPECT_EQ(f, file_of(copy)) << name;
	}

	/* records in another order, narrow numbers, short strings, unknown
	 * numbers and values that no longer fit: the canonical file comes back */
	std::vector<uint8_t> recs;
	add_record(recs, 99999, 0, {1, 2, 3});               /* unknown */
	add_record(recs, 945, 0, {0x01, 0x02});              /* dword from a word */
	add_record(recs, 1, 1, {'a', 'b'});                  /* SSID, network 1 */
	add_record(recs, 192, 0, {0, 0, 0, 7});              /* byte from a dword */
	add_record(recs, 170, 0, {10, 0, 0});                /* address too short */
	add_record(recs, 0x8070, 0, std::vector<uint8_t>(64, 0x5a)); /* two entries */
	add_record(recs, 0x8036, 0, std::vector<uint8_t>(28, 1)); /* not whole entries */
	add_record(recs, 16400, 0, {9});                     /* hardware, in the wrong set */
	std::vector<uint8_t> f = make_file(CURRENT_SETTING, recs);
	MibSet set, want;
	ASSERT_EQ(0, mibset_parse(f.data(), f.size(), set, nullptr));
	mibset_factory(want, CURRENT_SETTING);
	const MibRec *dword = mib_lookup(945).rec, *ssid = mib_lookup(1).rec, *byte = mib_lookup(192).rec;
	const MibRec *fw = mib_lookup(0x8070).rec;
	unsigned v = 0x0102;
	mib_slot_from_api(dword, &v, want.value(dword, 0));
	char ab[33] = "ab";
	mib_slot_from_api(ssid, ab, want.value(ssid, 1));
	v = 7;
	mib_slot_from_api(byte, &v, want.value(byte, 0));
	memset(want.value(fw, 0), 0x5a, 64);
	want.count(fw) = 2;
	EXPECT_EQ(0, memcmp(want.bytes, set.bytes, sizeof(set.bytes)));
	std::vector<uint8_t> saved = file_of(set);
	MibSet back;
	ASSERT_EQ(0, mibset_parse(saved.data(), saved.size(), back, nullptr));
	EXPECT_EQ(saved, file_of(back));
}

TEST(StoreSet, ListEditsLeaveTheSameSetAsDirectAdds)
{
	/* add a, b, c and delete b; add a and c only: the same set */
	const MibRec *tbl = mib_lookup(0x8126).rec; /* DHCPRSVDIP_TBL */
	unsigned char a[42] = {1, 1}, b[42] = {2, 2}, c[42] = {3, 3};
	MibSet edited, direct, factory;
	mibset_factory(edited, CURRENT_SETTING);
	mibset_factory(direct, CURRENT_SETTING);
	mibset_factory(factory, CURRENT_SETTING);
	ASSERT_TRUE(mibset_list_add(edited, tbl, a) && mibset_list_add(edited, tbl, b) &&
		    mibset_list_add(edited, tbl, c));
	ASSERT_TRUE(mibset_list_del(edited, tbl, b));
	EXPECT_FALSE(mibset_list_del(edited, tbl, b)) << "deleted once only";
	ASSERT_TRUE(mibset_list_add(direct, tbl, a) && mibset_list_add(direct, tbl, c));
	EXPECT_EQ(0, memcmp(direct.bytes, edited.bytes, sizeof(edited.bytes)));
	ASSERT_TRUE(mibset_list_del(edited, tbl, a) && mibset_list_add(edited, tbl, b));
	mibset_list_clear(edited, tbl);
	EXPECT_EQ(0, memcmp(factory.bytes, edited.bytes, sizeof(edited.bytes)));
	/* full at capacity, and nothing spills into the next record */
	for (int i = 0; i < tbl->cap; i++)
		ASSERT_TRUE(mibset_list_add(edited, tbl, c)) << i;
	EXPECT_FALSE(mibset_list_add(edited, tbl, c));
	EXPECT_EQ(0, memcmp(factory.bytes + MIB_LAYOUT.off[mib_index(tbl) + 1],
			    edited.bytes + MIB_LAYOUT.off[mib_index(tbl) + 1],
			    sizeof(edited.bytes) - MIB_LAYOUT.off[mib_index(tbl) + 1]));

	/* the same through the store: the same file */
	TempRoot r1, r2;
	EXPECT_TRUE(in_root(r1, [&] {
		ASSERT_TRUE(apmib_set(0x10127, a) && apmib_set(0x10127, b) && apmib_set(0x10127, c));
		ASSERT_TRUE(apmib_set(0x20128, b));
	}));
	EXPECT_TRUE(in_root(r2, [&] { ASSERT_TRUE(apmib_set(0x10127, a) && apmib_set(0x10127, c)); }));
	EXPECT_EQ(read_all(r2 / "var/apmib/cur.mib"), read_all(r1 / "var/apmib/cur.mib"));
}

TEST(StoreSet, ReaderFollowsWorkingCopyThenFlash)
{
	TempRoot root;
	EXPECT_TRUE(in_root(root, [&] {
		unsigned v = 1, got = 0;
		ASSERT_TRUE(apmib_set(945, &v));
		ASSERT_TRUE(apmib_update(CURRENT_SETTING));
		std::vector<uint8_t> flash1 = read_all(root / "flash/apmib/cur.mib");
		v = 2;
		ASSERT_TRUE(apmib_set(945, &v));
		ASSERT_TRUE(apmib_update(CURRENT_SETTING));
		v = 3;
		ASSERT_TRUE(apmib_set(945, &v));
		ASSERT_TRUE(apmib_get(945, &got));
		EXPECT_EQ(3u, got);
		/* someone else puts another flash copy in place: the working
		 * copy still rules, until it goes */
		write_all(root / "flash/apmib/cur.mib.new", flash1);
		ASSERT_EQ(0, rename((root / "flash/apmib/cur.mib.new").c_str(),
				    (root / "flash/apmib/cur.mib").c_str()));
		ASSERT_TRUE(apmib_get(945, &got));
		EXPECT_EQ(3u, got);
		ASSERT_EQ(0, unlink((root / "var/apmib/cur.mib").c_str()));
		ASSERT_TRUE(apmib_get(945, &got));
		EXPECT_EQ(1u, got);
	}));
}
