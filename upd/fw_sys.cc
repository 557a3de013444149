/* The image writer's operations on the router, all through the platform layer. */
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <syslog.h>
#include <unistd.h>

#include "apmib.h"
#include "fw_write.h"
#include "sys.h"

namespace {

int run(const char *cmd)
{
	/* What we printed comes before what the command prints. */
	fflush(stdout);
	return sys_system(cmd);
}

void say(const char *text)
{
	fputs(text, stdout);
	fflush(stdout);
}

int open_dev(const char *dev)
{
	return sys_open(dev, O_RDWR);
}

long write_at(int fd, const void *buf, size_t n, uint32_t off)
{
	/* One write, as the flash driver expects; a short one is a failure. */
	ssize_t w;
	do
		w = sys_pwrite(fd, buf, n, (off_t)off);
	while (w < 0 && errno == EINTR);
	return (long)w;
}

void close_dev(int fd)
{
	sys_sync();
	close(fd);
}

int read_pid(const char *path)
{
	char text[32];
	ssize_t n = sys_read_file(path, text, sizeof(text) - 1);
	if (n <= 0)
		return 0;
	text[n] = '\0';
	int pid;
	return sscanf(text, "%d", &pid) == 1 ? pid : 0;
}

int kill_pid(int pid, int sig)
{
	if (!sys_signals_contained()) {
		sys_syslog(LOG_WARNING, "not signalling process %d: not in a private PID namespace", pid);
		return errno = EPERM, -1;
	}
	return sys_kill(pid, sig);
}

void sleep_secs(unsigned seconds)
{
	sys_sleep(seconds);
}

void ignore(int sig)
{
	signal(sig, SIG_IGN);
}

void new_group(void)
{
	sys_setpgrp();
}

/* The reboot is under way; nothing is left to do but wait for it. */
void halt(void)
{
	for (;;)
		sys_sleep(3600);
}

}  // namespace

const fw_ops_t fw_sys_ops = {
	run,  say,     open_dev, sys_dev_size, write_at,  close_dev, read_pid,
	kill_pid, sleep_secs, sys_sync, ignore, new_group, apmib_updateFlash, halt,
};

const fw_ops_t *fw_ops = &fw_sys_ops;
