/* The clock, real or simulated. */
#include "sys.h"
#include "sys_base.h"
#include "sys_int.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/select.h>
#include <sys/sysinfo.h>

namespace {

SysSimClock sim;

/* The simulated time starts with the program, not at the first reading. */
__attribute__((constructor)) void sim_init(void)
{
	sys_base_clock_start(&sim);
}

/* Simulated seconds left, rounded up as sleep(3) does. */
unsigned whole_seconds_left(double left)
{
	unsigned whole = (unsigned)left;
	return whole < left ? whole + 1 : whole;
}

}  // namespace

time_t sys_time(void)
{
	return sys_base_clock_time(&sim);
}

unsigned sys_sleep(unsigned seconds)
{
	return whole_seconds_left(sys_base_clock_sleep(&sim, seconds));
}

void sys_usleep(unsigned long usec)
{
	sys_base_clock_usleep(&sim, usec);
}

int sys_sleep_masked(unsigned seconds, const sigset_t *mask)
{
	struct timespec ts = sys_base_timespec(seconds / sim.rate);
	return pselect(0, nullptr, nullptr, nullptr, &ts, mask);
}

/* Our children's KP7_TIME_START: one entry of our own in the environment,
 * rewritten in place before each command.  setenv() would leave every
 * earlier value behind (the C library cannot know that nobody holds it),
 * some 70 bytes a command over a daemon's life.  Our own clock was
 * anchored at start, so the variable is ours to change. */
void sys_clock_export(void)
{
	constexpr size_t name = sizeof("KP7_TIME_START=") - 1;
	static char entry[name + 24];
	if (!sim.on)
		return;
	snprintf(entry, sizeof(entry), "KP7_TIME_START=%.3f", sys_base_clock_now(&sim));
	/* Put in once; again only if someone else set or removed it since. */
	if (getenv("KP7_TIME_START") != entry + name)
		putenv(entry);
}

double sys_clock_rate(void)
{
	return sim.on ? sim.rate : 1.0;
}

long long sys_elapsed_ms(void)
{
	return (long long)((sys_base_monotonic() - sim.anchor) * sys_clock_rate() * 1000);
}

long sys_uptime(void)
{
	if (sys_sandboxed()) {
		char text[64];
		ssize_t n = sys_read_file("/proc/uptime", text, sizeof(text) - 1);
		if (n > 0) {
			text[n] = '\0';
			char *end;
			double up = strtod(text, &end);
			if (end != text && up >= 0 && up < 1e15)
				return (long)up;
		}
	}
	struct sysinfo si;
	return sysinfo(&si) < 0 ? -1 : si.uptime;
}
