/* The answer checks and byte helpers of mdmprobe and mdmsetup. */
#include <gtest/gtest.h>

#include "modem.h"

namespace {

uint16_t fcs(std::initializer_list<uint8_t> bytes)
{
	return at_fcs16(bytes.begin(), bytes.size());
}

}  // namespace

TEST(Fcs, CheckValueAndTheTwoFrames)
{
	const char check[] = "123456789";
	EXPECT_EQ(at_fcs16((const uint8_t *)check, 9), 0x906E);
	EXPECT_EQ(fcs({}), 0x0000);
	/* on the wire low byte first: DE 00 00 D8 59, 29 04 00 89 3E */
	EXPECT_EQ(fcs({0xDE, 0x00, 0x00}), 0x59D8);
	EXPECT_EQ(fcs({0x29, 0x04, 0x00}), 0x3E89);
	/* a frame followed by its FCS leaves the good-FCS residue 0xF0B8 */
	EXPECT_EQ(fcs({0xDE, 0x00, 0x00, 0xD8, 0x59}) ^ 0xFFFF, 0xF0B8);
}

TEST(Answer, FirstDialogueEndsInOkSecondBeginsWithIt)
{
	EXPECT_TRUE(at_answer_ok("\r\nOK\r\n", false));
	EXPECT_TRUE(at_answer_ok("\r\nE173\r\n\r\nOK\r\n", false));
	EXPECT_FALSE(at_answer_ok("\r\nOK\r\n\r\n+CREG: 1\r\n", false));
	EXPECT_FALSE(at_answer_ok("\nOK\r\n", false));
	EXPECT_FALSE(at_answer_ok("", false));
	EXPECT_FALSE(at_answer_ok("\r\nERROR\r\n", false));

	EXPECT_TRUE(at_answer_ok("\r\nOK\r\n", true));
	EXPECT_TRUE(at_answer_ok("\r\nOK\r\n\r\n+CGEV: ME PDN ACT 1\r\n", true));
	EXPECT_FALSE(at_answer_ok("\r\n+CME ERROR: 4\r\n\r\nOK\r\n", true));
	EXPECT_FALSE(at_answer_ok("\r\nOK\r", true));
}

TEST(Answer, ContextComparedFromTheThirteenthCharacterAsFarAsWanted)
{
	const char *listed = "\r\n+CGDCONT: 1,\"IP\",\"internet\",\"0.0.0.0\",0,0\r\n\r\nOK\r\n";
	EXPECT_TRUE(at_context_agrees(listed, "1,\"IP\",\"internet\""));
	EXPECT_TRUE(at_context_agrees(listed, "1,\"IP\",\"internet\",\"0.0.0.0\""));
	EXPECT_FALSE(at_context_agrees(listed, "1,\"IP\",\"internet.tld\""));
	EXPECT_FALSE(at_context_agrees(listed, "2,\"IP\",\"internet\""));
	/* answers too short to hold a context never agree, nor read past their end */
	EXPECT_FALSE(at_context_agrees("\r\nOK\r\n", "1"));
	EXPECT_FALSE(at_context_agrees("\r\n+CGDCONT: ", "1"));
}

TEST(Answer, IdentityLines)
{
	const char *ati = "\r\nManufacturer: huawei\r\nModel: E173\r\nIMEI: 35\r\n\r\nOK\r\n";
	EXPECT_EQ(at_labelled(ati, "Model"), "E173");
	EXPECT_EQ(at_labelled(ati, "IMEI"), "35");
	EXPECT_EQ(at_labelled(ati, "Serial"), "");
	/* the first place the label begins counts */
	EXPECT_EQ(at_labelled(ati, "M"), "ufacturer: huawei");
	/* a label at the very end: nothing after it, nothing read beyond */
	EXPECT_EQ(at_labelled("\r\nModel", "Model"), "");
	EXPECT_EQ(at_labelled("\r\nModel:", "Model"), "");
	EXPECT_EQ(at_labelled("\r\nModel: E173", "Model"), "E173");

	EXPECT_EQ(at_first_line("\r\nE173\r\n\r\nOK\r\n"), "E173");
	EXPECT_EQ(at_first_line("\r\n"), "");
	EXPECT_EQ(at_first_line("\r"), "");
}

TEST(Hex, PairsIntoBytes)
{
	uint8_t out[4];
	EXPECT_EQ(at_hex_bytes("41540d", out, sizeof(out)), 3);
	EXPECT_EQ(memcmp(out, "AT\r", 3), 0);
	EXPECT_EQ(at_hex_bytes("FFaA", out, sizeof(out)), 2);
	EXPECT_EQ(out[0], 0xFF);
	EXPECT_EQ(out[1], 0xAA);
	EXPECT_EQ(at_hex_bytes("", out, sizeof(out)), 0);
	for (const char *bad : {"4", "415", "4G", "g0", " 41", "41 ", "0x41", "4:", "@1", "`1"})
		EXPECT_EQ(at_hex_bytes(bad, out, sizeof(out)), -1) << bad;
	EXPECT_EQ(at_hex_bytes("0102030405", out, sizeof(out)), -1);
	EXPECT_EQ(at_hex_bytes("01020304", out, sizeof(out)), 4);
}
