/* Seconds on the monotonic clock, for timing what a test waits on. */
#ifndef KP7_TESTS_COMMON_CLOCK_H
#define KP7_TESTS_COMMON_CLOCK_H

#include <time.h>

inline double monotonic(void)
{
	struct timespec ts;
	clock_gettime(CLOCK_MONOTONIC, &ts);
	return ts.tv_sec + ts.tv_nsec / 1e9;
}

#endif
