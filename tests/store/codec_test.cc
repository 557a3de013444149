/* Compressed blocks and configuration sections. */
#include <string.h>

#include <algorithm>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "apmib.h"
#include "be.h"
#include "cfgsect.h"
#include "roots.h"
#include "lzss.h"
#include "mibset.h"
#include "mibstore.h"

namespace {

std::vector<uint8_t> random_block(std::mt19937 &rng, size_t n, unsigned alphabet)
{
	std::vector<uint8_t> v(n);
	for (auto &b : v)
		b = (uint8_t)(rng() % alphabet);
	return v;
}

std::vector<uint8_t> factory_file(int kind)
{
	MibSet set;
	mibset_factory(set, kind);
	std::vector<uint8_t> out;
	mibset_serialize(set, 7, out);
	return out;
}

/* A section around any decoded block, checks and all left to the caller. */
std::vector<uint8_t> raw_section(const char *sig, const std::vector<uint8_t> &block)
{
	std::vector<uint8_t> comp, sec(12);
	mib_encode(block.data(), block.size(), comp);
	memcpy(sec.data(), sig, 6);
	put_be16(&sec[6], (uint16_t)(block.size() / comp.size() + 1));
	put_be32(&sec[8], (uint32_t)comp.size());
	sec.insert(sec.end(), comp.begin(), comp.end());
	return sec;
}

std::vector<uint8_t> config_block(const char *tag, const std::vector<uint8_t> &file, int fix)
{
	std::vector<uint8_t> b(6 + file.size());
	memcpy(b.data(), tag, 2);
	memcpy(&b[2], "07", 2);
	put_be16(&b[4], (uint16_t)(file.size() + 1));
	if (!file.empty())
		memcpy(&b[6], file.data(), file.size());
	unsigned sum = 0;
	for (uint8_t c : file)
		sum += c;
	b.push_back((uint8_t)(-sum + fix));
	return b;
}

}  // namespace

TEST(StoreCodec, RoundTrips)
{
	std::mt19937 rng(99);
	std::vector<std::vector<uint8_t>> blocks = {{}, {42}, factory_file(CURRENT_SETTING)};
	for (size_t n : {2u, 3u, 17u, 18u, 19u, 4095u, 4097u, 20000u, (unsigned)APMIB_DECODE_MAX})
		for (unsigned alphabet : {2u, 256u})
			blocks.push_back(random_block(rng, n, alphabet));
	blocks.push_back(std::vector<uint8_t>(APMIB_DECODE_MAX, 0));
	for (const auto &b : blocks) {
		std::vector<uint8_t> comp, back(b.size() + 1, 0xee);
		mib_encode(b.data(), b.size(), comp);
		ASSERT_EQ((int)b.size(), Decode(comp.data(), comp.size(), back.data())) << b.size();
		EXPECT_TRUE(std::equal(b.begin(), b.end(), back.begin()));
		EXPECT_EQ(0xee, back[b.size()]) << "nothing past the announced length";
		if (!b.empty()) {
			EXPECT_EQ(-1, mib_decode_bound(comp.data(), comp.size(), back.data(), b.size() - 1));
		}
	}
	std::vector<uint8_t> settings = factory_file(CURRENT_SETTING), comp;
	mib_encode(settings.data(), settings.size(), comp);
	EXPECT_LT(comp.size(), settings.size()) << "settings compress";
}

TEST(StoreCodec, DamagedStreamsAreRefusedWithinBounds)
{
	std::mt19937 rng(5);
	std::vector<uint8_t> src = random_block(rng, 3000, 4), comp;
	mib_encode(src.data(), src.size(), comp);
	for (size_t cut = 0; cut < comp.size(); cut++) {
		std::vector<uint8_t> part(comp.begin(), comp.begin() + cut); /* exact-size heap copy */
		std::vector<uint8_t> out(src.size());
		EXPECT_EQ(-1, mib_decode_bound(part.data(), part.size(), out.data(), out.size())) << cut;
	}
	std::vector<uint8_t> out(APMIB_DECODE_MAX);
	const uint8_t too_big[] = {0, 1, 0, 6, 0xff, 1, 2, 3};  /* announces 65542 bytes */
	const uint8_t backref[] = {0, 0, 0, 8, 0xfe, 'a', 0x00, 0x12}; /* distance 2 after 1 byte */
	const uint8_t overrun[] = {0, 0, 0, 4, 0xfe, 'a', 0x00, 0x0f};  /* 18 bytes into 3 left */
	const uint8_t trailing[] = {0, 0, 0, 1, 0x01, 'a', 'b'};
	for (auto *s : {too_big, backref, overrun}) {
		EXPECT_EQ(-1, Decode(s, 8, out.data()));
	}
	EXPECT_EQ(-1, Decode(trailing, sizeof(trailing), out.data()));
	EXPECT_EQ(1, Decode(trailing, sizeof(trailing) - 1, out.data()));
	EXPECT_EQ(-1, mib_decode_bound(trailing, sizeof(trailing) - 1, out.data(), 0));
	for (int c = 0; c < 3000; c++) {
		std::vector<uint8_t> junk = random_block(rng, 4 + rng() % 300, 256);
		junk[0] = junk[1] = 0;
		unsigned cap = rng() % 2000;
		std::vector<uint8_t> dst(cap);
		int n = mib_decode_bound(junk.data(), junk.size(), dst.data(), cap);
		EXPECT_LE(n, (int)cap);
	}
}

