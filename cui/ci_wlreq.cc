/*
 * The wireless driver's requests: each on a socket of its own, after the
 * name request that tells a wireless interface from any other.  The
 * records come back in the driver's byte order (big-endian, as on the
 * router) and are decoded by their readers with be.h.
 */
#include "ci.h"

#include <string.h>
#include <unistd.h>
#include <sys/socket.h>
#include <linux/wireless.h>

#include "be.h"
#include "sys.h"

int Ciiw_get_ext(int skfd, const char *ifname, int request, struct iwreq *pwrq)
{
	strncpy(pwrq->ifr_name, ifname, IFNAMSIZ);
	return sys_wireless_ioctl(skfd, (unsigned)request, pwrq);
}

namespace {

/* One request with a buffer of `len` bytes: 0 or -1. */
int wl_request(const char *ifname, unsigned req, void *buf, uint16_t len)
{
	int skfd = sys_socket(AF_INET, SOCK_STREAM, 0);
	if (skfd < 0)
		return -1;
	struct iwreq wrq;
	memset(&wrq, 0, sizeof(wrq));
	int rc = Ciiw_get_ext(skfd, ifname, SIOCGIWNAME, &wrq);
	if (rc >= 0) {
		wrq.u.data.pointer = buf;
		wrq.u.data.length = len;
		rc = Ciiw_get_ext(skfd, ifname, req, &wrq);
	}
	close(skfd);
	return rc < 0 ? -1 : 0;
}

}  // namespace

int CigetWlBssInfo(const char *ifname, uint8_t *bss)
{
	return wl_request(ifname, CI_WL_BSS_INFO, bss, CI_BSS_SIZE);
}

int CigetWlSiteSurveyRequest(const char *ifname, int *status)
{
	uint8_t answer = 0;
	if (wl_request(ifname, CI_WL_SCAN_REQ, &answer, 1) < 0)
		return -1;
	*status = answer == 0xFF ? -1 : answer;
	return 0;
}

int CigetWlSiteSurveyResult(const char *ifname, uint8_t *buf)
{
	return wl_request(ifname, CI_WL_SCAN_RESULT, buf, buf[0] ? 1 : CI_SCAN_SIZE);
}

int CigetWlStaTable(const char *ifname, uint8_t *table)
{
	return wl_request(ifname, CI_WL_STA_TABLE, table, CI_STA_TABLE_SIZE);
}

int CigetWlStaNum(const char *ifname, unsigned *count)
{
	uint8_t num[2] = {0, 0};
	if (wl_request(ifname, CI_WL_STA_NUM, num, sizeof(num)) < 0)
		return -1;
	*count = be16(num);
	return 0;
}
