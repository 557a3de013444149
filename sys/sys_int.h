/*
 * sys_int.h - what the files of the platform layer share among
 * themselves.  Not for the programs: they see sys.h only.
 */
#ifndef KP7_SYS_INT_H
#define KP7_SYS_INT_H

#include <stddef.h>
#include <sys/types.h>

/* The simulated clock's reading for a child's KP7_TIME_START, so that a
 * child's clock starts where ours stands; null on the real clock. */
const char *sys_clock_env(char *buf, size_t size);

/* Simulated seconds per real second: 1 on the real clock. */
double sys_clock_rate(void);

/* sys_read_file() of a path already made real (or never under the root). */
ssize_t sys_read_real(const char *real, void *buf, size_t size);

#endif
