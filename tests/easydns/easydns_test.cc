/*
 * The host-name table against a hosts file in a private sandbox root:
 * which lines are entries, that listing and deleting agree on entry n,
 * that other lines survive byte for byte, and that a failed write (read
 * only file system, full disk) leaves the file as it was.
 */
#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <sched.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "cui.h"
#include "easydns.h"
#include "roots.h"
#include "sandbox.h"

namespace {

/* The sandbox root, fixed before main(): the platform layer reads
 * KP7_ROOT once per process. */
struct Root : TempRoot {
	Root()
	{
		set_test_root(path);
		make_dirs(dir());
	}
	std::string dir() const { return path + "/var/mnt/etc"; }
	std::string hosts() const { return path + EASYDNS_FILE; }
};
Root root;

cs_easydns_t entry(const char *addr, const char *host, const char *comment)
{
	cs_easydns_t e = {};
	sscanf(addr, "%hhu.%hhu.%hhu.%hhu", &e.addr[0], &e.addr[1], &e.addr[2], &e.addr[3]);
	snprintf(e.host, sizeof(e.host), "%s", host);
	snprintf(e.comment, sizeof(e.comment), "%s", comment);
	return e;
}

/* Entry n as "a.b.c.d|host|comment", "-" when there is none. */
std::string shown(int n)
{
	cs_easydns_t e;
	memset(&e, 0x5a, sizeof(e));
	if (GetEasyDns(n, &e) != n)
		return "-";
	char buf[400];
	snprintf(buf, sizeof(buf), "%u.%u.%u.%u|%s|%s", e.addr[0], e.addr[1], e.addr[2], e.addr[3],
		 e.host, e.comment);
	return buf;
}

/* Every entry, in order, one per line. */
std::string table()
{
	std::string s;
	int count = GetEasyDns(0, nullptr);
	for (int i = 1; i <= count; i++)
		s += shown(i) + "\n";
	return s;
}

/* A file mixing entries with every kind of line that is not one. */
const std::string MIXED =
	"# hosts of the router\n"
	"127.0.0.1\tlocalhost.localdomain\tlocalhost\n"
	"\n"
	"192.168.0.10\tprinter\t# first floor\n"
	"192.168.0.11 scanner # blanks, not TABs\n"
	"127.0.0.1\tlocalhost\n"
	"10.0.0.300\tbadaddr\t#\n"
	"10.0.0.1\t\t\n"
	"10.0.0.2\n"
	" 10.0.0.3\tleading-blank\n"
	"#10.0.0.4\tcommented\n"
	"192.168.0.12\t\tnas box\t\t# two TABs, blank inside\tfourth field\n"
	"127.0.0.1\tlocalhost.localdomainx\n"
	"192.168.0.13\tlast\t# no LF";

class EasyDns : public ::testing::Test {
protected:
	void SetUp() override
	{
		remove_tree(root.dir());
		make_dirs(root.dir());
		cui_sc->debug_level = 0;
	}
};

TEST_F(EasyDns, OnlyTabSeparatedLinesAreEntries)
{
	write_file(root.hosts(), MIXED);
	EXPECT_EQ(GetEasyDns(0, nullptr), 4);
	EXPECT_EQ(table(), "192.168.0.10|printer|# first floor\n"
			   "192.168.0.12|nas box|# two TABs, blank inside\n"
			   "127.0.0.1|localhost.localdomainx|\n"
			   "192.168.0.13|last|# no LF\n");
	EXPECT_EQ(shown(5), "-");
	EXPECT_EQ(shown(-1), "-");

	/* only comments and the loopback line: no entry */
	write_file(root.hosts(), "# a\n127.0.0.1\tlocalhost.localdomain\tlocalhost\n#b");
	EXPECT_EQ(GetEasyDns(0, nullptr), 0);
	EXPECT_EQ(shown(1), "-");
}

TEST_F(EasyDns, FieldsAreCutToTheirRoom)
{
	std::string host(300, 'h'), comment = "#" + std::string(99, 'c');
	write_file(root.hosts(), "1.2.3.4\t" + host + "\t" + comment + "\n");
	cs_easydns_t e;
	ASSERT_EQ(GetEasyDns(1, &e), 1);
	EXPECT_EQ(std::string(e.host), host.substr(0, 255));
	EXPECT_EQ(std::string(e.comment), comment.substr(0, 67));
}

/* A line is judged by its first 1023 characters; the rest of a longer
 * line is not a line of its own, for listing and deleting alike. */
TEST_F(EasyDns, LongLinesAreOneLine)
{
	std::string late_host = "5.5.5.5" + std::string(1020, '\t') + "late\n";
	std::string tail_like_entry = "6.6.6.6\t" + std::string(1015, 'x') + "7.7.7.7\tghost\n";
	std::string text = late_host + tail_like_entry + "8.8.8.8\treal\t#\n";
	write_file(root.hosts(), text);
	EXPECT_EQ(table(), "6.6.6.6|" + std::string(255, 'x') + "|\n8.8.8.8|real|#\n");
	ASSERT_EQ(DelEasyDns(2), 0);
	EXPECT_EQ(read_file(root.hosts()), late_host + tail_like_entry);
	ASSERT_EQ(DelEasyDns(0), 0);
	EXPECT_EQ(read_file(root.hosts()), late_host);
}

/* Entry n of the listing is the line that deleting entry n removes. */
TEST_F(EasyDns, DeleteRemovesTheListedEntry)
{
	write_file(root.hosts(), MIXED);
	std::vector<std::string> before;
	for (int i = 1; i <= 4; i++)
		before.push_back(shown(i));
	for (int n = 1; n <= 4; n++) {
		write_file(root.hosts(), MIXED);
		ASSERT_EQ(DelEasyDns(n), 0) << n;
		std::string expected;
		for (int i = 1; i <= 4; i++)
			if (i != n)
				expected += before[i - 1] + "\n";
		EXPECT_EQ(table(), expected) << "deleting entry " << n;
		EXPECT_EQ(listing(root.dir()), "hosts ");
	}
}

TEST_F(EasyDns, DeleteKeepsOtherLinesByteForByte)
{
	const std::string a = "# top\n", b = "10.0.0.1\tone\t#1\n", c = "\t\n", d = "10.0.0.2\ttwo\t#2\n",
			  e = "127.0.0.1\tlocalhost\n", f = "10.0.0.3\tthree\t#3\n",
			  g = "1.1.1.1 blank sep\n", h = "#last line \xff\t\x01 without LF";
	write_file(root.hosts(), a + b + c + d + e + f + g + h);
	ASSERT_EQ(DelEasyDns(2), 0);
	EXPECT_EQ(read_file(root.hosts()), a + b + c + e + f + g + h);
	EXPECT_EQ(table(), "10.0.0.1|one|#1\n10.0.0.3|three|#3\n");

	/* the former entry 3 is now entry 2 */
	ASSERT_EQ(DelEasyDns(2), 0);
	EXPECT_EQ(read_file(root.hosts()), a + b + c + e + g + h);

	/* deleting every entry leaves everything else */
	write_file(root.hosts(), a + b + c + d + e + f + g + h);
	ASSERT_EQ(DelEasyDns(0), 0);
	EXPECT_EQ(read_file(root.hosts()), a + c + e + g + h);
	EXPECT_EQ(GetEasyDns(0, nullptr), 0);

	/* an entry on a last line without LF goes, the rest stays whole */
	write_file(root.hosts(), a + "10.0.0.9\tend");
	ASSERT_EQ(DelEasyDns(1), 0);
	EXPECT_EQ(read_file(root.hosts()), a);
}

TEST_F(EasyDns, DeleteOfNoEntryChangesNothing)
{
	write_file(root.hosts(), MIXED);
	struct stat before, after;
	ASSERT_EQ(stat(root.hosts().c_str(), &before), 0);
	EXPECT_EQ(DelEasyDns(5), 0);
	EXPECT_EQ(DelEasyDns(-1), 0);
	EXPECT_EQ(read_file(root.hosts()), MIXED);
	ASSERT_EQ(stat(root.hosts().c_str(), &after), 0);
	EXPECT_EQ(before.st_ino, after.st_ino) << "the file was not rewritten";

	unlink(root.hosts().c_str());
	EXPECT_EQ(DelEasyDns(0), -1);
	EXPECT_EQ(GetEasyDns(0, nullptr), 0);
	EXPECT_EQ(listing(root.dir()), "");
}

TEST_F(EasyDns, AddAppendsOneWholeLine)
{
	/* no file yet: it is made */
	cs_easydns_t e = entry("192.168.0.20", "tv", "# living room");
	ASSERT_EQ(SetEasyDns(&e), 0);
	EXPECT_EQ(read_file(root.hosts()), "192.168.0.20\ttv\t# living room\n");

	/* an entry without a comment has an empty third field */
	e = entry("10.1.2.3", "nocomment", "");
	ASSERT_EQ(SetEasyDns(&e), 0);
	EXPECT_EQ(read_file(root.hosts()), "192.168.0.20\ttv\t# living room\n10.1.2.3\tnocomment\t\n");
	EXPECT_EQ(table(), "192.168.0.20|tv|# living room\n10.1.2.3|nocomment|\n");

	/* a last line without LF is ended first, the rest left alone */
	write_file(root.hosts(), MIXED);
	chmod(root.hosts().c_str(), 0600);
	e = entry("10.9.9.9", "added", "#new");
	ASSERT_EQ(SetEasyDns(&e), 0);
	EXPECT_EQ(read_file(root.hosts()), MIXED + "\n10.9.9.9\tadded\t#new\n");
	EXPECT_EQ(shown(5), "10.9.9.9|added|#new");
	struct stat st;
	ASSERT_EQ(stat(root.hosts().c_str(), &st), 0);
	EXPECT_EQ(st.st_mode & 07777, 0600u);
	EXPECT_EQ(listing(root.dir()), "hosts ");
}

/* The longest record the set command can hand over fits whole. */
TEST_F(EasyDns, AddLongestRecord)
{
	std::string host(255, 'n'), comment = "#" + std::string(66, 'c');
	cs_easydns_t e = entry("255.255.255.255", host.c_str(), comment.c_str());
	ASSERT_EQ(SetEasyDns(&e), 0);
	EXPECT_EQ(read_file(root.hosts()), "255.255.255.255\t" + host + "\t" + comment + "\n");
	EXPECT_EQ(shown(1), "255.255.255.255|" + host + "|" + comment);
}

/* A record that would break the file into other lines is refused. */
TEST_F(EasyDns, AddRefusesLineBreakingRecords)
{
	write_file(root.hosts(), MIXED);
	cs_easydns_t bad[] = {
		entry("10.0.0.1", "two\nlines", "#"),
		entry("10.0.0.1", "tab\tname", "#"),
		entry("10.0.0.1", "host", "#comment\n10.0.0.66\tinjected"),
		entry("10.0.0.1", "", "#empty host"),
	};
	for (const cs_easydns_t &e : bad)
		EXPECT_EQ(SetEasyDns(&e), -1) << e.host << "/" << e.comment;
	cs_easydns_t unterminated = entry("10.0.0.1", "x", "#");
	memset(unterminated.host, 'x', sizeof(unterminated.host));
	EXPECT_EQ(SetEasyDns(&unterminated), -1);
	EXPECT_EQ(read_file(root.hosts()), MIXED);
	/* a TAB in a comment only ends the comment */
	cs_easydns_t tab_comment = entry("10.0.0.1", "h", "#a\tb");
	EXPECT_EQ(SetEasyDns(&tab_comment), 0);
	EXPECT_EQ(shown(5), "10.0.0.1|h|#a");
}

TEST_F(EasyDns, TracesAtDebugLevelSeven)
{
	write_file(root.hosts(), "127.0.0.1\tlocalhost.localdomain\tlocalhost\n1.2.3.4\tbox\n");
	auto printed = [](const std::function<void()> &fn) {
		testing::internal::CaptureStdout();
		fn();
		fflush(stdout);
		return testing::internal::GetCapturedStdout();
	};
	cui_sc->debug_level = 6;
	EXPECT_EQ(printed([] { GetEasyDns(0, nullptr); }), "");
	cui_sc->debug_level = 7;
	EXPECT_EQ(printed([] { EXPECT_EQ(GetEasyDns(0, nullptr), 1); }),
		  "127.0.0.1 localhost.localdomain localhost\n1.2.3.4 box \n");
	unlink(root.hosts().c_str());
	EXPECT_EQ(printed([] {
			  EXPECT_EQ(GetEasyDns(1, nullptr), 0);
			  EXPECT_EQ(DelEasyDns(1), -1);
		  }),
		  "can't open file.\ncan't open file.\n");
}

/* Adds from several processes at once all land: changes are serialised. */
TEST_F(EasyDns, ConcurrentAddsAllLand)
{
	write_file(root.hosts(), "# shared\n");
	constexpr int PROCS = 4, EACH = 15;
	pid_t pids[PROCS];
	for (int p = 0; p < PROCS; p++) {
		pids[p] = fork();
		ASSERT_GE(pids[p], 0);
		if (pids[p] == 0) {
			int bad = 0;
			for (int i = 0; i < EACH; i++) {
				char host[32];
				snprintf(host, sizeof(host), "p%d-%d", p, i);
				cs_easydns_t e = entry("10.0.0.1", host, "#");
				bad += SetEasyDns(&e) != 0;
			}
			_exit(bad);
		}
	}
	for (pid_t pid : pids) {
		int status;
		ASSERT_EQ(waitpid(pid, &status, 0), pid);
		EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
	}
	EXPECT_EQ(GetEasyDns(0, nullptr), PROCS * EACH);
	EXPECT_EQ(listing(root.dir()), "hosts ");
}

/* ---- write failures ---- */

/*
 * Runs `body` in a child process that has its own mount namespace with a
 * fresh tmpfs (options `opts`) on the hosts file's directory; returns
 * what the body returns, or "SKIP: why" when the namespace cannot be made.
 */
std::string in_private_tmpfs(const char *opts, const std::function<std::string()> &body)
{
	int fds[2];
	if (pipe(fds) < 0)
		return "SKIP: pipe";
	fflush(stdout);
	pid_t pid = fork();
	if (pid == 0) {
		close(fds[0]);
		std::string out;
		uid_t uid = getuid();
		gid_t gid = getgid();
		if (unshare(CLONE_NEWNS) < 0) {
			/* not root: a user namespace of our own maps us to root */
			if (unshare(CLONE_NEWUSER | CLONE_NEWNS) < 0) {
				out = std::string("SKIP: no mount namespace: ") + strerror(errno);
			} else {
				auto put = [](const char *file, const std::string &text) {
					int fd = open(file, O_WRONLY);
					(void)!write(fd, text.data(), text.size());
					close(fd);
				};
				put("/proc/self/setgroups", "deny");
				put("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1\n");
				put("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1\n");
			}
		}
		if (out.empty() && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) < 0)
			out = std::string("SKIP: private mounts: ") + strerror(errno);
		if (out.empty() && mount("tmpfs", root.dir().c_str(), "tmpfs", 0, opts) < 0)
			out = std::string("SKIP: tmpfs: ") + strerror(errno);
		if (out.empty())
			out = body();
		(void)!write(fds[1], out.data(), out.size());
		_exit(0);
	}
	close(fds[1]);
	std::string out = drain(fds[0]);
	int status;
	waitpid(pid, &status, 0);
	return out;
}

