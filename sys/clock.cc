/* The clock, real or simulated. */
#include "sys.h"
#include "sys_int.h"

#include <errno.h>
#include <stdlib.h>
#include <sys/sysinfo.h>

namespace {

struct SimClock {
	bool on;
	double rate;      /* simulated seconds per real second */
	double start;     /* simulated epoch seconds at the anchor */
	double anchor;    /* real monotonic seconds at program start */
};

double monotonic(void)
{
	struct timespec ts;
	clock_gettime(CLOCK_MONOTONIC, &ts);
	return ts.tv_sec + ts.tv_nsec / 1e9;
}

SimClock sim;

/* Anchor the simulated clock at program start, not at first use. */
__attribute__((constructor)) void sim_init(void)
{
	const char *start = getenv("KP7_TIME_START");
	const char *rate = getenv("KP7_TIME_RATE");
	sim.anchor = monotonic();
	sim.rate = rate && *rate ? strtod(rate, nullptr) : 1.0;
	if (!(sim.rate > 0) || !(sim.rate < 1e9))
		sim.rate = 1.0;
	sim.on = (start && *start) || sim.rate != 1.0;
	if (start && *start) {
		sim.start = strtod(start, nullptr);
	} else {
		struct timespec ts;
		clock_gettime(CLOCK_REALTIME, &ts);
		sim.start = ts.tv_sec + ts.tv_nsec / 1e9;
	}
}

double sim_now(void)
{
	return sim.start + (monotonic() - sim.anchor) * sim.rate;
}

/* Sleeps `secs` simulated seconds; returns the simulated seconds left. */
double sim_sleep(double secs)
{
	double real = secs / (sim.on ? sim.rate : 1.0);
	struct timespec req, rem;
	req.tv_sec = (time_t)real;
	req.tv_nsec = (long)((real - req.tv_sec) * 1e9);
	if (nanosleep(&req, &rem) == 0)
		return 0;
	double left = rem.tv_sec + rem.tv_nsec / 1e9;
	return left * (sim.on ? sim.rate : 1.0);
}

}  // namespace

time_t sys_time(void)
{
	if (!sim.on)
		return time(nullptr);
	/* Whole seconds, rounded down also before 1970. */
	double now = sim_now();
	time_t t = (time_t)now;
	return t > now ? t - 1 : t;
}

unsigned sys_sleep(unsigned seconds)
{
	double left = sim_sleep(seconds);
	unsigned whole = (unsigned)left;
	return whole < left ? whole + 1 : whole;
}

void sys_usleep(unsigned long usec)
{
	double left = usec / 1e6;
	while (left > 0)
		left = sim_sleep(left);
}

/* Handed to children through the environment (see sys_exec_shell). */
const char *sys_clock_env(char *buf, size_t size)
{
	if (!sim.on)
		return nullptr;
	snprintf(buf, size, "%.3f", sim_now());
	return buf;
}

double sys_clock_rate(void)
{
	return sim.on ? sim.rate : 1.0;
}

long long sys_elapsed_ms(void)
{
	return (long long)((monotonic() - sim.anchor) * sys_clock_rate() * 1000);
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
