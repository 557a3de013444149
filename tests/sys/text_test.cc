/* Bounded text: shell words, numbers, and what happens at the end of the
 * buffer. */
#include <gtest/gtest.h>

#include <limits.h>

#include <string>

#include "text.h"

namespace {

std::string word(const char *s)
{
	char buf[64];
	SysText t(buf);
	t.word(s);
	return t.ok() ? buf : "(full)";
}

TEST(SysText, QuotesOnlyWhatTheShellWouldTouch)
{
	EXPECT_EQ(word("WLAN_SSID"), "WLAN_SSID");
	EXPECT_EQ(word("http://host:8080/a/b-c_d.bin"), "http://host:8080/a/b-c_d.bin");
	EXPECT_EQ(word("-1"), "-1");
	EXPECT_EQ(word(""), "''");
	EXPECT_EQ(word("my net"), "'my net'");
	EXPECT_EQ(word("it's"), "'it'\\''s'");
	EXPECT_EQ(word("a;b|c&d$(e)`f`>g<h*?[]~#!{}\\\"\t\n"),
		  "'a;b|c&d$(e)`f`>g<h*?[]~#!{}\\\"\t\n'");
	char buf[32];
	SysText t(buf);
	for (const char *s = "a b$_"; *s; s++)
		t.bare(*s);
	EXPECT_STREQ(buf, "a\\ b\\$_");
}

TEST(SysText, NumbersWholeToTheirLimits)
{
	char buf[128];
	SysText t(buf);
	t.num(0).put(' ').num(-1).put(' ').num(LONG_MIN).put(' ').num(LONG_MAX).put(' ');
	t.unum(ULONG_MAX).put(' ');
	const uint8_t bytes[] = {0x00, 0x0f, 0xa5, 0xff};
	t.hex(bytes, sizeof(bytes));
	EXPECT_TRUE(t.ok());
	EXPECT_EQ(std::string(buf), "0 -1 " + std::to_string(LONG_MIN) + " " +
					    std::to_string(LONG_MAX) + " " +
					    std::to_string(ULONG_MAX) + " 000fa5ff");
	EXPECT_EQ(t.len, strlen(buf));
}

/* Cut, terminated and marked full: never a command that looks whole. */
TEST(SysText, WhatDoesNotFitIsCutAndMarked)
{
	char buf[16];
	SysText cmd(buf);
	cmd.text("flash get ").word("12345");
	EXPECT_TRUE(cmd.ok());
	EXPECT_STREQ(buf, "flash get 12345");
	cmd.text("6").put('7').unum(8);
	EXPECT_FALSE(cmd.ok());
	EXPECT_STREQ(buf, "flash get 12345");

	SysText quoted(buf);
	quoted.text("echo ").word("a b c d e f g");
	EXPECT_FALSE(quoted.ok());
	EXPECT_STREQ(buf, "echo 'a b c d e");

	SysText value(buf);
	value.text("0123456789abcdefghij");
	EXPECT_FALSE(value.ok());
	EXPECT_STREQ(buf, "0123456789abcde");
	EXPECT_EQ(value.len, 15u);

	SysText nothing(buf, 0);
	EXPECT_FALSE(nothing.text("").ok());
	EXPECT_FALSE(nothing.put('x').ok());
}

}  // namespace
