/* Drivers and terminals: device descriptors opened with sys_open(). */
#include "sys.h"

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
