/*
 * The wireless driver's requests.  On the router they reach the driver
 * through ioctl(); under a root the driver is files of the root, written
 * by tests and the demonstration (platform/sandbox/README.md has the
 * layout): the answers are the driver's exact bytes, so the reports
 * decode them as they would the router's driver.
 */
#include "sys.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <linux/wireless.h>

namespace {

constexpr char DRIVER_DIR[] = "/proc/.wireless";
constexpr char REQUEST_LOG[] = "/var/log/wireless";

/* How often this process has made each request of each interface, so
 * that the Nth one can get an answer of its own (a scan still busy). */
struct Calls {
	char ifname[IFNAMSIZ + 1];
	unsigned long req;
	unsigned n;
};
Calls calls[16];

/* The number of this call; 0 when the table is full (no sequence). */
unsigned count_call(const char *ifname, unsigned long req)
{
	for (Calls &c : calls) {
		if (!c.ifname[0]) {
			strcpy(c.ifname, ifname);
			c.req = req;
		}
		if (c.req == req && !strcmp(c.ifname, ifname))
			return ++c.n;
	}
	return 0;
}

void log_request(const char *ifname, unsigned long req, unsigned len)
{
	char line[64];
	int n = snprintf(line, sizeof(line), "%ld %s %04lx %u\n", (long)sys_time(), ifname, req, len);
	int fd = sys_open(REQUEST_LOG, O_WRONLY | O_APPEND | O_CREAT, 0644);
	if (fd < 0)
		return;
	/* one write: records of concurrent programs stay whole */
	if (write(fd, line, n) < 0) {
		/* a record lost is no reason to fail the request */
	}
	close(fd);
}

/* The answer file of a request: REQ.N when there is one, else REQ. */
ssize_t read_answer(const char *ifname, unsigned long req, unsigned n, void *buf, size_t size)
{
	char path[64];
	if (n) {
		snprintf(path, sizeof(path), "%s/%s/%04lx.%u", DRIVER_DIR, ifname, req, n);
		ssize_t got = sys_read_file(path, buf, size);
		if (got >= 0 || errno != ENOENT)
			return got;
	}
	snprintf(path, sizeof(path), "%s/%s/%04lx", DRIVER_DIR, ifname, req);
	return sys_read_file(path, buf, size);
}

bool is_wireless(const char *ifname)
{
	/* a name that is a path of its own never leaves the driver's directory */
	if (!ifname[0] || strchr(ifname, '/') || !strcmp(ifname, ".") || !strcmp(ifname, ".."))
		return false;
	char dir[64];
	snprintf(dir, sizeof(dir), "%s/%s", DRIVER_DIR, ifname);
	struct stat st;
	return sys_stat(dir, &st) == 0 && S_ISDIR(st.st_mode);
}

int sandbox_request(unsigned long req, struct iwreq *wrq)
{
	char ifname[IFNAMSIZ + 1];
	memcpy(ifname, wrq->ifr_name, IFNAMSIZ);
	ifname[IFNAMSIZ] = '\0';
	bool get_name = req == SIOCGIWNAME;
	log_request(ifname, req, get_name ? 0 : wrq->u.data.length);
	if (!is_wireless(ifname))
		return errno = ENODEV, -1;
	unsigned n = count_call(ifname, req);
	if (get_name) {
		/* the protocol name, "IEEE 802.11" unless the root says otherwise */
		char name[IFNAMSIZ] = "IEEE 802.11";
		read_answer(ifname, req, n, name, sizeof(name));
		memcpy(wrq->u.name, name, sizeof(name));
		return 0;
	}
	if (!wrq->u.data.pointer && wrq->u.data.length)
		return errno = EFAULT, -1;
	ssize_t got = read_answer(ifname, req, n, wrq->u.data.pointer, wrq->u.data.length);
	return got < 0 ? (errno = EOPNOTSUPP, -1) : 0;
}

}  // namespace

int sys_wireless_ioctl(int fd, unsigned long req, struct iwreq *wrq)
{
	if (sys_sandboxed())
		return sandbox_request(req, wrq);
	return ioctl(fd, req, wrq);
}
