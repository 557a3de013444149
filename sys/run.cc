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
	sys_clock_export();
	execl(sys_shell(), "sh", "-c", cmd, (char *)nullptr);
}

pid_t sys_spawn_shell(const char *cmd, int fd, int target)
{
	/* Everything the child needs is made here: a vfork child shares our
	 * memory and may only make system calls until it has exec'd, and we
	 * stand still until then, so the entry it passes on stays as is. */
	const char *shell = sys_shell();
	sys_clock_export();
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

/* The child's wait status, or -1 when it cannot be had; interrupted
 * waits are resumed.  Inlined: on the router a call costs more than the
 * loop. */
__attribute__((always_inline)) static inline int wait_status(pid_t pid)
{
	int status;
	pid_t got;
	while ((got = waitpid(pid, &status, 0)) < 0 && errno == EINTR)
		;
	return got < 0 ? -1 : status;
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
	int status = pid > 0 ? wait_status(pid) : -1;
	sigaction(SIGINT, &old_int, nullptr);
	sigaction(SIGQUIT, &old_quit, nullptr);
	return status;
}

namespace {

/* One child started by sys_popen_fd() and not yet closed: the one list of
 * them, whichever layer opened the stream. */
struct Child {
	Child *next;
	FILE *stream;
	pid_t pid;
};
Child *children;

}  // namespace

FILE *sys_popen_fd(const char *cmd, int target)
{
	if (!cmd || target < 0 || target > 2)
		return errno = EINVAL, nullptr;
	Child *c = (Child *)malloc(sizeof(*c));
	if (!c)
		return nullptr;
	int fds[2];
	if (pipe2(fds, O_CLOEXEC) < 0) {
		free(c);
		return nullptr;
	}
	bool writing = target == 0;
	int mine = writing ? fds[1] : fds[0], theirs = writing ? fds[0] : fds[1];
	/* Both ends are close-on-exec: no later child keeps this pipe open,
	 * so closing the stream always gives this child its end of file.
	 * The stream is made first, so that no child is left without one. */
	FILE *stream = fdopen(mine, writing ? "w" : "r");
	pid_t pid = stream ? sys_spawn_shell(cmd, theirs, target) : -1;
	int e = errno;
	close(theirs);
	if (pid < 0) {
		if (stream)
			fclose(stream);
		else
			close(mine);
		free(c);
		return errno = e, nullptr;
	}
	c->stream = stream;
	c->pid = pid;
	c->next = children;
	children = c;
	return stream;
}

FILE *sys_popen(const char *cmd, const char *mode)
{
	switch (mode ? mode[0] : '\0') {
	case 'r': return sys_popen_fd(cmd, 1);
	case 'w': return sys_popen_fd(cmd, 0);
	default: return errno = EINVAL, nullptr;
	}
}

int sys_pclose(FILE *stream)
{
	if (!stream)
		return errno = EINVAL, -1;
	/* First the stream: the child sees end of file or a broken pipe. */
	fclose(stream);
	Child **link = &children;
	while (*link && (*link)->stream != stream)
		link = &(*link)->next;
	Child *c = *link;
	if (!c)
		return errno = ECHILD, -1;
	*link = c->next;
	pid_t pid = c->pid;
	free(c);
	return wait_status(pid);
}
