/* kp7cui -i NAME INDEX: the report table and the lookup of NAME. */
#include "ci.h"

#include <string.h>

#include "apmib.h"

const CuiInfoCmd CuiInfoCmdTbl[CI_INFO_COUNT] = {
	{"WLAN_CLIENT", CiWlanClient},
	{"WLAN_SITE_SURVEY", CiWlanSiteSurvey},
	{"DHCP_CLIENT", CiDhcpClient},
	{"STATUS", CiStatus},
	{"TRANSFER_STATUS", CiTransferStatus},
	{"MODEM_SQ", CiModemSignalQuality},
	{"MODEM_CNUM", CiModemCnum},
	{"MODEM_STATUS", CiModemStatus},
};

int cui_info(cui_soft_t *sc, int argc, char **argv)
{
	if (argc - sc->n_arg < 2)
		return cui_fail(sc, CI_ERR_INDEX, "illegal index\n");
	/* exact and whole: a name that merely begins like a report is none */
	const char *name = argv[sc->n_arg];
	for (const CuiInfoCmd &c : CuiInfoCmdTbl) {
		if (strcmp(name, c.name) == 0)
			return c.handler ? c.handler(sc, argc, argv)
					 : cui_fail(sc, CI_ERR_NAME, "illegal name\n");
	}
	return cui_fail(sc, CI_ERR_NAME, "illegal name\n");
}

bool ci_mib(int id, int *value)
{
	uint32_t v = 0;
	if (!apmib_get(id, &v))
		return false;
	*value = (int)v;
	return true;
}

void ci_select_wlan(int vwlan)
{
	wlan_idx = 0;
	vwlan_idx = vwlan;
}

char *ci_mac_text(const uint8_t *mac, char *text)
{
	snprintf(text, 18, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2], mac[3], mac[4],
		 mac[5]);
	return text;
}

char *ci_ip_text(const uint8_t *ip, char *text)
{
	snprintf(text, 16, "%u.%u.%u.%u", ip[0], ip[1], ip[2], ip[3]);
	return text;
}
