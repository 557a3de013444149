/*
 * sys_int.h - what the files of the platform layer share among
 * themselves.  Not for the programs: they see sys.h only.
 */
#ifndef KP7_SYS_INT_H
#define KP7_SYS_INT_H

#include <stddef.h>
#include <sys/types.h>

/* Under a simulated clock, our clock's reading into KP7_TIME_START, so
 * that the next child's clock starts where ours stands.  Costs no memory
 * however often it is called. */
void sys_clock_export(void);

/* Simulated seconds per real second: 1 on the real clock. */
double sys_clock_rate(void);

/* sys_read_file() of a path already made real (or never under the root). */
ssize_t sys_read_real(const char *real, void *buf, size_t size);

#endif
