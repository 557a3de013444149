/* Stand-ins for platform wrappers on their way into sys/. */
#include "sys_pending.h"

#include <signal.h>
#include <sys/ioctl.h>

int sys_stat(const char *path, struct stat *st)
{
	return stat(SysPath(path), st);
}

int sys_kill(pid_t pid, int sig)
{
	return kill(pid, sig);
}

int sys_ioctl(int fd, unsigned long req, void *arg)
{
	return ioctl(fd, req, arg);
}
