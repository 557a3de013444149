/* Router paths under the sandbox root. */
#include "sys.h"
#include "sys_base.h"

namespace {

/* Every router path is made real through here: the root's length is
 * measured once. */
char root_buf[256];
size_t root_len;

}  // namespace

const char *sys_root(void)
{
	static bool known;
	if (!known) {
		root_len = sys_base_root(root_buf, sizeof(root_buf));
		known = true;
	}
	return root_buf;
}

bool sys_sandboxed(void)
{
	const char *env = getenv("KP7_ROOT");
	return env && *env;
}

SysPath::SysPath(const char *path)
{
	static_assert(sizeof(buf) == SYS_PATH_MAX, "one length for every real path");
	const char *root = sys_root();
	sys_base_path(buf, root, root_len, path);
}

const char *sys_procfs(void)
{
	const char *env = getenv("KP7_PROCFS");
	return env && *env ? env : "/proc";
}
