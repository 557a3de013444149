/* Router paths under the sandbox root. */
#include "sys.h"
#include "sys_base.h"

namespace {

/* Every router path is made real through here. */
SysRoot root;

}  // namespace

const char *sys_root(void)
{
	return sys_base_root(&root);
}

bool sys_sandboxed(void)
{
	const char *env = getenv("KP7_ROOT");
	return env && *env;
}

SysPath::SysPath(const char *path)
{
	static_assert(sizeof(buf) == SYS_PATH_MAX, "one length for every real path");
	sys_base_path(buf, sys_root(), &root, path);
}

const char *sys_procfs(void)
{
	const char *env = getenv("KP7_PROCFS");
	return env && *env ? env : "/proc";
}
