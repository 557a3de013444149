/*
 * sys_tiny.h - the platform layer of the small stand-alone programs (the
 * modem tools), which link nothing of the system: header only.
 *
 * The rules are those of sys.h, so that a program sees the same root and
 * the same time whichever of the two it is built on:
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

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

/* ---- paths ---- */

inline const char *sys_tiny_root(void)
{
	static const char *root;
	static char buf[256];
	if (root)
		return root;
	const char *env = getenv("KP7_ROOT");
	size_t len = env ? strlen(env) : 0;
	while (len > 0 && env[len - 1] == '/')
		len--;
	if (len >= sizeof(buf))
		abort();
	memcpy(buf, env ? env : "", len);
	buf[len] = '\0';
	root = buf;
	return root;
}

/* A router path made real; relative paths are left alone. */
struct SysTinyPath {
	char buf[512];
	explicit SysTinyPath(const char *path)
	{
		const char *root = sys_tiny_root();
		size_t rlen = path[0] == '/' ? strlen(root) : 0, plen = strlen(path);
		buf[0] = '\0';
		if (rlen + plen >= sizeof(buf))
			return;
		memcpy(buf, root, rlen);
		memcpy(buf + rlen, path, plen + 1);
	}
	operator const char *() const { return buf; }
};

inline int sys_tiny_open(const char *path, int flags, mode_t mode = 0)
{
	return open(SysTinyPath(path), flags | O_CLOEXEC, mode);
}

/* ---- devices and terminals ---- */

inline ssize_t sys_tiny_read(int fd, void *buf, size_t size) { return read(fd, buf, size); }
inline ssize_t sys_tiny_write(int fd, const void *buf, size_t size) { return write(fd, buf, size); }
inline int sys_tiny_tcgetattr(int fd, struct termios *t) { return tcgetattr(fd, t); }
inline int sys_tiny_tcsetattr(int fd, const struct termios *t) { return tcsetattr(fd, TCSANOW, t); }

/* ---- whole files ---- */

/* Replaces a file whole: temporary file beside it, write, fsync, rename,
 * fsync of the directory.  On failure the old file is untouched. */
inline int sys_tiny_write_atomic(const char *path, const void *data, size_t len, mode_t mode)
{
	SysTinyPath real(path);
	char tmp[sizeof(real.buf) + 8];
	if (!real.buf[0] || snprintf(tmp, sizeof(tmp), "%s.XXXXXX", real.buf) >= (int)sizeof(tmp))
		return errno = ENAMETOOLONG, -1;
	int fd = mkostemp(tmp, O_CLOEXEC);
	if (fd < 0)
		return -1;
	const char *p = (const char *)data;
	bool ok = fchmod(fd, mode) == 0;
	while (ok && len > 0) {
		ssize_t n = write(fd, p, len);
		if (n < 0 && errno == EINTR)
			continue;
		if (n <= 0) {
			ok = false;
			break;
		}
		p += n;
		len -= n;
	}
	ok = ok && fsync(fd) == 0;
	ok = close(fd) == 0 && ok;
	if (!ok || rename(tmp, real) < 0) {
		int e = errno;
		unlink(tmp);
		return errno = e, -1;
	}
	/* The rename is only durable once the directory reached the disk. */
	char *slash = strrchr(tmp, '/');
	if (slash)
		*(slash == tmp ? slash + 1 : slash) = '\0';
	int dir = open(slash ? tmp : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
	if (dir >= 0) {
		fsync(dir);
		close(dir);
	}
	return 0;
}

/* ---- clock ---- */

struct SysTinyClock {
	bool ready;
	bool on;          /* simulated */
	double rate;      /* simulated seconds per real second */
	double start;     /* simulated epoch seconds at the anchor */
	double anchor;    /* real monotonic seconds at program start */
};

inline SysTinyClock sys_tiny_clock;

inline double sys_tiny_monotonic(void)
{
	struct timespec ts;
	clock_gettime(CLOCK_MONOTONIC, &ts);
	return ts.tv_sec + ts.tv_nsec / 1e9;
}

inline void sys_tiny_clock_init(void)
{
	SysTinyClock &c = sys_tiny_clock;
	if (c.ready)
		return;
	const char *start = getenv("KP7_TIME_START");
	const char *rate = getenv("KP7_TIME_RATE");
	c.ready = true;
	c.anchor = sys_tiny_monotonic();
	c.rate = rate && *rate ? strtod(rate, nullptr) : 1.0;
	if (!(c.rate > 0) || !(c.rate < 1e9))
		c.rate = 1.0;
	c.on = (start && *start) || c.rate != 1.0;
	if (start && *start) {
		c.start = strtod(start, nullptr);
	} else {
		struct timespec ts;
		clock_gettime(CLOCK_REALTIME, &ts);
		c.start = ts.tv_sec + ts.tv_nsec / 1e9;
	}
}

/* Anchored at program start, not at first use. */
__attribute__((constructor)) static void sys_tiny_clock_ctor(void)
{
	sys_tiny_clock_init();
}

/* Real seconds that `simulated` seconds take. */
inline double sys_tiny_real_seconds(double simulated)
{
	return simulated / (sys_tiny_clock.on ? sys_tiny_clock.rate : 1.0);
}

inline time_t sys_tiny_time(void)
{
	const SysTinyClock &c = sys_tiny_clock;
	if (!c.on)
		return time(nullptr);
	/* Whole seconds, rounded down also before 1970. */
	double now = c.start + (sys_tiny_monotonic() - c.anchor) * c.rate;
	time_t t = (time_t)now;
	return t > now ? t - 1 : t;
}

/* Sleeps `usec` microseconds of simulated time. */
inline void sys_tiny_usleep(unsigned long usec)
{
	double real = sys_tiny_real_seconds(usec / 1e6);
	struct timespec req, rem;
	req.tv_sec = (time_t)real;
	req.tv_nsec = (long)((real - req.tv_sec) * 1e9);
	while (nanosleep(&req, &rem) < 0 && errno == EINTR)
		req = rem;
}

#endif
