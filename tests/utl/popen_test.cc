/* Commands through a pipe: modes, statuses, several open at once. */
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "sandbox.h"
#include "sys.h"
#include "utl.h"

namespace {

std::string drain(FILE *f)
{
	std::string s;
	int c;
	while ((c = getc(f)) != EOF)
		s += (char)c;
	return s;
}

int exit_code(int status)
{
	return status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(UtlPopen, ModesJoinTheRightDescriptor)
{
	int fds = open_fds();
	FILE *f = utl_popen("echo to-out; echo to-err >&2", "r");
	ASSERT_NE(f, nullptr);
	EXPECT_EQ(drain(f), "to-out\n");
	EXPECT_EQ(utl_pclose(f), 0);

	/* "e": the error stream is read, the output stays ours. */
	TempDir tmp;
	CaptureStdout cap(tmp / "stdout");
	f = utl_popen("echo to-out; echo to-err >&2", "e");
	ASSERT_NE(f, nullptr);
	EXPECT_EQ(drain(f), "to-err\n");
	EXPECT_EQ(utl_pclose(f), 0);
	EXPECT_EQ(cap.done(), "to-out\n");

	/* Only the first character of the mode counts. */
	f = utl_popen("cat >/tmp/popen-w", "write");
	ASSERT_NE(f, nullptr);
	fputs("through stdin\n", f);
	EXPECT_EQ(utl_pclose(f), 0);
	EXPECT_EQ(read_file(in_root("/tmp/popen-w")), "through stdin\n");

	EXPECT_EQ(open_fds(), fds);
	EXPECT_TRUE(no_children());
}

TEST(UtlPopen, UnknownModeStartsNothing)
{
	int fds = open_fds();
	size_t mark = commands_mark();
	for (const char *mode : {"x", "", "R", "+r"})
		EXPECT_EQ(utl_popen("echo never", mode), nullptr) << mode;
	EXPECT_EQ(utl_popen("echo never", nullptr), nullptr);
	EXPECT_EQ(utl_popen(nullptr, "r"), nullptr);
	EXPECT_EQ(commands_since(mark), "");
	EXPECT_EQ(open_fds(), fds);
	EXPECT_TRUE(no_children());
}

TEST(UtlPopen, CloseReturnsTheWaitStatus)
{
	FILE *f = utl_popen("exit 3", "r");
	ASSERT_NE(f, nullptr);
	int status = utl_pclose(f);
	ASSERT_TRUE(WIFEXITED(status));
	EXPECT_EQ(WEXITSTATUS(status), 3);

	f = utl_popen("kill -9 $$", "r");
	ASSERT_NE(f, nullptr);
	status = utl_pclose(f);
	ASSERT_TRUE(WIFSIGNALED(status));
	EXPECT_EQ(WTERMSIG(status), SIGKILL);

	/* Closing first: a child still writing gets a broken pipe, not a hang. */
	f = utl_popen("while :; do echo y; done", "r");
	ASSERT_NE(f, nullptr);
	EXPECT_EQ(getc(f), 'y');
	status = utl_pclose(f);
	EXPECT_TRUE(WIFSIGNALED(status) || exit_code(status) != 0);
	EXPECT_TRUE(no_children());
}

TEST(UtlPopen, CloseOfAStreamNotOurs)
{
	FILE *f = fopen("/dev/null", "r");
	ASSERT_NE(f, nullptr);
	int fds = open_fds();
	EXPECT_EQ(utl_pclose(f), -1);
	/* It was closed all the same. */
	EXPECT_EQ(open_fds(), fds - 1);
	EXPECT_EQ(utl_pclose(nullptr), -1);
}

/* Two writers: each child reads to end of file, so closing the first one
 * only returns if the second child does not hold its pipe open too. */
TEST(UtlPopen, TwoStreamsClosedInEitherOrder)
{
	alarm(60); /* a pipe leaked into the other child would hang here */
	for (bool first_first : {true, false}) {
		FILE *a = utl_popen("cat >/dev/null; exit 4", "w");
		FILE *b = utl_popen("cat >/dev/null; exit 5", "w");
		ASSERT_NE(a, nullptr);
		ASSERT_NE(b, nullptr);
		fputs("to a\n", a);
		fputs("to b\n", b);
		if (first_first) {
			EXPECT_EQ(exit_code(utl_pclose(a)), 4);
			EXPECT_EQ(exit_code(utl_pclose(b)), 5);
		} else {
			EXPECT_EQ(exit_code(utl_pclose(b)), 5);
			EXPECT_EQ(exit_code(utl_pclose(a)), 4);
		}
	}

	/* Twelve readers, started by this library and by the platform's
	 * runner alike (one list of children, of no fixed length), each
	 * closed by the other layer, the middle ones first. */
	FILE *r[12];
	for (int i = 0; i < 12; i++) {
		std::string cmd = "echo " + std::to_string(i) + "; exit " + std::to_string(10 + i);
		r[i] = i % 2 ? utl_popen(cmd.c_str(), "r") : sys_popen(cmd.c_str(), "r");
		ASSERT_NE(r[i], nullptr);
	}
	for (int i : {6, 5, 7, 4, 8, 3, 9, 2, 10, 1, 11, 0}) {
		EXPECT_EQ(drain(r[i]), std::to_string(i) + "\n");
		EXPECT_EQ(exit_code(i % 2 ? sys_pclose(r[i]) : utl_pclose(r[i])), 10 + i);
	}
	alarm(0);
	EXPECT_TRUE(no_children());
}

TEST(UtlPopen, NoShellIs127)
{
	std::string sh = in_root("/bin/sh"), away = sh + ".away";
	ASSERT_EQ(rename(sh.c_str(), away.c_str()), 0);
	FILE *f = utl_popen("echo never", "r");
	int status = f ? utl_pclose(f) : -2;
	ASSERT_EQ(rename(away.c_str(), sh.c_str()), 0);
	EXPECT_EQ(exit_code(status), 127);
	EXPECT_TRUE(no_children());
}

/* The termination signals the programs block stay blocked in the
 * commands they start: a shell that signals itself lives on. */
TEST(UtlPopen, CommandsInheritTheBlockedSignals)
{
	const char cmd[] = "kill -TERM $$; kill -INT $$; kill -HUP $$; echo survived";
	FILE *f = utl_popen(cmd, "r");
	ASSERT_NE(f, nullptr);
	EXPECT_EQ(drain(f), "");
	int status = utl_pclose(f);
	EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);

	EXPECT_EQ(in_child([&] {
			  utl_sigset();
			  f = utl_popen(cmd, "r");
			  return f && drain(f) == "survived\n" && utl_pclose(f) == 0 ? 0 : 1;
		  }),
		  0);
}

/* Out of descriptors: null, nothing left open, no child. */
TEST(UtlPopen, FailureLeavesNothingOpen)
{
	EXPECT_EQ(in_child([] {
			  close(exhaust_fds()); /* one slot free: a pipe needs two */
			  int before = open_fds();
			  FILE *f = utl_popen("echo x", "r");
			  return f == nullptr && open_fds() == before && no_children() ? 0 : 1;
		  }),
		  0);
}

}  // namespace
