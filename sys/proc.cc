/* Processes: the real process table and real signals, never under the
 * root (programs under test run in a private PID namespace). */
#include "sys.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

/* PROCFS/PID/FILE; false when it does not fit. */
bool proc_path(char (&path)[256], const char *pid, const char *file)
{
	int n = snprintf(path, sizeof(path), "%s/%s/%s", sys_procfs(), pid, file);
	return n >= 0 && n < (int)sizeof(path);
}

}  // namespace

int sys_kill(pid_t pid, int sig)
{
	return kill(pid, sig);
}

DIR *sys_proc_opendir(void)
{
	return opendir(sys_procfs());
}

FILE *sys_proc_fopen(const char *pid, const char *file)
{
	char path[256];
	if (!proc_path(path, pid, file))
		return errno = ENAMETOOLONG, nullptr;
	return fopen(path, "re");
}

ssize_t sys_proc_read(const char *pid, const char *file, void *buf, size_t size)
{
	char path[256];
	if (!proc_path(path, pid, file))
		return errno = ENAMETOOLONG, -1;
	int fd = open(path, O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return -1;
	ssize_t got = sys_read_all(fd, buf, size);
	int e = errno;
	close(fd);
	errno = e;
	return got;
}
