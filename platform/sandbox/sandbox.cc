/* Shared by the sandbox's own programs; see sandbox.h. */
#include "sandbox.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

bool sandbox_root_path(const std::string &root, const char *path, std::string *out)
{
	std::string cur, rest = path;
	int hops = 0;
	while (!rest.empty()) {
		size_t slash = rest.find('/');
		std::string part = rest.substr(0, slash);
		rest = slash == std::string::npos ? "" : rest.substr(slash + 1);
		if (part.empty() || part == ".")
			continue;
		if (part == "..") {
			size_t up = cur.rfind('/');
			cur.erase(up == std::string::npos ? 0 : up);
			continue;
		}
		char link[4096];
		ssize_t n = readlink((root + cur + "/" + part).c_str(), link, sizeof(link));
		if (n < 0 && errno != EINVAL && errno != ENOENT && errno != ENOTDIR)
			return false;
		if (n < 0) {
			cur += "/" + part;
			continue;
		}
		if (n == 0 || ++hops > 40)
			return false;
		std::string target(link, n);
		if (target[0] == '/')
			cur.clear();
		rest = rest.empty() ? target : target + "/" + rest;
	}
	*out = root + (cur.empty() ? "/" : cur);
	return true;
}

unsigned long sandbox_net_inode(void)
{
	struct stat st;
	return stat("/proc/self/ns/net", &st) == 0 ? (unsigned long)st.st_ino : 0;
}

bool sandbox_in_own_net(void)
{
	const char *env = getenv("KP7_NETNS");
	if (!env || !*env)
		return false;
	char *end;
	unsigned long want = strtoul(env, &end, 10);
	return !*end && want != 0 && want == sandbox_net_inode();
}

bool sandbox_in_own_pid_ns(const char *procfs)
{
	/* The procfs numbers processes as our namespace does: "self" there
	 * is our own pid. */
	char path[256], self[32], want[32];
	snprintf(path, sizeof(path), "%s/self", procfs);
	ssize_t n = readlink(path, self, sizeof(self) - 1);
	if (n <= 0)
		return false;
	self[n] = '\0';
	snprintf(want, sizeof(want), "%d", (int)getpid());
	if (strcmp(self, want) != 0)
		return false;
	/* and the namespace's first process is a kp7init, not a machine's init */
	char comm[32];
	snprintf(path, sizeof(path), "%s/1/comm", procfs);
	int fd = open(path, O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return false;
	n = read(fd, comm, sizeof(comm) - 1);
	close(fd);
	if (n <= 0)
		return false;
	comm[n] = '\0';
	comm[strcspn(comm, "\n")] = '\0';
	return strcmp(comm, SANDBOX_INIT_NAME) == 0;
}

char *sandbox_escape(char *out, const char *text)
{
	for (; *text; text++) {
		if (*text == '\\') {
			*out++ = '\\';
			*out++ = '\\';
		} else if (*text == '\n') {
			*out++ = '\\';
			*out++ = 'n';
		} else {
			*out++ = *text;
		}
	}
	return out;
}

int sandbox_append(const char *path, const char *data, size_t len)
{
	int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
	if (fd < 0)
		return errno;
	ssize_t n = write(fd, data, len);
	int err = n == (ssize_t)len ? 0 : n < 0 ? errno : EIO;
	close(fd);
	return err;
}
