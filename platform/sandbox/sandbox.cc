/* Shared by the sandbox's own programs; see sandbox.h. */
#include "sandbox.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>
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

namespace {

/* One route-netlink request about loopback; the answer in `reply`. */
int ask_loopback(bool mark, char *reply, size_t size)
{
	struct {
		struct nlmsghdr nh;
		struct ifinfomsg ifi;
		char attrs[64];
	} req = {};
	req.nh.nlmsg_len = NLMSG_LENGTH(sizeof(req.ifi));
	req.nh.nlmsg_type = mark ? RTM_NEWLINK : RTM_GETLINK;
	req.nh.nlmsg_flags = NLM_F_REQUEST | (mark ? NLM_F_ACK : 0);
	req.ifi.ifi_family = AF_UNSPEC;
	req.ifi.ifi_index = (int)if_nametoindex("lo");
	if (mark) {
		struct rtattr *alias = (struct rtattr *)req.attrs;
		alias->rta_type = IFLA_IFALIAS;
		alias->rta_len = RTA_LENGTH(sizeof(SANDBOX_NET_ALIAS));
		memcpy(RTA_DATA(alias), SANDBOX_NET_ALIAS, sizeof(SANDBOX_NET_ALIAS));
		req.nh.nlmsg_len += RTA_ALIGN(alias->rta_len);
		req.ifi.ifi_flags = IFF_UP;
		req.ifi.ifi_change = IFF_UP;
	}
	if (req.ifi.ifi_index == 0)
		return errno;
	int s = socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
	if (s < 0)
		return errno;
	ssize_t n = send(s, &req, req.nh.nlmsg_len, 0) < 0 ? -1 : recv(s, reply, size, 0);
	int err = n < (ssize_t)sizeof(struct nlmsghdr) ? (n < 0 ? errno : EIO) : 0;
	close(s);
	return err;
}

}  // namespace

int sandbox_mark_net(void)
{
	char reply[256];
	int err = ask_loopback(true, reply, sizeof(reply));
	if (err)
		return err;
	const struct nlmsghdr *nh = (const struct nlmsghdr *)reply;
	if (nh->nlmsg_type != NLMSG_ERROR)
		return EIO;
	return -((const struct nlmsgerr *)NLMSG_DATA(nh))->error;
}

bool sandbox_in_own_net(void)
{
	char reply[4096];
	if (ask_loopback(false, reply, sizeof(reply)) != 0)
		return false;
	const struct nlmsghdr *nh = (const struct nlmsghdr *)reply;
	if (nh->nlmsg_type != RTM_NEWLINK)
		return false;
	const struct ifinfomsg *ifi = (const struct ifinfomsg *)NLMSG_DATA(nh);
	int len = (int)IFLA_PAYLOAD(nh);
	for (const struct rtattr *a = IFLA_RTA(ifi); RTA_OK(a, len); a = RTA_NEXT(a, len))
		if (a->rta_type == IFLA_IFALIAS) {
			const char *alias = (const char *)RTA_DATA(a);
			return std::string(alias, strnlen(alias, RTA_PAYLOAD(a))) == SANDBOX_NET_ALIAS;
		}
	return false;
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
