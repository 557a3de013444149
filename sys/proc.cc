/* Processes: the real process table and real signals, never under the
 * root (programs under test run in a private PID namespace). */
#include "sys.h"
#include "sys_int.h"

#include <errno.h>
#include <signal.h>

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
	return sys_read_real(path, buf, size);
}
