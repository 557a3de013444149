/* Every command goes through one shell: the root's own under a sandbox. */
#include "sys.h"
#include "sys_int.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

const char *sys_shell(void)
{
	/* Filled on first use without a guarded static: the guard would drag
	 * the C++ run-time's exception machinery into every program. */
	static char shell[sizeof(SysPath::buf)];
	if (!shell[0])
		memcpy(shell, SysPath("/bin/sh").c_str(), sizeof(shell));
	return shell;
}

void sys_exec_shell(const char *cmd)
{
	char now[32];
	if (sys_clock_env(now, sizeof(now)))
		setenv("KP7_TIME_START", now, 1);
	execl(sys_shell(), "sh", "-c", cmd, (char *)nullptr);
}

pid_t sys_spawn_shell(const char *cmd, int fd, int target)
{
	/* Everything the child needs is made here: a vfork child shares our
	 * memory and may only make system calls until it has exec'd.  Our
	 * own clock was anchored at start, so the variable is ours to set. */
	const char *shell = sys_shell();
	char now[32];
	if (sys_clock_env(now, sizeof(now)))
		setenv("KP7_TIME_START", now, 1);
	pid_t pid = vfork();
	if (pid == 0) {
		/* Both pipe ends are close-on-exec; dup2() clears the flag on
		 * the copy, an end that already is `target` gets it cleared. */
		if (fd == target ? fcntl(fd, F_SETFD, 0) < 0 : dup2(fd, target) < 0)
			_exit(127);
		execl(shell, "sh", "-c", cmd, (char *)nullptr);
		_exit(127);
	}
	return pid;
}

int sys_system(const char *cmd)
{
	if (!cmd)
		return 1;
	/* As system(3): the caller ignores interrupt and quit while it waits. */
	struct sigaction ign = {}, old_int, old_quit;
	ign.sa_handler = SIG_IGN;
	sigaction(SIGINT, &ign, &old_int);
	sigaction(SIGQUIT, &ign, &old_quit);
	pid_t pid = fork();
	if (pid == 0) {
		sigaction(SIGINT, &old_int, nullptr);
		sigaction(SIGQUIT, &old_quit, nullptr);
		sys_exec_shell(cmd);
		_exit(127);
	}
	int status = -1;
	if (pid > 0) {
		while (waitpid(pid, &status, 0) < 0) {
			if (errno != EINTR) {
				status = -1;
				break;
			}
		}
	}
	sigaction(SIGINT, &old_int, nullptr);
	sigaction(SIGQUIT, &old_quit, nullptr);
	return status;
}

namespace {

struct Child {
	FILE *stream;
	pid_t pid;
};
Child children[8];

}  // namespace

FILE *sys_popen(const char *cmd, const char *mode)
{
	bool reading = mode[0] == 'r';
	if (!reading && mode[0] != 'w')
		return errno = EINVAL, nullptr;
	Child *slot = nullptr;
	for (Child &c : children)
		if (!c.stream) {
			slot = &c;
			break;
		}
	if (!slot)
		return errno = EMFILE, nullptr;
	int fds[2];
	if (pipe2(fds, O_CLOEXEC) < 0)
		return nullptr;
	int mine = reading ? fds[0] : fds[1], theirs = reading ? fds[1] : fds[0];
	pid_t pid = sys_spawn_shell(cmd, theirs, reading ? 1 : 0);
	close(theirs);
	FILE *stream = pid > 0 ? fdopen(mine, reading ? "r" : "w") : nullptr;
	if (!stream) {
		int e = errno;
		close(mine);
		if (pid > 0)
			waitpid(pid, nullptr, 0);
		return errno = e, nullptr;
	}
	slot->stream = stream;
	slot->pid = pid;
	return stream;
}

int sys_pclose(FILE *stream)
{
	for (Child &c : children) {
		if (c.stream != stream)
			continue;
		fclose(stream);
		c.stream = nullptr;
		int status;
		while (waitpid(c.pid, &status, 0) < 0)
			if (errno != EINTR)
				return -1;
		return status;
	}
	return errno = ECHILD, -1;
}
