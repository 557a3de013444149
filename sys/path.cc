/* Router paths under the sandbox root. */
#include "sys.h"

#include <stdlib.h>
#include <string.h>

namespace {

/* Every router path is made real through here: the root's length is
 * measured once. */
size_t root_len;

}  // namespace

const char *sys_root(void)
{
	static const char *root;
	static char buf[256];
	if (root)
		return root;
	const char *env = getenv("KP7_ROOT");
	size_t len = env ? strlen(env) : 0;
	while (len > 0 && env[len - 1] == '/')
		len--;
	/* A root too long for our path buffers would silently escape it. */
	if (len >= sizeof(buf))
		abort();
	memcpy(buf, env ? env : "", len);
	buf[len] = '\0';
	root_len = len;
	root = buf;
	return root;
}

bool sys_sandboxed(void)
{
	const char *env = getenv("KP7_ROOT");
	return env && *env;
}

SysPath::SysPath(const char *path)
{
	const char *root = sys_root();
	size_t rlen = root_len, plen = strlen(path);
	buf[0] = '\0';
	/* Relative paths are the caller's own business: leave them alone. */
	if (path[0] != '/')
		rlen = 0;
	if (rlen + plen >= sizeof(buf))
		return;
	memcpy(buf, root, rlen);
	memcpy(buf + rlen, path, plen + 1);
}

const char *sys_procfs(void)
{
	const char *env = getenv("KP7_PROCFS");
	return env && *env ? env : "/proc";
}
