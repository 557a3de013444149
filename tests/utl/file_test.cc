/* State files, counter files and the clock-synchronised marker. */
#include <gtest/gtest.h>

#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "sandbox.h"
#include "utl.h"
#include "utl_int.h"

namespace {

TEST(UtlPutfile, ReplacesTheWholeFile)
{
	EXPECT_EQ(utl_putfile("/var/pppd_restart", "1", 1), 0);
	EXPECT_EQ(read_file(in_root("/var/pppd_restart")), "1");
	EXPECT_EQ(utl_putfile("/var/pppd_restart", "longer text", 11), 0);
	EXPECT_EQ(utl_putfile("/var/pppd_restart", "ab", 2), 0);
	EXPECT_EQ(read_file(in_root("/var/pppd_restart")), "ab");
	EXPECT_EQ(utl_putfile("/var/pppd_restart", "", 0), 0);
	EXPECT_EQ(read_file(in_root("/var/pppd_restart")), "");
	/* Binary data goes in as it is. */
	EXPECT_EQ(utl_putfile("/var/pppd_restart", "a\0b", 3), 0);
	EXPECT_EQ(read_file(in_root("/var/pppd_restart")), std::string("a\0b", 3));
	/* No temporary left behind. */
	EXPECT_TRUE(host_sh("[ -z \"$(ls " + in_root("/var") + " | grep pppd_restart.)\" ]"));
}

TEST(UtlPutfile, FilesThatCannotBeMadeAreQuiet)
{
	EXPECT_EQ(utl_putfile("/no/such/dir/file", "1", 1), 0);
	EXPECT_FALSE(exists(in_root("/no")));
	EXPECT_EQ(utl_putfile("/var/x", "1", -1), -1);
	EXPECT_FALSE(exists(in_root("/var/x")));
}

TEST(UtlPutfile, LinksAndSpecialFilesAreWrittenInPlace)
{
	/* The LED control file of the router is not a plain file. */
	ASSERT_EQ(mkfifo(in_root("/tmp/gpio").c_str(), 0644), 0);
	std::string got;
	std::thread reader([&got] { got = read_file(in_root("/tmp/gpio")); });
	EXPECT_EQ(utl_putfile("/tmp/gpio", "R", 1), 0);
	reader.join();
	EXPECT_EQ(got, "R");
	struct stat st;
	ASSERT_EQ(lstat(in_root("/tmp/gpio").c_str(), &st), 0);
	EXPECT_TRUE(S_ISFIFO(st.st_mode));

	ASSERT_TRUE(write_file(in_root("/tmp/target"), "old"));
	ASSERT_EQ(symlink("target", in_root("/tmp/link").c_str()), 0);
	EXPECT_EQ(utl_putfile("/tmp/link", "new", 3), 0);
	EXPECT_EQ(read_file(in_root("/tmp/target")), "new");
	ASSERT_EQ(lstat(in_root("/tmp/link").c_str(), &st), 0);
	EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(UtlGetfile, ReadsUpToTheLength)
{
	ASSERT_TRUE(write_file(in_root("/var/state"), "0123456789"));
	char buf[16];
	memset(buf, '#', sizeof(buf));
	EXPECT_EQ(utl_getfile("/var/state", buf, 4), 0);
	EXPECT_EQ(std::string(buf, 5), "0123#");
	/* A shorter file delivers what it has; the rest is left alone. */
	memset(buf, '#', sizeof(buf));
	EXPECT_EQ(utl_getfile("/var/state", buf, 15), 0);
	EXPECT_EQ(std::string(buf, 12), "0123456789##");
	/* A missing file leaves the buffer as it was. */
	memset(buf, '#', sizeof(buf));
	EXPECT_EQ(utl_getfile("/var/missing", buf, 15), 0);
	EXPECT_EQ(std::string(buf, 2), "##");
	EXPECT_EQ(utl_getfile("/var/state", buf, -1), 0);
	EXPECT_EQ(std::string(buf, 2), "##");
	/* A directory opens but cannot be read. */
	EXPECT_EQ(utl_getfile("/var", buf, 15), -1);
}

TEST(UtlCountupfile, CountsAndRestarts)
{
	const std::string path = in_root("/var/fact/ppp_timeout");
	unlink(path.c_str());
	struct Case {
		const char *before; /* null: no file */
		const char *after;
	} cases[] = {
		{nullptr, "1"}, {"1", "2"}, {"9", "10"}, {"9\n", "0"}, {"", "1"},
		{"4 ", "0"},    {"x", "0"}, {"0x1f", "32"}, {"010", "9"}, {"-3", "-2"},
		{"2147483646", "2147483647"}, {"2147483647", "0"}, {"99999999999999999999", "0"},
	};
	for (const Case &c : cases) {
		if (c.before)
			ASSERT_TRUE(write_file(path, c.before));
		else
			unlink(path.c_str());
		EXPECT_EQ(utl_countupfile("/var/fact/ppp_timeout"), 0);
		EXPECT_EQ(read_file(path), c.after) << (c.before ? c.before : "(none)");
	}
	/* Only the first 79 bytes are looked at. */
	ASSERT_TRUE(write_file(path, std::string(78, ' ') + "5" + "junk"));
	utl_countupfile("/var/fact/ppp_timeout");
	EXPECT_EQ(read_file(path), "6");
	/* A counter in a directory that does not exist is quietly not kept. */
	EXPECT_EQ(utl_countupfile("/var/none/count"), 0);
	EXPECT_FALSE(exists(in_root("/var/none")));
}

TEST(UtlCountupfile, CountText)
{
	EXPECT_EQ(utl_count_next(""), 1);
	EXPECT_EQ(utl_count_next("  7"), 8);
	EXPECT_EQ(utl_count_next("7\n"), 0);
	EXPECT_EQ(utl_count_next("-2147483648"), -2147483647);
	EXPECT_EQ(utl_count_next("-2147483649"), 0);
}

TEST(UtlDateSync, MarkerFile)
{
	unlink(in_root("/tmp/ntp_tmp").c_str());
	EXPECT_EQ(utl_check_date_sync(), 0);
	ASSERT_TRUE(write_file(in_root("/tmp/ntp_tmp"), "synced at 12:00\nsecond line\n"));
	EXPECT_EQ(utl_check_date_sync(), 1);
	EXPECT_STREQ(utl_sc->work_buf, "synced at 12:00\n");
	ASSERT_TRUE(write_file(in_root("/tmp/ntp_tmp"), ""));
	EXPECT_EQ(utl_check_date_sync(), 1);
	EXPECT_STREQ(utl_sc->work_buf, "");
	/* A long first line is cut at 510 characters and terminated. */
	ASSERT_TRUE(write_file(in_root("/tmp/ntp_tmp"), std::string(600, 'n')));
	EXPECT_EQ(utl_check_date_sync(), 1);
	EXPECT_EQ(std::string(utl_sc->work_buf), std::string(510, 'n'));
	unlink(in_root("/tmp/ntp_tmp").c_str());
}

}  // namespace
