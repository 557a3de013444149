/* The header-only platform layer of the small programs against the full
 * one: the same root mapping and the same simulated clock.  ctest runs
 * this with KP7_ROOT and a fast simulated clock set (CMakeLists.txt). */
#include <gtest/gtest.h>

#include "sys.h"
#include "sys_tiny.h"

TEST(Tiny, RootAndPathsAsTheFullLayer)
{
	ASSERT_STREQ(sys_root(), "/tmp/kp7-tiny-root");
	EXPECT_STREQ(sys_tiny_root(), sys_root());
	std::string long_path = "/" + std::string(600, 'x');
	for (const char *path : {"/dev/ttyUSB0", "/etc/ppp/mdmprobe.err", "relative/file", "/", "",
				 long_path.c_str()})
		EXPECT_STREQ(SysTinyPath(path), SysPath(path)) << path;
}

TEST(Tiny, SimulatedClockAsTheFullLayer)
{
	/* started at 1000000.25 and running 10 times too fast; the two clocks
	 * are anchored by constructors a moment apart (longer when emulated) */
	time_t full = sys_time(), tiny = sys_tiny_time();
	EXPECT_GE(full, 1000000);
	EXPECT_LT(full, 1000000 + 60);
	EXPECT_LE(tiny - full, 1);
	EXPECT_GE(tiny, full);

	/* 3 simulated seconds pass in about 0.3 s, on both */
	double real = sys_tiny_monotonic();
	sys_tiny_usleep(3000000);
	double took = sys_tiny_monotonic() - real;
	EXPECT_GE(took, 0.29);
	EXPECT_LT(took, 3.0);
	EXPECT_GE(sys_time(), full + 3);
	EXPECT_GE(sys_tiny_time(), tiny + 3);
	EXPECT_LE(sys_tiny_time() - sys_time(), 1);
	EXPECT_DOUBLE_EQ(sys_tiny_real_seconds(3.0), 0.3);
}

TEST(Tiny, AtomicReplacementLeavesNoTail)
{
	/* Router paths would land under the fixed root of this binary:
	 * relative paths (left alone) in a directory of our own instead. */
	char dir[] = "/tmp/kp7tiny.XXXXXX";
	ASSERT_TRUE(mkdtemp(dir));
	std::string file = std::string(dir) + "/f";
	ASSERT_EQ(chdir(dir), 0);
	ASSERT_EQ(sys_tiny_write_atomic("f", "a long first record\n", 20, 0644), 0);
	ASSERT_EQ(sys_tiny_write_atomic("f", "short\n", 6, 0644), 0);
	char buf[64] = {};
	FILE *f = fopen(file.c_str(), "r");
	ASSERT_TRUE(f);
	size_t n = fread(buf, 1, sizeof(buf), f);
	fclose(f);
	EXPECT_EQ(std::string(buf, n), "short\n");
	struct stat st;
	ASSERT_EQ(stat(file.c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 0777, 0644u);
	EXPECT_EQ(sys_tiny_write_atomic("nodir/f", "x", 1, 0644), -1);
	ASSERT_EQ(chdir("/"), 0);
	unlink(file.c_str());
	EXPECT_EQ(rmdir(dir), 0) << "a temporary file was left behind";
}
