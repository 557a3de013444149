/* What depends on the environment a program starts with: the sandbox
 * root, the simulated clock, the command runner and the syslog mirror.
 * Each case runs the probe as a fresh process. */
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>
#include <sys/wait.h>
#include <syslog.h>

#include "probe.h"

namespace {

int exit_code(const ProbeResult &r)
{
	return WIFEXITED(r.status) ? WEXITSTATUS(r.status) : -1;
}

std::string path_under(const char *root, const char *path)
{
	std::vector<std::string> env = {"KP7_ROOT"};
	if (root)
		env[0] = std::string("KP7_ROOT=") + root;
	return probe(env, {"path", path}).out;
}

/* A root whose bin/sh reports how it was called instead of running
 * anything: status is the length of the command, so each differs. */
struct FakeRoot : TempDir {
	FakeRoot()
	{
		std::string bin = *this / "bin";
		make_dirs(bin);
		make_dirs(*this / "var/log");
		write_file(bin + "/sh",
			   "#!/bin/bash\n"
			   "printf 'fake:%s:%s:%s\\n' \"$1\" \"$2\" \"$KP7_ROOT\"\n"
			   "[ \"$2\" != stdin ] || cat >\"${0%/bin/sh}/got\"\n"
			   /* $KP7_EMULATOR: empty unless a cross build's test */
			   "[ \"$2\" != clock ] || exec $KP7_EMULATOR \"$PROBE\" --probe time\n"
			   "exit ${#2}\n",
			   0755);
	}
	std::vector<std::string> env(std::vector<std::string> more = {}) const
	{
		more.push_back("KP7_ROOT=" + path);
		more.push_back("PROBE=" + self_exe());
		return more;
	}
};

}  // namespace

TEST(SysPath, MapsAbsolutePathsUnderTheRoot)
{
	EXPECT_EQ(path_under("/tmp/r", "/etc/x"), "[/tmp/r/etc/x]\n");
	EXPECT_EQ(path_under("/tmp/r/", "/etc/x"), "[/tmp/r/etc/x]\n");
	EXPECT_EQ(path_under("/tmp/r//", "/"), "[/tmp/r/]\n");
	EXPECT_EQ(path_under("/", "/etc/x"), "[/etc/x]\n") << "inside the root";
	EXPECT_EQ(path_under(nullptr, "/etc/x"), "[/etc/x]\n") << "no root";
	EXPECT_EQ(path_under("/tmp/r", "etc/x"), "[etc/x]\n") << "relative stays";
	EXPECT_EQ(path_under("/tmp/r", ""), "[]\n");
}

TEST(SysPath, TooLongIsEmpty)
{
	std::string root = "/tmp/" + std::string(200, 'r');
	std::string fits = "/" + std::string(511 - root.size() - 1, 'p');
	std::string over = fits + "p";
	EXPECT_EQ(path_under(root.c_str(), fits.c_str()), "[" + root + fits + "]\n");
	EXPECT_EQ(path_under(root.c_str(), over.c_str()), "[]\n");
	EXPECT_EQ(path_under(nullptr, std::string(600, 'a').c_str()), "[]\n");

	/* A root too long for the buffers must not be silently cut short. */
	ProbeResult r = probe({"KP7_ROOT=/" + std::string(300, 'r')}, {"path", "/x"});
	EXPECT_FALSE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0) << r.out;
}

TEST(SysClock, SimulatedStartAndRate)
{
	ProbeResult r = probe({"KP7_TIME_START=1000000.9", "KP7_TIME_RATE"}, {"time"});
	EXPECT_EQ(r.out, "1000000\n");

	/* 60 simulated seconds at 600 per second take a tenth of a second. */
	r = probe({"KP7_TIME_START=5000", "KP7_TIME_RATE=600"}, {"sleep", "60"});
	long long before, after;
	double real;
	ASSERT_EQ(sscanf(r.out.c_str(), "%lld %lld %lf", &before, &after, &real), 3) << r.out;
	EXPECT_GE(before, 5000);
	EXPECT_LE(before, 5000 + 60) << "start-up took more than 0.1 s real";
	EXPECT_GE(after - before, 60);
	EXPECT_LE(after - before, 60 + 60);
	EXPECT_GE(real, 0.095);
	EXPECT_LT(real, 0.5);
}

TEST(SysClock, BadRateRunsInRealTime)
{
	for (const char *rate : {"KP7_TIME_RATE=0", "KP7_TIME_RATE=-5", "KP7_TIME_RATE=abc",
				 "KP7_TIME_RATE=inf"}) {
		ProbeResult r = probe({rate, "KP7_TIME_START=100"}, {"sleep", "0"});
		long long before = -1, after = -1;
		sscanf(r.out.c_str(), "%lld %lld", &before, &after);
		EXPECT_EQ(before, 100) << rate;
		EXPECT_EQ(after, 100) << rate;
	}
}

