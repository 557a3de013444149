/*
 * The text restore's pieces: splitting a saved line, the hex-key and
 * time-zone rewrites, and the set command built from a line, which real
 * shells must turn back into exactly the words of the dump line.
 */
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "files.h"
#include "textconf.h"

namespace {

struct Split {
	int rc;
	std::string name, value;
};

Split split(const char *text)
{
	char line[TEXTCONF_LINE_MAX + 2];
	snprintf(line, sizeof(line), "%s", text);
	char *name = nullptr, *value = nullptr;
	int rc = cui_text_split(line, &name, &value);
	return {rc, rc == 0 ? name : "", rc == 0 ? value : ""};
}

TEST(TextSplit, NameAndValueText)
{
	Split s = split("WLAN_SSID 0 \"home net\"\n");
	EXPECT_EQ(s.rc, 0);
	EXPECT_EQ(s.name, "WLAN_SSID");
	EXPECT_EQ(s.value, "0 \"home net\"\n");

	/* leading blanks, TABs and line feeds go; one separator is consumed,
	 * further blanks and TABs too, the rest stands */
	s = split(" \t\nOP_MODE\t \t1  2\t\n");
	EXPECT_EQ(s.rc, 0);
	EXPECT_EQ(s.name, "OP_MODE");
	EXPECT_EQ(s.value, "1  2\t\n");

	/* NAME, a blank and the line feed: the value text is the line feed */
	s = split("OP_MODE \n");
	EXPECT_EQ(s.rc, 0);
	EXPECT_EQ(s.value, "\n");
	/* a line without its line feed keeps what it has */
	s = split("OP_MODE 0 1");
	EXPECT_EQ(s.value, "0 1");
}

TEST(TextSplit, MalformedLines)
{
	for (const char *line : {"", "\n", " \t \n", "OP_MODE", "OP_MODE\n", "OP_MODE \t", "OP_MODE\t"})
		EXPECT_EQ(split(line).rc, -1) << '[' << line << ']';
}

TEST(TextRewrite, HexKeyAndTimeZone)
{
	const std::string long_key = "0 " + std::string(300, 'a') + "\n", cut = "0 0x" + std::string(123, 'a');
	const struct {
		int (*fn)(const char *, char *);
		std::string value;
		const char *want;	/* nullptr: refused */
	} cases[] = {
		{cui_text_hex_value, "0 a1b2c3e4e5\n", "0 0xa1b2c3e4e5"},
		{cui_text_hex_value, "1\tf00dbeefcafe1234567890bbcd  extra\n", "1 0xf00dbeefcafe1234567890bbcd"},
		{cui_text_hex_value, "0\n", nullptr},
		{cui_text_hex_value, " \n", nullptr},
		/* never more than 127 characters */
		{cui_text_hex_value, long_key, cut.c_str()},
		{cui_text_zone_value, "0 \"-9 1\"\n", "0 52"},
		{cui_text_zone_value, "0 \"12 1\"\n", "0 0"},
		{cui_text_zone_value, "0 \"-12 2\"\n", "0 64"},
		/* an unknown zone leaves INDEX alone, and the set refuses it */
		{cui_text_zone_value, "0 \"-9 9\"\n", "0"},
		{cui_text_zone_value, "0\n", nullptr},
		{cui_text_zone_value, "0 \"\n", nullptr},
		{cui_text_zone_value, "\"\n", nullptr},
	};
	for (const auto &c : cases) {
		char out[TEXTCONF_VALUE_MAX];
		ASSERT_EQ(c.fn(c.value.c_str(), out), c.want ? 0 : -1) << c.value;
		if (c.want) {
			EXPECT_STREQ(out, c.want);
		}
	}
}

std::string command(char letter, const char *name, const char *value)
{
	char out[TEXTCONF_CMD_MAX];
	int n = cui_text_set_command(out, sizeof(out), letter, name, value);
	if (n < 0)
		return "<does not fit>";
	EXPECT_EQ((size_t)n, strlen(out));
	return out;
}

/* Ordinary lines give exactly the command text of the restore. */
TEST(TextCommand, OrdinaryLinesUnchanged)
{
	const char *values[] = {
		"0 49\n",
		"0 \"office\"\n",
		"1 \"guest wifi\"\n",
		"0 192.168.0.1\n",
		"1 001122aabbcc \"printer\"\n",
		"1 192.168.0.10 1 80 80 8080 \"web\"\n",
		"1 10.1.0.0 255.255.0.0 192.168.0.254 0 1\n",
		"0 \"\"\n",
		"0 ",
		"0 0x1a2b",
		"1 1 001122aabb01 6 192.168.2.1 192.168.3.1 100000 200 \"rule1\"\n",
		"0 1280\n",
		"0 -1+2\n",
	};
	for (const char *v : values)
		EXPECT_EQ(command('c', "PORTFW_ADD", v), std::string("kp7cui -s -t c PORTFW_ADD ") + v);
	EXPECT_EQ(command('d', "WLAN_SSID", "0 \"x\"\n"), "kp7cui -s -t d WLAN_SSID 0 \"x\"\n");
}

TEST(TextCommand, HostileCharactersEscaped)
{
	EXPECT_EQ(command('c', "N", "0 \"$(reboot)\"\n"), "kp7cui -s -t c N 0 \"\\$(reboot)\"\n");
	EXPECT_EQ(command('c', "N", "0 \"`id`\"\n"), "kp7cui -s -t c N 0 \"\\`id\\`\"\n");
	/* the dump's own escapes stay as they are */
	EXPECT_EQ(command('c', "N", "0 \"q\\\"uo\\\\te\"\n"), "kp7cui -s -t c N 0 \"q\\\"uo\\\\te\"\n");
	/* a backslash the dump would not write stands for itself */
	EXPECT_EQ(command('c', "N", "0 \"a\\b\\\"\n"), "kp7cui -s -t c N 0 \"a\\\\b\\\"\"\n");
	/* outside quotes every special character is one literal character */
	EXPECT_EQ(command('c', "N", "0 a;b|c&d>e<f\n"), "kp7cui -s -t c N 0 a\\;b\\|c\\&d\\>e\\<f\n");
	EXPECT_EQ(command('c', "N", "0 $(x)`y`'z'*?~#{a,b}\n"),
		  "kp7cui -s -t c N 0 \\$\\(x\\)\\`y\\`\\'z\\'\\*\\?\\~\\#\\{a,b\\}\n");
	EXPECT_EQ(command('c', "N", "0 a\tb\n"), "kp7cui -s -t c N 0 a\\\tb\n");
	/* an open quote is closed before the line feed */
	EXPECT_EQ(command('c', "N", "0 \"open $x\n"), "kp7cui -s -t c N 0 \"open \\$x\"\n");
	EXPECT_EQ(command('c', "N", "0 \"tail\\\n"), "kp7cui -s -t c N 0 \"tail\\\\\"\n");
	/* NAME is always one plain word */
	EXPECT_EQ(command('c', "A;reboot", "0 1\n"), "kp7cui -s -t c A\\;reboot 0 1\n");
}

/* A line feed in a string is a value no set command takes: the line is
 * refused rather than handed to the shell.  What is not one of the dump's
 * escapes is a backslash of its own. */
TEST(TextCommand, DumpEscapes)
{
	for (const char *v : {"0 \"a\\nOP_MODE 0 5\"\n", "0 \"\\x0a\"\n", "0 \"\\x0A\"", "1 a \"b\" \"c\\n\"\n"})
		EXPECT_EQ(cui_text_set_command(nullptr, 0, 'c', "N", v), TEXTCONF_LINE_FEED) << v;
	EXPECT_EQ(command('c', "N", "0 \"\\r\\x01\\x7f\"\n"), "kp7cui -s -t c N 0 \"\r\x01\x7f\"\n");
	EXPECT_EQ(command('c', "N", "0 \"\\x24(id)\\x60\\x22\\x5c\"\n"),
		  "kp7cui -s -t c N 0 \"\\$(id)\\`\\\"\\\\\"\n");
	EXPECT_EQ(command('c', "N", "0 \"\\x00\\x4\\xg1\\t\"\n"),
		  "kp7cui -s -t c N 0 \"\\\\x00\\\\x4\\\\xg1\\\\t\"\n");
	/* outside a string there are no escapes: the dump writes none there */
	EXPECT_EQ(command('c', "N", "0 a\\nb\n"), "kp7cui -s -t c N 0 a\\\\nb\n");
}

TEST(TextCommand, NeverCut)
{
	/* the worst line: every character doubles */
	std::string value = "0 " + std::string(TEXTCONF_LINE_MAX - 4, ';') + "\n";
	std::string cmd = command('c', "N", value.c_str());
	ASSERT_NE(cmd, "<does not fit>");
	EXPECT_EQ(cmd.size(), strlen("kp7cui -s -t c N 0 ") + 2 * (TEXTCONF_LINE_MAX - 4) + 1);
	std::string quoted = "0 \"" + std::string(TEXTCONF_LINE_MAX - 5, '$') + "\n";
	cmd = command('c', "N", quoted.c_str());
	EXPECT_EQ(cmd.back(), '\n');
	EXPECT_EQ(cmd[cmd.size() - 2], '"');

	char small[24];
	EXPECT_EQ(cui_text_set_command(small, sizeof(small), 'c', "NAME", "0 12345678\n"), -1);
}

/* ---- through real shells ---- */

/* The words the shell command line `shell` hands to kp7cui for `cmd`, one
 * "[word]" each. */
std::string words_through(const std::string &shell, const std::string &cmd)
{
	TempDir dir("kp7tcsh");
	/* kp7cui stands in as a function that shows its words; a marker file
	 * shows whether anything else ran */
	write_file(dir / "cmd", "kp7cui() { for w; do printf '[%s]' \"$w\"; done; }\n"
				"reboot() { echo RAN >" + dir.path + "/ran; }\n"
				"id() { echo RAN >" + dir.path + "/ran; }\n" + cmd);
	std::string run = shell + " " + dir / "cmd";
	FILE *p = popen(run.c_str(), "r");
	std::string out;
	char buf[4096];
	size_t n;
	while ((n = fread(buf, 1, sizeof(buf), p)) > 0)
		out.append(buf, n);
	pclose(p);
	if (exists(dir / "ran"))
		out += "<A COMMAND RAN>";
	return out;
}

struct ShellCase {
	const char *value;	/* value text of the dump line */
	const char *words;	/* what kp7cui must receive after the name */
};

const ShellCase SHELL_CASES[] = {
	{"0 \"$(reboot)-ssid\"\n", "[0][$(reboot)-ssid]"},
	{"0 \"`id`-c\"\n", "[0][`id`-c]"},
	{"0 \"$HOME${PATH}-x\"\n", "[0][$HOME${PATH}-x]"},
	{"0 \"q\\\"uo\\\"te\"\n", "[0][q\"uo\"te]"},
	{"0 \"back\\\\slash\"\n", "[0][back\\slash]"},
	{"0 \"\\\\\"\n", "[0][\\]"},
	{"0 \"a;b|c&d\"\n", "[0][a;b|c&d]"},
	{"0 \"it's\"\n", "[0][it's]"},
	{"0 \" lead\"\n", "[0][ lead]"},
	{"0 \"caf\xc3\xa9 h\xc3\xb6st\"\n", "[0][caf\xc3\xa9 h\xc3\xb6st]"},
	{"0 \"tab\there\"\n", "[0][tab\there]"},
	{"4 192.168.0.54 \"h\xc3\xb6st \\\"q\\\" $(x)\" \"#`id`-c044\"\n",
	 "[4][192.168.0.54][h\xc3\xb6st \"q\" $(x)][#`id`-c044]"},
	{"0 \"\"\n", "[0][]"},
	{"0 ;reboot\n", "[0][;reboot]"},
	{"0 $(reboot)|id&\n", "[0][$(reboot)|id&]"},
	{"0 a\xc3\xa9\xff\n", "[0][a\xc3\xa9\xff]"},
	{"0 \"open $(reboot)\n", "[0][open $(reboot)]"},
	{"0 \"x\\\n", "[0][x\\]"},
	{"0 \"a\\$b\"\n", "[0][a\\$b]"},
	{"0 1  2\n", "[0][1][2]"},
};

/* The shells at hand, as command lines; none skips the test. */
std::vector<std::string> shells()
{
	std::vector<std::string> found;
	for (const char *shell : {"/bin/dash", "/usr/bin/dash", "/bin/bash", "/usr/bin/busybox"}) {
		std::string sh = shell;
		if (sh.find("busybox") != std::string::npos)
			sh += " sh";
		else if (sh.find("bash") != std::string::npos)
			sh += " --posix";
		if (access(shell, X_OK) == 0)
			found.push_back(sh);
	}
	return found;
}

TEST(TextCommand, ShellsPassTheDumpWords)
{
	std::vector<std::string> found = shells();
	if (found.empty())
		GTEST_SKIP() << "no shell to try";
	for (const std::string &sh : found) {
		for (const ShellCase &c : SHELL_CASES) {
			std::string cmd = command('c', "N", c.value);
			EXPECT_EQ(words_through(sh, cmd), std::string("[-s][-t][c][N]") + c.words)
				<< sh << ": " << c.value;
		}
	}
}

/* Every byte a text can hold but the line feed, written as the dump
 * writes it, reaches kp7cui as that byte, in every shell and locale. */
TEST(TextCommand, EveryByteThroughTheShells)
{
	std::string escaped, raw;
	for (int b = 1; b < 256; b++) {
		if (b == '\n')
			continue;
		char hex[8];
		snprintf(hex, sizeof(hex), "\\x%02x", b);
		escaped += b == '"' ? "\\\"" : b == '\\' ? "\\\\" : b == '\r' ? "\\r" :
			   (b < 0x20 && b != '\t') || b == 0x7f ? hex : std::string(1, (char)b);
		raw += (char)b;
	}
	std::string cmd = command('c', "N", ("3 \"" + escaped + "\" \"\"\n").c_str());
	std::vector<std::string> found = shells();
	if (found.empty())
		GTEST_SKIP() << "no shell to try";
	for (const char *locale : {"C", "C.UTF-8"}) {
		setenv("LC_ALL", locale, 1);
		for (const std::string &sh : found)
			EXPECT_EQ(words_through(sh, cmd), "[-s][-t][c][N][3][" + raw + "][]") << sh << " " << locale;
	}
	unsetenv("LC_ALL");
}

TEST(TextCommand, BashInUtf8Locale)
{
	if (access("/bin/bash", X_OK) != 0)
		GTEST_SKIP() << "no bash";
	setenv("LC_ALL", "C.UTF-8", 1);
	for (const ShellCase &c : SHELL_CASES) {
		std::string cmd = command('c', "N", c.value);
		EXPECT_EQ(words_through("/bin/bash --posix", cmd), std::string("[-s][-t][c][N]") + c.words)
			<< c.value;
	}
	unsetenv("LC_ALL");
}

}  // namespace
