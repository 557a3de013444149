/* Interface addresses by socket request, and the gateway of a route. */
#include "ci.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include "sys.h"

namespace {

/* The request of each kind of CiGetIfInfo(); 0: no such kind. */
unsigned long if_request(int kind)
{
	switch (kind) {
	case CI_IF_ADDR: return SIOCGIFADDR;
	case CI_IF_NETMASK: return SIOCGIFNETMASK;
	case CI_IF_HWADDR: return SIOCGIFHWADDR;
	default: return 0;
	}
}

constexpr unsigned ROUTE_UP = 0x1, ROUTE_GATEWAY = 0x2;

}  // namespace

int CiGetIfInfo(const char *ifname, int kind, void *result)
{
	unsigned long req = if_request(kind);
	int skfd = sys_socket(AF_INET, SOCK_STREAM, 0);
	if (skfd < 0)
		return 0;
	struct ifreq ifr;
	memset(&ifr, 0, sizeof(ifr));
	strncpy(ifr.ifr_name, ifname, IFNAMSIZ - 1);
	ifr.ifr_addr.sa_family = AF_INET;
	/* the flags prove that the interface is there at all */
	bool ok = sys_ioctl(skfd, SIOCGIFFLAGS, &ifr) >= 0 && req && sys_ioctl(skfd, req, &ifr) >= 0;
	close(skfd);
	if (!ok)
		return 0;
	if (kind == CI_IF_HWADDR) {
		memcpy(result, &ifr.ifr_hwaddr, sizeof(ifr.ifr_hwaddr));
	} else {
		const struct sockaddr_in *in = (const struct sockaddr_in *)&ifr.ifr_addr;
		memcpy(result, &in->sin_addr, 4);
	}
	return 1;
}

bool ci_route_gateway(FILE *routes, const char *ifname, uint32_t *gateway)
{
	char line[1024];
	while (fgets(line, sizeof(line), routes)) {
		char iface[17], dest[129], gw[129], mask[129];
		unsigned flags;
		int refcnt, use, metric, mtu, window, irtt;
		/* the header's flags column is no number: it never matches */
		int n = sscanf(line, "%16s %128s %128s %X %d %d %d %128s %d %d %d", iface, dest, gw, &flags,
			       &refcnt, &use, &metric, mask, &mtu, &window, &irtt);
		if (n < 10 || (flags & (ROUTE_UP | ROUTE_GATEWAY)) != (ROUTE_UP | ROUTE_GATEWAY) ||
		    strcmp(iface, ifname) != 0)
			continue;
		*gateway = (uint32_t)strtoul(gw, nullptr, 16);
		return true;
	}
	return false;
}
