/* Commands through a pipe: the platform's runner, with the library's
 * three modes.  Its list of children is the runner's. */
#include "utl.h"

#include "sys.h"

namespace {

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
	return target < 0 ? nullptr : sys_popen_fd(command, target);
}

int utl_pclose(FILE *stream)
{
	return sys_pclose(stream);
}
