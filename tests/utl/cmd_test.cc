/* Command lines: outside values reach the program as exactly one word. */
#include <gtest/gtest.h>

#include <string>

#include "sandbox.h"
#include "text.h"
#include "utl.h"

namespace {

/* Each word reaches the program as one argument, byte for byte, through
 * the root's shell. */
TEST(UtlCmd, WordsSurviveTheRootsShell)
{
	const char *words[] = {"plain", "two words", "quote ' inside", "$HOME `id` $(id)",
			       "new\nline", "*", "''", "\\", ""};
	for (const char *w : words) {
		char buf[256];
		SysText cmd(buf);
		cmd.text("printf '%s|' ").word(w).text(" >/tmp/word");
		ASSERT_TRUE(cmd.ok());
		FILE *f = utl_popen(buf, "r");
		ASSERT_NE(f, nullptr);
		EXPECT_EQ(utl_pclose(f), 0);
		EXPECT_EQ(read_file(in_root("/tmp/word")), std::string(w) + "|");
	}
}

}  // namespace