const std::string THREE = "# keep\n10.0.0.1\tone\t#1\n10.0.0.2\ttwo\t#2\n10.0.0.3\tthree\t#3\n";

/* Every change attempted on THREE; what came back and what the file holds. */
std::string attempt_changes()
{
	cs_easydns_t e = entry("10.0.0.4", "four", "#4");
	std::string r = "set " + std::to_string(SetEasyDns(&e));
	r += " del2 " + std::to_string(DelEasyDns(2));
	r += " delall " + std::to_string(DelEasyDns(0));
	r += read_file(root.hosts()) == THREE ? " unchanged" : " CHANGED: " + read_file(root.hosts());
	r += " | " + listing(root.dir());
	return r;
}

TEST_F(EasyDns, ReadOnlyFileSystemKeepsFile)
{
	std::string r = in_private_tmpfs("size=64k", [] {
		write_file(root.hosts(), THREE);
		if (mount("tmpfs", root.dir().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, "size=64k") < 0)
			return std::string("SKIP: remount read-only: ") + strerror(errno);
		return attempt_changes() + " | count " + std::to_string(GetEasyDns(0, nullptr));
	});
	if (r.rfind("SKIP", 0) == 0)
		GTEST_SKIP() << r;
	EXPECT_EQ(r, "set -1 del2 -1 delall -1 unchanged | hosts  | count 3");
}

