/*
 * Ten thousand commands in a row leave no descriptor open and no child
 * behind.  The root here is a plain one whose shell is the machine's
 * /bin/sh and whose flash only prints a line: the commands are fixed and
 * harmless, and what is measured is this process, not them.
 */
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "sandbox.h"
#include "utl.h"

namespace {

class FastRoot : public testing::Environment {
public:
	void SetUp() override
	{
		dir = new TempDir("kp7leak");
		std::string bin = *dir / "bin";
		ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
		ASSERT_EQ(symlink("/bin/sh", (bin + "/sh").c_str()), 0);
		ASSERT_TRUE(write_file(bin + "/flash", "#!/bin/sh\necho \"$2=\\\"leak test\\\"\"\n", 0755));
		setenv("PATH", (bin + ":" + getenv("PATH")).c_str(), 1);
		set_test_root(dir->path);
	}
	void TearDown() override { delete dir; }

private:
	TempDir *dir = nullptr;
};

testing::Environment *const fast_root = testing::AddGlobalTestEnvironment(new FastRoot);

int cycles(void)
{
	const char *env = getenv("KP7_LEAK_CYCLES");
	return env && *env ? atoi(env) : 10000;
}

TEST(UtlLeaks, PopenAndPclose)
{
	int fds = open_fds(), n = cycles();
	ASSERT_TRUE(no_children());
	for (int i = 0; i < n; i++) {
		FILE *f = utl_popen("echo x", i % 3 == 0 ? "r" : i % 3 == 1 ? "e" : "w");
		ASSERT_NE(f, nullptr) << i;
		char buf[8];
		if (i % 3 == 0) {
			ASSERT_NE(fgets(buf, sizeof(buf), f), nullptr);
		}
		ASSERT_EQ(utl_pclose(f), 0) << i;
	}
	EXPECT_EQ(open_fds(), fds);
	EXPECT_TRUE(no_children());
}

TEST(UtlLeaks, FlashGet)
{
	int fds = open_fds(), n = cycles();
	ASSERT_TRUE(no_children());
	for (int i = 0; i < n; i++) {
		char value[512] = "";
		ASSERT_EQ(utl_flash("WLAN_SSID", value, 0), 0) << i;
		ASSERT_STREQ(value, "leak") << i;
	}
	EXPECT_EQ(open_fds(), fds);
	EXPECT_TRUE(no_children());
}

}  // namespace
