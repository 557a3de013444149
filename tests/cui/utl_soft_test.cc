#include <gtest/gtest.h>
#include <signal.h>

#include "utl.h"

TEST(UtlSoft, DebugLevelKeepsTheLowByte)
{
	EXPECT_EQ(utl_sc, &utl_soft);
	utl_set_dlevel(300);
	EXPECT_EQ(utl_sc->debug_level, 44);
	utl_set_dlevel(7);
	EXPECT_EQ(utl_sc->debug_level, 7);
	utl_set_dlevel(-1);
	EXPECT_EQ(utl_sc->debug_level, 255);
}

TEST(UtlSoft, SigsetBlocksExactlyTheTerminationSignals)
{
	sigset_t none, now;
	sigemptyset(&none);
	ASSERT_EQ(sigprocmask(SIG_SETMASK, &none, nullptr), 0);
	ASSERT_EQ(utl_sigset(), 0);
	ASSERT_EQ(sigprocmask(SIG_BLOCK, nullptr, &now), 0);

	const int wanted[] = {SIGQUIT, SIGTERM, SIGPIPE, SIGINT, SIGXFSZ, SIGHUP, SIGUSR1, SIGUSR2};
	for (int sig = 1; sig < NSIG; sig++) {
		bool expected = false;
		for (int w : wanted)
			expected |= w == sig;
		EXPECT_EQ(sigismember(&now, sig) == 1, expected) << "signal " << sig;
	}
	/* blocking is added to, never replaces, what was blocked before */
	sigset_t alrm;
	sigemptyset(&alrm);
	sigaddset(&alrm, SIGALRM);
	ASSERT_EQ(sigprocmask(SIG_SETMASK, &alrm, nullptr), 0);
	ASSERT_EQ(utl_sigset(), 0);
	ASSERT_EQ(sigprocmask(SIG_BLOCK, nullptr, &now), 0);
	EXPECT_EQ(sigismember(&now, SIGALRM), 1);
	EXPECT_EQ(sigismember(&now, SIGTERM), 1);
	sigprocmask(SIG_SETMASK, &none, nullptr);
}
