/* Signals: none ends the daemon; SIGUSR1 asks for a flag-file scan. */
#include "sck.h"

#include <signal.h>

namespace {

/* Set by the handler; the scan itself runs in the main loop, never in
 * the middle of whatever the pass was doing. */
volatile sig_atomic_t scan_requested;

void sck_sigign(int)
{
}

void sck_signal(int)
{
	scan_requested = 1;
}

bool take_scan_request(void)
{
	if (!scan_requested)
		return false;
	scan_requested = 0;
	return true;
}

constexpr int CAUGHT_SIGNALS[] = {
	SIGQUIT, SIGTERM, SIGPIPE, SIGINT, SIGXFSZ, SIGHUP, SIGALRM, SIGUSR1, SIGUSR2,
};

}  // namespace

/* None of these ends the daemon; each one cuts the sleep short (sleeps
 * are never restarted).  Interrupted reads and waits are restarted, so
 * that a signal never shortens the output of lsmod or a settings file. */
void sck_sigset(void)
{
	struct sigaction sa = {};
	sigemptyset(&sa.sa_mask);
	for (int sig : CAUGHT_SIGNALS)
		sigaddset(&sa.sa_mask, sig);
	sa.sa_flags = SA_RESTART;
	for (int sig : CAUGHT_SIGNALS) {
		sa.sa_handler = sig == SIGUSR1 ? sck_signal : sck_sigign;
		sigaction(sig, &sa, nullptr);
	}
}

void sck_wait(sck_soft_t *sck)
{
	/* Came during the pass: scan now, then sleep as usual. */
	if (take_scan_request())
		sck_check_event();
	sck_ops->sleep(sck->interval);
	/* Came during the sleep: the pass that follows at once scans first. */
	take_scan_request();
}
