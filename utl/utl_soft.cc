/* The library's control block, its debug level and the blocked signals. */
#include "utl.h"

#include <array>
#include <signal.h>

utl_soft_t utl_soft;
utl_soft_t *utl_sc = &utl_soft;

namespace {

constexpr std::array<int, 8> BLOCKED_SIGNALS = {
	SIGQUIT, SIGTERM, SIGPIPE, SIGINT, SIGXFSZ, SIGHUP, SIGUSR1, SIGUSR2,
};

}  // namespace

void utl_set_dlevel(int level)
{
	utl_sc->debug_level = (unsigned char)level;
}

int utl_sigset(void)
{
	sigset_t set;
	sigemptyset(&set);
	for (int sig : BLOCKED_SIGNALS)
		sigaddset(&set, sig);
	return sigprocmask(SIG_BLOCK, &set, nullptr);
}
