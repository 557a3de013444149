/* Files by router path, outside any sandbox root: paths are used as given. */
#include <gtest/gtest.h>

#include <errno.h>
#include <signal.h>
#include <string.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <unistd.h>

#include "probe.h"
#include "sandbox.h"
#include "sys.h"

namespace {

int drop_dac_override(void)
{
	struct __user_cap_header_struct hdr = {_LINUX_CAPABILITY_VERSION_3, 0};
	struct __user_cap_data_struct data[2];
	if (syscall(SYS_capget, &hdr, data) < 0)
		return -1;
	data[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) |
			       (1u << CAP_FOWNER));
	return syscall(SYS_capset, &hdr, data);
}

mode_t mode_of(const std::string &path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

}  // namespace

TEST(SysWriteAtomic, WritesAndReplacesWhole)
{
	TempDir t;
	std::string f = t / "state";
	ASSERT_EQ(sys_write_atomic(f.c_str(), "first, longer content\n", 22, 0600), 0);
	EXPECT_EQ(read_file(f), "first, longer content\n");
	EXPECT_EQ(mode_of(f), 0600u);
	ASSERT_EQ(sys_write_atomic(f.c_str(), "2nd", 3, 0644), 0);
	EXPECT_EQ(read_file(f), "2nd");
	EXPECT_EQ(mode_of(f), 0644u);
	ASSERT_EQ(sys_write_atomic(f.c_str(), "", 0, 0644), 0);
	EXPECT_EQ(read_file(f), "");
	EXPECT_EQ(listing(t.path), "state ");
}

TEST(SysWriteAtomic, FailureKeepsOldFileAndRemovesTemporary)
{
	TempDir t;
	std::string f = t / "state";
	write_file(f, "old");

	/* The data does not fit (file size limit): the write fails half-way. */
	EXPECT_EQ(in_child([&] {
			  signal(SIGXFSZ, SIG_IGN);
			  struct rlimit rl = {4, 4};
			  setrlimit(RLIMIT_FSIZE, &rl);
			  int rc = sys_write_atomic(f.c_str(), "new content", 11, 0644);
			  return rc == -1 && errno == EFBIG ? 0 : 1;
		  }),
		  0) << "expected -1/EFBIG";
	EXPECT_EQ(read_file(f), "old");
	EXPECT_EQ(listing(t.path), "state ");

	/* The rename fails: the target is a directory. */
	std::string d = t / "dir";
	ASSERT_EQ(mkdir(d.c_str(), 0755), 0);
	write_file(d + "/inside", "x");
	EXPECT_EQ(sys_write_atomic(d.c_str(), "new", 3, 0644), -1);
	EXPECT_EQ(listing(t.path), "dir state ");

	/* No file can be made in the directory at all. */
	EXPECT_EQ(sys_write_atomic((t / "missing/state").c_str(), "new", 3, 0644), -1);
	EXPECT_EQ(errno, ENOENT);
}

TEST(SysWriteAtomic, UnwritableDirectoryKeepsOldContent)
{
	TempDir t;
	std::string f = t / "state";
	write_file(f, "old");
	chmod(t.path.c_str(), 0555);
	int code = in_child([&] {
		/* Root overrides directory permissions unless it gives that up. */
		if (geteuid() == 0 && drop_dac_override() < 0)
			return 2;
		int rc = sys_write_atomic(f.c_str(), "new", 3, 0644);
		return rc == -1 && errno == EACCES ? 0 : 1;
	});
	chmod(t.path.c_str(), 0755);
	EXPECT_EQ(code, 0) << "expected -1/EACCES";
	EXPECT_EQ(read_file(f), "old");
	EXPECT_EQ(listing(t.path), "state ");
}

TEST(SysWriteAtomic, PathTooLong)
{
	std::string p = "/tmp/" + std::string(600, 'x');
	errno = 0;
	EXPECT_EQ(sys_write_atomic(p.c_str(), "x", 1, 0644), -1);
	EXPECT_EQ(errno, ENAMETOOLONG);
}

TEST(SysReadFile, ReadsUpToSize)
{
	TempDir t;
	std::string f = t / "f";
	write_file(f, "0123456789");
	char buf[32] = {};
	EXPECT_EQ(sys_read_file(f.c_str(), buf, sizeof(buf)), 10);
	EXPECT_STREQ(buf, "0123456789");
	memset(buf, 0, sizeof(buf));
	EXPECT_EQ(sys_read_file(f.c_str(), buf, 4), 4);
	EXPECT_STREQ(buf, "0123");
	write_file(f, "");
	EXPECT_EQ(sys_read_file(f.c_str(), buf, sizeof(buf)), 0);
	errno = 0;
	EXPECT_EQ(sys_read_file((t / "none").c_str(), buf, sizeof(buf)), -1);
	EXPECT_EQ(errno, ENOENT);
	EXPECT_EQ(sys_read_file(t.path.c_str(), buf, sizeof(buf)), -1) << "a directory";
}

TEST(SysMkdirP, MakesEveryLevel)
{
	TempDir t;
	std::string deep = t / "a/b/c";
	mode_t um = umask(0);
	umask(um);
	ASSERT_EQ(sys_mkdir_p(deep.c_str(), 0750), 0);
	EXPECT_EQ(mode_of(deep), 0750u & ~um);
	EXPECT_EQ(sys_mkdir_p(deep.c_str(), 0750), 0) << "existing is fine";
	EXPECT_EQ(sys_mkdir_p((t / "a/b/d/").c_str(), 0755), 0) << "trailing slash";
	EXPECT_EQ(listing(t / "a/b"), "c d ");

	write_file(t / "file", "x");
	errno = 0;
	EXPECT_EQ(sys_mkdir_p((t / "file/sub").c_str(), 0755), -1);
	EXPECT_EQ(errno, ENOTDIR);
	errno = 0;
	EXPECT_EQ(sys_mkdir_p(("/tmp/" + std::string(600, 'y')).c_str(), 0755), -1);
	EXPECT_EQ(errno, ENAMETOOLONG);
}
