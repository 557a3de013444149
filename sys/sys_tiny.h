/*
 * sys_tiny.h - the platform layer of the small stand-alone programs (the
 * modem tools), which link nothing of the system: header only.
 *
 * The rules are those of sys.h, written once in sys_base.h, so that a
 * program sees the same root and the same time whichever of the two it
 * is built on:
 *   - a router path is taken under KP7_ROOT (trailing '/' dropped; a root
 *     too long for the path buffers aborts rather than escape it; a path
 *     that would not fit is left empty, so that using it fails);
 *   - KP7_TIME_START (epoch seconds at program start) and KP7_TIME_RATE
 *     (simulated seconds per real second) make the clock and every sleep
 *     run at another pace, anchored at program start.
 *
 * Calls return what the system call they wrap returns (-1 and errno on
 * failure).
 */
#ifndef KP7_SYS_TINY_H
#define KP7_SYS_TINY_H

#include <termios.h>

#include "sys_base.h"

/* ---- paths ---- */

inline SysRoot sys_tiny_root_rec;

static inline const char *sys_tiny_root(void)
{
	return sys_base_root(&sys_tiny_root_rec);
}

namespace {

/* A router path made real; relative paths are left alone.  Each file's
 * own, as the functions here are, built on sys_base.h's file-local ones. */
struct SysTinyPath {
	char buf[SYS_PATH_MAX];
	explicit SysTinyPath(const char *path)
	{
		sys_base_path(buf, sys_tiny_root(), &sys_tiny_root_rec, path);
	}
	operator const char *() const { return buf; }
};

}  // namespace

static inline int sys_tiny_open(const char *path, int flags, mode_t mode = 0)
{
	return open(SysTinyPath(path), flags | O_CLOEXEC, mode);
}

/* ---- devices and terminals ---- */

static inline ssize_t sys_tiny_read(int fd, void *buf, size_t size) { return read(fd, buf, size); }
static inline ssize_t sys_tiny_write(int fd, const void *buf, size_t size) { return write(fd, buf, size); }
static inline int sys_tiny_tcgetattr(int fd, struct termios *t) { return tcgetattr(fd, t); }
static inline int sys_tiny_tcsetattr(int fd, const struct termios *t) { return tcsetattr(fd, TCSANOW, t); }

/* ---- whole files ---- */

/* Replaces a file whole: temporary file beside it, write, fsync, rename,
 * fsync of the directory.  On failure the old file is untouched. */
static inline int sys_tiny_write_atomic(const char *path, const void *data, size_t len, mode_t mode)
{
	return sys_base_replace(SysTinyPath(path), data, len, mode, true, nullptr);
}

/* ---- clock ---- */

inline SysSimClock sys_tiny_clock;

/* Anchored at program start, not at first use; once, however many
 * files of the program include this. */
__attribute__((constructor)) static void sys_tiny_clock_ctor(void)
{
	if (!sys_tiny_clock.anchor)
		sys_base_clock_start(&sys_tiny_clock);
}

static inline double sys_tiny_monotonic(void)
{
	return sys_base_monotonic();
}

/* Real seconds that `simulated` seconds take. */
static inline double sys_tiny_real_seconds(double simulated)
{
	return simulated / sys_tiny_clock.rate;
}

static inline time_t sys_tiny_time(void)
{
	return sys_base_clock_time(&sys_tiny_clock);
}

/* Sleeps `usec` microseconds of simulated time. */
static inline void sys_tiny_usleep(unsigned long usec)
{
	sys_base_clock_usleep(&sys_tiny_clock, usec);
}

#endif
