/* Drivers and terminals: device descriptors opened with sys_open(). */
#include "sys.h"
#include "sys_int.h"

#include <poll.h>
#include <sys/ioctl.h>

int sys_ioctl(int fd, unsigned long req, void *arg)
{
	return ioctl(fd, req, arg);
}

int sys_tcgetattr(int fd, struct termios *t)
{
	return tcgetattr(fd, t);
}

int sys_tcsetattr(int fd, int when, const struct termios *t)
{
	return tcsetattr(fd, when, t);
}

int sys_tcflush(int fd, int queue)
{
	return tcflush(fd, queue);
}

int sys_wait_readable(int fd, unsigned long usec)
{
	/* Whole milliseconds, rounded up: a short wait never becomes a poll. */
	double ms = usec / 1000.0 / sys_clock_rate();
	int timeout = ms >= 1e9 ? 1000000000 : (int)ms + (ms > (int)ms);
	struct pollfd p = {fd, POLLIN, 0};
	int n = poll(&p, 1, timeout);
	return n < 0 ? -1 : n > 0;
}
