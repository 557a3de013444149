/*
 * sys_base.h - the rules of the platform layer that need nothing but the
 * C library: where the sandbox root is and how a router path is taken
 * under it, the simulated clock, and whole-file replacement.
 *
 * Header only, so that both layers are built on the same lines: the full
 * one (the files of sys/, linked into the management programs) and
 * sys_tiny.h, the header of the stand-alone modem tools, which link
 * nothing of the system.
 * Each layer keeps its own state (its root record, its clock record); the
 * functions here work on what the caller hands them.  They are file-local
 * (static): each file has what it uses, which the compiler fits into
 * their one caller where there is one.
 */
#ifndef KP7_SYS_BASE_H
#define KP7_SYS_BASE_H

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

/* The longest real path either layer makes, with its terminating NUL. */
constexpr size_t SYS_PATH_MAX = 512;

/* ---- the root ---- */

/* KP7_ROOT without trailing '/' ("" when unset), read on first use. */
struct SysRoot {
	bool known;
	size_t len;
	char buf[256];
};

/* The root's text.  One too long for the buffer aborts: cut short, it
 * would silently let every path escape it. */
static inline const char *sys_base_root(SysRoot *r)
{
	if (r->known)
		return r->buf;
	const char *env = getenv("KP7_ROOT");
	size_t len = env ? strlen(env) : 0;
	while (len > 0 && env[len - 1] == '/')
		len--;
	if (len >= sizeof(r->buf))
		abort();
	if (len)
		memcpy(r->buf, env, len);
	r->buf[len] = '\0';
	r->len = len;
	r->known = true;
	return r->buf;
}

/* `path` made real into `buf` of SYS_PATH_MAX bytes: an absolute path
 * taken under the root `root` (which sys_base_root() has read), a
 * relative one left alone (it is the caller's own business).  A result
 * that would not fit leaves `buf` empty, so that using it fails with
 * ENOENT. */
static inline void sys_base_path(char *buf, const char *root, const SysRoot *r, const char *path)
{
	size_t rlen = path[0] == '/' ? r->len : 0, plen = strlen(path);
	buf[0] = '\0';
	if (rlen + plen >= SYS_PATH_MAX)
		return;
	memcpy(buf, root, rlen);
	memcpy(buf + rlen, path, plen + 1);
}

/* ---- the clock ---- */

/* KP7_TIME_START (epoch seconds at program start) and KP7_TIME_RATE
 * (simulated seconds per real second), read once at program start. */
struct SysSimClock {
	bool on;          /* either variable given */
	double rate;      /* simulated seconds per real second; 1 when off */
	double start;     /* simulated epoch seconds at the anchor */
	double anchor;    /* real monotonic seconds at program start */
};

static inline double sys_base_monotonic(void)
{
	struct timespec ts;
	clock_gettime(CLOCK_MONOTONIC, &ts);
	return ts.tv_sec + ts.tv_nsec / 1e9;
}

static inline struct timespec sys_base_timespec(double seconds)
{
	struct timespec ts;
	ts.tv_sec = (time_t)seconds;
	ts.tv_nsec = (long)((seconds - ts.tv_sec) * 1e9);
	return ts;
}

/* Called from a constructor: the simulated time starts with the program,
 * not at the first reading. */
static inline void sys_base_clock_start(SysSimClock *c)
{
	const char *start = getenv("KP7_TIME_START");
	const char *rate = getenv("KP7_TIME_RATE");
	c->anchor = sys_base_monotonic();
	c->rate = rate && *rate ? strtod(rate, nullptr) : 1.0;
	if (!(c->rate > 0) || !(c->rate < 1e9))
		c->rate = 1.0;
	c->on = (start && *start) || c->rate != 1.0;
	if (start && *start) {
		c->start = strtod(start, nullptr);
	} else {
		struct timespec ts;
		clock_gettime(CLOCK_REALTIME, &ts);
		c->start = ts.tv_sec + ts.tv_nsec / 1e9;
	}
}

/* Not inlined: one copy serves every reading. */
__attribute__((noinline)) static inline double sys_base_clock_now(const SysSimClock *c)
{
	return c->start + (sys_base_monotonic() - c->anchor) * c->rate;
}

/* Whole seconds, rounded down also before 1970; the real clock itself
 * when nothing is simulated. */
static inline time_t sys_base_clock_time(const SysSimClock *c)
{
	if (!c->on)
		return time(nullptr);
	double now = sys_base_clock_now(c);
	time_t t = (time_t)now;
	return t > now ? t - 1 : t;
}

/* Sleeps `secs` simulated seconds; returns the simulated seconds left
 * when a signal cut the sleep short, else 0. */
static inline double sys_base_clock_sleep(const SysSimClock *c, double secs)
{
	struct timespec req = sys_base_timespec(secs / c->rate), rem;
	if (nanosleep(&req, &rem) == 0 || errno != EINTR)
		return 0;
	return (rem.tv_sec + rem.tv_nsec / 1e9) * c->rate;
}

/* Sleeps `usec` microseconds of simulated time, whatever signals come. */
static inline void sys_base_clock_usleep(const SysSimClock *c, unsigned long usec)
{
	double left = usec / 1e6;
	while (left > 0)
		left = sys_base_clock_sleep(c, left);
}

/* ---- whole files ---- */

static inline int sys_base_write_all(int fd, const void *data, size_t len)
{
	const char *p = (const char *)data;
	while (len > 0) {
		ssize_t n = write(fd, p, len);
		if (n < 0 && errno == EINTR)
			continue;
		if (n <= 0)
			return -1;
		p += n;
		len -= n;
	}
	return 0;
}

/* A rename is durable only once the directory itself reached the disk:
 * fsync of the directory of `file`, a real path of SYS_PATH_MAX bytes at
 * the most. */
static inline void sys_base_sync_dir(const char *file)
{
	char dir[SYS_PATH_MAX];
	strcpy(dir, file);
	char *slash = strrchr(dir, '/');
	if (!slash)
		strcpy(dir, ".");
	else if (slash == dir)
		dir[1] = '\0';
	else
		*slash = '\0';
	int fd = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (fd >= 0) {
		fsync(fd);
		close(fd);
	}
}

/* Replaces the file at the real path `real` whole: a temporary file
 * beside it, write, fsync (when `durable`), rename, fsync of the
 * directory.  On failure the old file is untouched and the temporary
 * removed; `made`, when given, tells whether the temporary file could be
 * created at all.  An empty path (one that did not fit) is too long. */
static inline int sys_base_replace(const char *real, const void *data, size_t len, mode_t mode,
			    bool durable, bool *made)
{
	char tmp[SYS_PATH_MAX + 8];
	if (made)
		*made = false;
	if (!real[0] || snprintf(tmp, sizeof(tmp), "%s.XXXXXX", real) >= (int)sizeof(tmp))
		return errno = ENAMETOOLONG, -1;
	int fd = mkostemp(tmp, O_CLOEXEC);
	if (fd < 0)
		return -1;
	if (made)
		*made = true;
	if (fchmod(fd, mode) < 0 || sys_base_write_all(fd, data, len) < 0 ||
	    (durable && fsync(fd) < 0)) {
		int e = errno;
		close(fd);
		unlink(tmp);
		return errno = e, -1;
	}
	if (close(fd) < 0 || rename(tmp, real) < 0) {
		int e = errno;
		unlink(tmp);
		return errno = e, -1;
	}
	if (durable)
		sys_base_sync_dir(real);
	return 0;
}

#endif