TEST_F(EasyDns, FullDiskKeepsFile)
{
	std::string r = in_private_tmpfs("size=16k", [] {
		write_file(root.hosts(), THREE);
		/* fill every page that is left */
		int fd = open((root.dir() + "/filler").c_str(), O_WRONLY | O_CREAT, 0644);
		char block[1024] = {};
		while (write(fd, block, sizeof(block)) > 0)
			;
		close(fd);
		std::string full = attempt_changes();
		/* and with room again, the same changes work */
		unlink((root.dir() + "/filler").c_str());
		int del = DelEasyDns(2);
		return full + " | then del2 " + std::to_string(del) + " " + read_file(root.hosts());
	});
	if (r.rfind("SKIP", 0) == 0)
		GTEST_SKIP() << r;
	EXPECT_EQ(r, "set -1 del2 -1 delall -1 unchanged | filler hosts  | then del2 0 "
		     "# keep\n10.0.0.1\tone\t#1\n10.0.0.3\tthree\t#3\n");
}

/* Without root, a directory without write permission stands for a read
 * only file system; root ignores the permission bits. */
TEST_F(EasyDns, UnwritableDirectoryKeepsFile)
{
	if (geteuid() == 0)
		GTEST_SKIP() << "root writes regardless of permissions; "
				"ReadOnlyFileSystemKeepsFile covers this case";
	write_file(root.hosts(), THREE);
	chmod(root.dir().c_str(), 0555);
	std::string r = attempt_changes();
	chmod(root.dir().c_str(), 0755);
	EXPECT_EQ(r, "set -1 del2 -1 delall -1 unchanged | hosts ");
}

}  // namespace
