/* Command lines: outside values become exactly one shell word. */
#include <gtest/gtest.h>

#include <string>

#include "helpers.h"
#include "utl.h"
#include "utl_int.h"

namespace {

std::string word(const char *s)
{
	char buf[64];
	UtlCmd cmd(buf, sizeof(buf));
	cmd.word(s);
	return cmd.ok() ? buf : "(full)";
}

TEST(UtlCmd, QuotesOnlyWhatTheShellWouldTouch)
{
	EXPECT_EQ(word("WLAN_SSID"), "WLAN_SSID");
	EXPECT_EQ(word("http://host:8080/a/b-c_d.bin"), "http://host:8080/a/b-c_d.bin");
	EXPECT_EQ(word("-1"), "-1");
	EXPECT_EQ(word(""), "''");
	EXPECT_EQ(word("my net"), "'my net'");
	EXPECT_EQ(word("it's"), "'it'\\''s'");
	EXPECT_EQ(word("a;b|c&d$(e)`f`>g<h*?[]~#!{}\\\"\t\n"),
		  "'a;b|c&d$(e)`f`>g<h*?[]~#!{}\\\"\t\n'");
}

TEST(UtlCmd, WhatDoesNotFitIsNotRun)
{
	char buf[16];
	UtlCmd cmd(buf, sizeof(buf));
	cmd.text("flash get ").word("12345");
	EXPECT_TRUE(cmd.ok());
	EXPECT_STREQ(buf, "flash get 12345");
	cmd.text("6");
	EXPECT_FALSE(cmd.ok());
	/* Cut in the middle of a quoted word, it is still not complete. */
	UtlCmd quoted(buf, sizeof(buf));
	quoted.text("echo ").word("a b c d e f g");
	EXPECT_FALSE(quoted.ok());
	UtlCmd nothing(buf, 0);
	EXPECT_FALSE(nothing.text("").ok());
}

/* Each word reaches the program as one argument, byte for byte. */
TEST(UtlCmd, WordsSurviveTheRootsShell)
{
	const char *words[] = {"plain", "two words", "quote ' inside", "$HOME `id` $(id)",
			       "new\nline", "*", "''", "\\"};
	for (const char *w : words) {
		char buf[256];
		UtlCmd cmd(buf, sizeof(buf));
		cmd.text("printf '%s|' ").word(w).text(" >/tmp/word");
		ASSERT_TRUE(cmd.ok());
		FILE *f = utl_popen(buf, "r");
		ASSERT_NE(f, nullptr);
		EXPECT_EQ(utl_pclose(f), 0);
		EXPECT_EQ(read_file(in_root("/tmp/word")), std::string(w) + "|");
	}
}

}  // namespace