TEST(SysRun, CommandsRunThroughTheRootsShell)
{
	FakeRoot root;
	ProbeResult r = probe(root.env(), {"shell"});
	EXPECT_EQ(r.out, root / "bin/sh" + "\n");

	r = probe(root.env(), {"system", "echo real"});
	EXPECT_EQ(r.out, "fake:-c:echo real:" + root.path + "\nstatus 9\n");

	r = probe(root.env(), {"popen", "x y", "r"});
	EXPECT_EQ(r.out, "fake:-c:x y:" + root.path + "\nstatus 3\n");

	r = probe(root.env(), {"popen", "stdin", "w", "to the child\n"});
	EXPECT_EQ(r.out, "fake:-c:stdin:" + root.path + "\nstatus 5\n");
	EXPECT_EQ(read_file(root / "got"), "to the child\n");

	r = probe(root.env(), {"popen", "x", "q"});
	EXPECT_EQ(r.out, "popen failed\n") << "bad mode";
}

TEST(SysRun, MissingShellIs127)
{
	TempDir empty;
	ProbeResult r = probe({"KP7_ROOT=" + empty.path}, {"system", "echo real"});
	EXPECT_EQ(r.out, "status 127\n");
	EXPECT_EQ(exit_code(r), 0);
}

TEST(SysRun, ChildrenContinueTheParentsClock)
{
	FakeRoot root;
	/* The parent sleeps an hour of simulated time (0.1 s real), then
	 * starts a child, twice: each child's clock goes on from where the
	 * parent's stands then. */
	ProbeResult r = probe(root.env({"KP7_TIME_START=2000000", "KP7_TIME_RATE=36000"}),
			      {"after", "3600", "popen", "clock", "r", ";", "system", "true", ";",
			       "after", "3600", "popen", "clock", "r"});
	long long first = 0, second = 0;
	ASSERT_EQ(sscanf(r.out.c_str(), "fake:-c:clock:%*[^\n]\n%lld\nstatus 0\nfake:-c:true:%*[^\n]\nstatus 4\n"
			 "fake:-c:clock:%*[^\n]\n%lld",
			 &first, &second),
		  2)
		<< r.out;
	EXPECT_GE(first, 2000000 + 3600);
	EXPECT_LT(first, 2000000 + 3600 + 36000 * 2) << "more than 2 s real to start a child?";
	EXPECT_GE(second, first + 3600);
	EXPECT_LT(second, first + 3600 + 36000 * 2);
}

/* A daemon runs thousands of commands: handing its clock to each must
 * cost no memory, so the variable is one entry rewritten in place. */
TEST(SysRun, HandingOnTheClockKeepsNoOldValues)
{
	TempDir root;
	ASSERT_TRUE(make_dirs(root / "bin"));
	ASSERT_EQ(symlink("/bin/true", (root / "bin/sh").c_str()), 0);
	ProbeResult r = probe({"KP7_ROOT=" + root.path, "KP7_TIME_START=3000000", "KP7_TIME_RATE=1000"},
			      {"spawns", "400"});
	long grew = -1;
	ASSERT_EQ(sscanf(r.out.c_str(), "same entry 1, new value 1, heap grew %ld", &grew), 1) << r.out;
	EXPECT_LT(grew, 4096) << "bytes for 400 commands";
}

TEST(SysClock, MaskedSleepEndsOnAPendingSignal)
{
	ProbeResult r = probe({"KP7_TIME_START=5000", "KP7_TIME_RATE=600"}, {"wake"});
	EXPECT_EQ(r.out, "early: -1 Interrupted system call, usr1 1, usr2 0, slept little\n"
			 "full: 0, slept 60\n"
			 "blocked: 1 1\n");
}

TEST(SysSyslog, LinesMirroredIntoTheRoot)
{
	FakeRoot root;
	std::vector<std::string> env = root.env({"KP7_TIME_START=90061", "TZ=UTC0"});
	ProbeResult a = probe(env, {"syslog", "sck", std::to_string(LOG_NOTICE), "first"});
	ProbeResult b = probe(env, {"syslog", "sck", std::to_string(LOG_LOCAL3 | LOG_ERR), "two\n\n"});
	std::string expected = "Jan  2 01:01:01 daemon.notice sck[" + a.out.substr(0, a.out.size() - 1) +
			       "]: first\n" + "Jan  2 01:01:01 local3.err sck[" +
			       b.out.substr(0, b.out.size() - 1) + "]: two\n";
	EXPECT_EQ(read_file(root / "var/log/messages"), expected);
}
