/* Commands through a pipe, with a list of the children still open. */
#include "utl.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "sys.h"

namespace {

/* One child started by utl_popen() and not yet closed. */
struct Child {
	Child *next;
	FILE *stream;
	pid_t pid;
};

Child *children;

/* The child's descriptor joined to the pipe, or -1 for an unknown mode. */
int child_fd(const char *mode)
{
	switch (mode ? mode[0] : '\0') {
	case 'r': return 1;
	case 'e': return 2;
	case 'w': return 0;
	default: return -1;
	}
}

}  // namespace

FILE *utl_popen(const char *command, const char *mode)
{
	int target = child_fd(mode);
	if (target < 0 || !command)
		return nullptr;
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
	 * so closing the stream always gives this child its end of file. */
	FILE *stream = fdopen(mine, writing ? "w" : "r");
	pid_t pid = stream ? sys_spawn_shell(command, theirs, target) : -1;
	close(theirs);
	if (pid < 0) {
		if (stream)
			fclose(stream);
		else
			close(mine);
		free(c);
		return nullptr;
	}
	c->stream = stream;
	c->pid = pid;
	c->next = children;
	children = c;
	return stream;
}

int utl_pclose(FILE *stream)
{
	if (!stream)
		return -1;
	/* First the stream: the child sees end of file or a broken pipe. */
	fclose(stream);
	Child **link = &children;
	while (*link && (*link)->stream != stream)
		link = &(*link)->next;
	Child *c = *link;
	if (!c)
		return -1;
	*link = c->next;
	int status;
	pid_t got;
	while ((got = waitpid(c->pid, &status, 0)) < 0 && errno == EINTR)
		;
	free(c);
	return got < 0 ? -1 : status;
}
