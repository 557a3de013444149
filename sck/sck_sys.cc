/* The daemon's own operations: the platform layer and the utility library. */
#include "sck.h"

#include <errno.h>
#include <sys/socket.h>
#include <syslog.h>
#include <unistd.h>

#include "sys.h"
#include "utl.h"

namespace {

FILE *popen_read(const char *cmd)
{
	return sys_popen(cmd, "r");
}

int flash_get(const char *name, char *value)
{
	return utl_flash(name, value, 0);
}

int if_request(unsigned long req, struct ifreq *ifr)
{
	int fd = sys_socket(AF_INET, SOCK_STREAM, 0);
	if (fd < 0)
		return SCK_IF_NO_SOCKET;
	int rc = sys_ioctl(fd, req, ifr);
	int err = errno;
	close(fd);
	errno = err;
	return rc < 0 ? -1 : 0;
}

void sleep_seconds(unsigned seconds)
{
	sys_sleep(seconds);
}

void log_line(int priority, const char *text)
{
	sys_syslog(priority, "%s", text);
}

void say(const char *line)
{
	fputs(line, stdout);
	fflush(stdout);
}

/* reboot has been asked for: nothing is left to do until it comes. */
void await_reboot(void)
{
	for (;;)
		sys_sleep(3600);
}

}  // namespace

const sck_ops_t sck_sys_ops = {
	sys_system,     popen_read, sys_pclose,   utl_get_pid_from_pname, utl_kill_proc,
	sys_kill,       flash_get,  if_request,   sleep_seconds,          log_line,
	say,            await_reboot,
};

const sck_ops_t *sck_ops = &sck_sys_ops;
