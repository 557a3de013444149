/* The image walker: what it accepts, and the text of what it refuses. */
#include <gtest/gtest.h>

#include <string.h>

#include "be.h"
#include "fw_image.h"
#include "parts.h"

namespace {

struct Check {
	int rc;
	std::string status;
	FwSummary sum;
};

Check check(const Bytes &img)
{
	Check c;
	char status[FW_STATUS_SIZE] = "untouched";
	c.rc = fw_check_image(img.data(), img.size(), status, &c.sum);
	c.status = status;
	return c;
}

FwPart broken(FwPart p, void (*edit)(FwPart &))
{
	edit(p);
	return p;
}

TEST(FwImage, SoundImagesAndWhatTheyNeed)
{
	Check c = check(image({firmware(1000, 0x20000), web(333, 0x10000), rootfs(5000),
			       config("6g"), config("Hu", "COMPHS")}));
	EXPECT_EQ(c.rc, 0) << c.status;
	EXPECT_EQ(c.sum.sections, 5u);
	EXPECT_TRUE(c.sum.stops_services);
	EXPECT_TRUE(c.sum.has_config);

	c = check(image({web(10, 0)}));
	EXPECT_EQ(c.rc, 0) << c.status;
	EXPECT_FALSE(c.sum.stops_services);
	EXPECT_FALSE(c.sum.has_config);

	/* The other FIRMWARE signature; an odd file gets its padding byte. */
	FwPart cr = firmware(999, 0);
	cr.sig = "cr6c";
	c = check(image({cr}));
	EXPECT_EQ(c.rc, 0) << c.status;
	EXPECT_TRUE(c.sum.stops_services);
}

TEST(FwImage, TrailingBytesAfterASectionAreIgnored)
{
	for (const char *tail : {"x", "garbage after the image", "COMPX", "cs6", "\0\0\0\0\0\0"}) {
		Check c = check(image({firmware(100, 0), bytes(std::string(tail, strlen(tail) ? strlen(tail) : 6))}));
		EXPECT_EQ(c.rc, 0) << tail << ": " << c.status;
		EXPECT_EQ(c.sum.sections, 1u) << tail;
	}
}

TEST(FwImage, NoSectionFirstIsNoImage)
{
	for (const Bytes &img : {Bytes(), image({bytes("hello world")}), image({bytes("cs6")}),
				 image({bytes("COMPC")})}) {
		Check c = check(img);
		EXPECT_EQ(c.rc, -1);
		EXPECT_EQ(c.status, "Invalid file format!");
	}
}

TEST(FwImage, LengthLimit)
{
	/* 0x600000 itself passes: a file two bytes short plus its balance. */
	Check c = check(image({firmware(FW_MAX_LEN - 2, 0)}));
	EXPECT_EQ(c.rc, 0) << c.status;

	FwPart over = firmware(16, 0);
	over.set_len = true;
	over.len = FW_MAX_LEN + 1;
	c = check(image({over}));
	EXPECT_EQ(c.status, "Image len exceed max size 0x600000 ! len=0x600001</b><br>");
	over.len = 0xffffffff;
	c = check(image({over}));
	EXPECT_EQ(c.status, "Image len exceed max size 0x600000 ! len=0xffffffff</b><br>");
}

TEST(FwImage, Checksums)
{
	FwPart fw = firmware(100, 0);
	fw.sum_delta = 1;
	Bytes img = image({fw});
	Check c = check(img);
	/* The reported word stands at len - 2 of the image: 0x64 is the
	 * payload length, 102 with its balance word. */
	char want[100];
	snprintf(want, sizeof(want), "Image checksum mismatched! len=0x66, checksum=0x%x", be16(&img[100]));
	EXPECT_EQ(c.status, want);

	FwPart rfs = rootfs(20);
	rfs.sum_delta = 0x100;
	EXPECT_EQ(check(image({firmware(8, 0), rfs})).status.substr(0, 39),
		  "Image checksum mismatched! len=0x16, ch");

	FwPart w = web(50, 0);
	w.sum_delta = 1;
	EXPECT_EQ(check(image({w})).status, "Image checksum mismatched! len=0x33");
}

TEST(FwImage, SectionsRunningPastTheEnd)
{
	/* Cut inside the payload, inside the header, and a header length
	 * one byte beyond the image: never read, always refused. */
	FwPart cut = firmware(100, 0);
	cut.cut = 60;
	EXPECT_EQ(check(image({cut})).status,
		  "Image section runs past the end of the file! offset=0x0 len=0x66 size=0x3c");
	cut.cut = 10;
	EXPECT_EQ(check(image({firmware(4, 0), cut})).status,
		  "Image section runs past the end of the file! offset=0x16 len=0x0 size=0x20");
	FwPart longer = web(10, 0);
	longer.set_len = true;
	longer.len = 12;
	EXPECT_EQ(check(image({longer})).status,
		  "Image section runs past the end of the file! offset=0x0 len=0xc size=0x1b");
	FwPart cfg = config("6g");
	cfg.set_len = true;
	cfg.len = 0x7fffffff;
	EXPECT_EQ(check(image({cfg})).status.substr(0, 45), "Image section runs past the end of the file! ");
	FwPart cfg_cut = config("6g");
	cfg_cut.cut = 11;
	EXPECT_EQ(check(image({cfg_cut})).status,
		  "Image section runs past the end of the file! offset=0x0 len=0x0 size=0xb");
}

TEST(FwImage, OddLengthsHaveNoWordSum)
{
	FwPart odd = rootfs(10);
	odd.set_len = true;
	odd.len = 11;
	EXPECT_EQ(check(image({odd, bytes("pad")})).status, "Image len is odd, no word checksum! len=0xb");
	/* A WEB section sums bytes: any length will do. */
	EXPECT_EQ(check(image({web(0, 0), web(6, 0)})).rc, 0);
}

TEST(FwImage, ConfigSections)
{
	struct Case {
		FwPart part;
		int rc;
	};
	const Case cases[] = {
		{config("6G", "COMPCS"), 0},
		{config("Du", "COMPHS"), 0},
		{broken(config("6g"), [](FwPart &p) { p.sum_delta = 1; }), -1},
		{broken(config("6g"), [](FwPart &p) { p.block_tag = "XX"; }), -1},
		/* a block length beyond what decodes */
		{broken(config("6g"), [](FwPart &p) { p.set_block_len = true, p.block_len = 0xffff; }), -1},
		/* a decode buffer too small for the block: comp_rate 1 */
		{broken(config("6g", "COMPCS", std::string(400, 'a')), [](FwPart &p) { p.set_rate = true, p.rate = 1; }), -1},
		{broken(config("6g"), [](FwPart &p) { p.set_rate = true, p.rate = 0; }), -1},
		/* compressed data shorter than it says: corrupt */
		{broken(config("6g"), [](FwPart &p) { p.set_len = true, p.len = 5; }), -1},
	};
	for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); i++) {
		Check c = check(image({cases[i].part, bytes("tail")}));
		EXPECT_EQ(c.rc, cases[i].rc) << i << ": " << c.status;
		if (cases[i].rc) {
			EXPECT_EQ(c.status, "Invalid configuration file!") << i;
		}
	}
}

