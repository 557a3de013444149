/*
 * The writer's signals under a sandbox root reach nothing outside a
 * private PID namespace.  The target is always a child of this test, so
 * that a broken guard could stop nothing but it.  Run twice: as it comes
 * (the machine's namespace: refused) and with KP7_TEST_PIDNS=private
 * inside a namespace of its own (sent).
 */
#include <gtest/gtest.h>

#include <errno.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include "files.h"
#include "fw_write.h"
#include "sys.h"

namespace {

/* The child's state letter from its status file. */
char state_of(pid_t pid)
{
	std::string s = read_file("/proc/" + std::to_string(pid) + "/status");
	size_t at = s.find("State:\t");
	return at == std::string::npos ? '?' : s[at + 7];
}

TEST(SignalGuard, OnlyInsideAPrivatePidNamespace)
{
	const char *ns = getenv("KP7_TEST_PIDNS");
	bool private_ns = ns && !strcmp(ns, "private");
	TempDir root("kp7guard");
	setenv("KP7_ROOT", root.path.c_str(), 1);
	EXPECT_EQ(sys_signals_contained(), private_ns);

	pid_t child = fork();
	if (child == 0) {
		for (;;)
			pause();
	}
	ASSERT_GT(child, 0);
	errno = 0;
	int rc = fw_sys_ops.kill(child, SIGSTOP);
	if (private_ns) {
		EXPECT_EQ(rc, 0);
		int status;
		ASSERT_EQ(waitpid(child, &status, WUNTRACED), child);
		EXPECT_TRUE(WIFSTOPPED(status));
	} else {
		EXPECT_EQ(rc, -1);
		EXPECT_EQ(errno, EPERM);
		usleep(100000);
		EXPECT_NE(state_of(child), 'T');
	}
	kill(child, SIGKILL);
	waitpid(child, nullptr, 0);

	/* On the router (no root) nothing holds the writer back. */
	unsetenv("KP7_ROOT");
	EXPECT_TRUE(sys_signals_contained());
}

}  // namespace