TEST(StoreCodec, SectionsPackAndUnpack)
{
	std::vector<uint8_t> file = factory_file(DEFAULT_SETTING), sec;
	const char *why = "";
	ASSERT_EQ(0, cfg_pack(file.data(), file.size(), "Df", 3, "COMPDS", sec, &why)) << why;
	EXPECT_EQ(0, memcmp(sec.data(), "COMPDS", 6));
	uint32_t rate = be16(&sec[6]), clen = be32(&sec[8]);
	EXPECT_EQ(sec.size() - 12, clen);
	std::vector<uint8_t> buf(rate * clen);
	EXPECT_EQ((int)file.size() + 7, Decode(&sec[12], clen, buf.data())) << "fits rate * comp_len";
	CfgBlock b;
	ASSERT_EQ(0, cfg_unpack(sec.data(), sec.size(), b, &why)) << why;
	EXPECT_EQ(file, b.file);
	EXPECT_EQ(3, b.version);
	EXPECT_EQ(DEFAULT_SETTING, b.tag->kind);
	EXPECT_EQ(2, b.tag->variant);
	for (const char *tag : {"", "6", "xx", "6gg"})
		EXPECT_EQ(-1, cfg_pack(file.data(), file.size(), tag, 1, "COMPCS", sec, &why)) << tag;
	EXPECT_EQ(-1, cfg_pack(file.data(), file.size(), "Cu", 100, "COMPCS", sec, &why));
	EXPECT_EQ(-1, cfg_pack(file.data(), file.size(), "Cu", 1, "COMPXS", sec, &why));
}

TEST(StoreCodec, UpdateFlashTakesGoodBlocksOnly)
{
	TempRoot root;
	EXPECT_TRUE(in_root(root, [] {
		unsigned port = 8080;
		ASSERT_TRUE(apmib_setDef(16080, &port)); /* becomes the file we ship */
		std::vector<uint8_t> file;
		ASSERT_EQ(0, mib_export(DEFAULT_SETTING, file));
		port = 81;
		ASSERT_TRUE(apmib_set(16080, &port)); /* a working copy to be dropped */

		struct {
			const char *sig, *tag;
			int fix, kind, variant, version;
			bool ok;
		} cases[] = {
			{"COMPCS", "Cu", 1, CURRENT_SETTING, 0, -1, false}, /* checksum */
			{"COMPCS", "Zz", 0, CURRENT_SETTING, 0, -1, false}, /* tag */
			{"COMPXX", "Cu", 0, CURRENT_SETTING, 0, -1, false}, /* signature */
			{"COMPCS", "Cu", 0, DEFAULT_SETTING, 0, -1, false}, /* kind and tag disagree */
			{"COMPCS", "Cu", 0, CURRENT_SETTING, 1, -1, false}, /* variant */
			{"COMPCS", "Cu", 0, CURRENT_SETTING, 0, 8, false},  /* version */
			{"COMPHS", "Hu", 0, HW_SETTING, 0, -1, false},      /* not hardware settings */
			{"COMPCS", "6g", 0, CURRENT_SETTING, 1, 7, true},
		};
		for (auto &c : cases) {
			std::vector<uint8_t> sec = raw_section(c.sig, config_block(c.tag, file, c.fix));
			EXPECT_EQ(c.ok, !!apmib_updateFlash(c.kind, (char *)sec.data(), sec.size(), c.variant,
							   c.version))
				<< c.sig << " " << c.tag;
			unsigned got = 0;
			EXPECT_TRUE(apmib_get(16080, &got));
			EXPECT_EQ(c.ok ? 8080u : 81u, got) << c.tag;
		}
		/* a default-settings tag inside a current-settings section */
		port = 9;
		ASSERT_TRUE(apmib_setDef(16080, &port));
		std::vector<uint8_t> sec = raw_section("COMPCS", config_block("6G", file, 0));
		EXPECT_TRUE(apmib_updateFlash(DEFAULT_SETTING, (char *)sec.data(), sec.size(), 1, 7));
		EXPECT_TRUE(apmib_getDef(16080, &port));
		EXPECT_EQ(8080u, port);
		EXPECT_FALSE(apmib_updateFlash(CURRENT_SETTING, (char *)sec.data(), 11, 1, 7));
		EXPECT_FALSE(apmib_updateFlash(DEFAULT_SETTING, (char *)sec.data(), sec.size() - 1, 1, 7));
	}));
	std::vector<unsigned char> log = read_all(root / "var/log/messages");
	EXPECT_NE(std::string::npos, std::string(log.begin(), log.end()).find("checksum mismatch"));
}

/* Settings files carry the standard CRC-32; the four-bytes-a-step loop
 * must give the same remainder as one byte at a time, at every length
 * and alignment. */
TEST(StoreCodec, Crc32IsTheStandardOne)
{
	const char *check = "123456789";
	EXPECT_EQ(mib_crc32(reinterpret_cast<const uint8_t *>(check), 9), 0xCBF43926u);
	std::mt19937 rng(7);
	std::vector<uint8_t> data = random_block(rng, 67, 256);
	for (size_t start = 0; start < 4; start++)
		for (size_t len = 0; start + len <= data.size(); len++) {
			uint32_t crc = 0xffffffffu;
			for (size_t i = start; i < start + len; i++) {
				crc ^= data[i];
				for (int k = 0; k < 8; k++)
					crc = crc & 1 ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
			}
			ASSERT_EQ(mib_crc32(data.data() + start, len), ~crc) << start << "+" << len;
		}
}