TEST(FwImage, TheTagDecidesTheKind)
{
	const struct {
		const char *tag, *sig;
		int kind, variant;
	} tags[] = {
		{"6g", "COMPHS", 4, 1}, {"Cf", "COMPCS", 4, 2}, {"Cu", "COMPCS", 4, 0},
		{"6G", "COMPCS", 2, 1}, {"Df", "COMPDS", 2, 2}, {"Du", "COMPDS", 2, 0},
		{"H6", "COMPCS", 1, 1}, {"Hf", "COMPHS", 1, 2}, {"Hu", "COMPHS", 1, 0},
	};
	for (const auto &t : tags) {
		Bytes img = image({config(t.tag, t.sig)});
		FwSection sec;
		ASSERT_EQ(fw_config_check(img.data(), img.size(), &sec), FW_CFG_OK) << t.tag;
		EXPECT_EQ(sec.cfg_kind, t.kind) << t.tag;
		EXPECT_EQ(sec.variant, t.variant) << t.tag;
		EXPECT_EQ(sec.version, 7) << t.tag;
		EXPECT_EQ(sec.total, img.size()) << t.tag;
	}
}

TEST(FwImage, WordSums)
{
	const uint8_t words[] = {0x12, 0x34, 0xed, 0xcc, 0xff};
	EXPECT_EQ(fw_word_sum(words, 4), 0);
	EXPECT_TRUE(fwChecksumOk(words, 4));
	EXPECT_FALSE(fwChecksumOk(words, 2));
	/* No word is made of a byte beyond the data. */
	EXPECT_FALSE(fwChecksumOk(words, 5));
	EXPECT_TRUE(fwChecksumOk(words, 0));
	EXPECT_TRUE(fwChecksumOk(words, -4));
	/* Big-endian words, wrapping at 65536, over a long run. */
	Bytes b(100002, 0xff);
	EXPECT_EQ(fw_word_sum(b.data(), b.size()), (uint16_t)(50001u * 0xffff));
	EXPECT_EQ(fw_byte_sum(b.data(), 3), 0xfd);
}

}  // namespace
