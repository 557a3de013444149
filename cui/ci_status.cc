/*
 * STATUS: the device summary.  Every section gathers its values first
 * and prints them whole; a value that cannot be had is shown as empty,
 * "0.0.0.0", "00:00:00:00:00:00" or "unknown", and a section whose
 * settings cannot be read is left out.  The report never fails.
 */
#include "ci.h"

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "be.h"
#include "sys.h"

const char fwVersion[] = "v2.02.50(ZT001)";

namespace {

constexpr char NO_IP[] = "0.0.0.0";
constexpr char NO_MAC[] = "00:00:00:00:00:00";
constexpr char ROUTES[] = "/proc/net/route";

/* A number and its text: the tables of the report's lines. */
struct Named {
	int value;
	const char *text;
};

template <size_t N>
const char *text_of(const Named (&table)[N], int value, const char *other = "unknown")
{
	for (const Named &n : table)
		if (n.value == value)
			return n.text;
	return other;
}

constexpr Named WAN_MODES[] = {
	{0, "Fixed IP"}, {1, "DHCP Client"}, {3, "PPPoE"}, {16, "Mobile Card(USB)"},
};
constexpr int WAN_USB = 16;
constexpr Named WLAN_MODES[] = {{0, "AP"}, {2, "WDS"}, {3, "AP+WDS"}};
constexpr int WLAN_CLIENT_MODE = 1;
constexpr Named BANDS[] = {
	{1, "2.4 GHz (B)"}, {2, "2.4 GHz (G)"}, {3, "2.4 GHz (B+G)"}, {4, "5 GHz (A)"},
	{10, "2.4 GHz (G+N)"}, {11, "2.4 GHz (B+G+N)"}, {12, "5 GHz (A+N)"},
	{15, "2.4GHz+5 GHz (A+B+G+N)"},
};
constexpr int BAND_N = 8;
constexpr Named AP_SECURITY[] = {{0, "Disabled"}, {2, "WPA"}, {4, "WPA2"}, {6, "WPA2 Mixed"}, {7, "WAPI"}};
constexpr Named WEP_KEYS[] = {{0, "Disabled"}, {1, "Wep 64bits"}, {2, "Wep 128bits"}};
constexpr Named WDS_SECURITY[] = {
	{0, "Disabled"}, {1, "WEP 64bits"}, {2, "WEP 128bits"}, {3, "TKIP"}, {4, "AES"},
};
constexpr Named MESH_SECURITY[] = {{0, "Disabled"}, {4, "WPA2"}};
constexpr Named DHCP_SERVER[] = {{0, "Inactive"}, {2, "Active"}, {15, "Auto"}};

/* The first line of a file without its line end; false when there is none. */
bool first_line(const char *path, char *line, size_t size)
{
	FILE *f = sys_fopen(path, "r");
	if (!f)
		return false;
	bool got = fgets(line, (int)size, f) != nullptr;
	fclose(f);
	if (got)
		line[strcspn(line, "\r\n")] = '\0';
	return got;
}

void print_uptime(void)
{
	long up = sys_uptime();
	unsigned long s = up < 0 ? 0 : (unsigned long)up;
	printf("Uptime\t\t%ludays:%lu:%lu:%lus\n", s / 86400, s % 86400 / 3600, s % 3600 / 60, s % 60);
}

/* The kernel's build: what follows the blank after the first '#'. */
void print_build(void)
{
	char line[1024];
	const char *build = "";
	if (first_line("/proc/version", line, sizeof(line))) {
		const char *hash = strchr(line, '#');
		const char *blank = hash ? strchr(hash, ' ') : nullptr;
		if (blank)
			build = blank + 1;
	}
	printf("Build\t\t%s\n", build);
}

void print_ntp(void)
{
	char line[64];
	bool synced = first_line("/var/ntp_success", line, sizeof(line)) && atoi(line) == 1;
	printf("NTP\t\t%s\n", synced ? "Synchronized" : "unSynchronized");
}

/* Kind 0 or 1 of CiGetIfInfo() as text, "0.0.0.0" when there is none. */
char *if_ip(const char *ifname, int kind, char *text)
{
	uint8_t ip[4] = {0, 0, 0, 0};
	CiGetIfInfo(ifname, kind, ip);	/* untouched on failure */
	return ci_ip_text(ip, text);
}

char *if_mac(const char *ifname, char *text)
{
	uint8_t sa[16];
	if (!CiGetIfInfo(ifname, CI_IF_HWADDR, sa))
		return strcpy(text, NO_MAC);
	return ci_mac_text(sa + 2, text);
}

char *wan_gateway(const char *ifname, char *text)
{
	FILE *f = sys_fopen(ROUTES, "r");
	if (!f) {
		printf("Open %s file error.\n", ROUTES);
		return strcpy(text, NO_IP);
	}
	uint32_t word;
	bool found = ci_route_gateway(f, ifname, &word);
	fclose(f);
	if (!found)
		return strcpy(text, NO_IP);
	/* the word as the router's kernel prints a stored address */
	uint8_t ip[4];
	put_be32(ip, word);
	return ci_ip_text(ip, text);
}

bool over_ppp(int wan_type)
{
	return wan_type == 3 || wan_type == 4 || wan_type == 6 || wan_type == WAN_USB;
}

void print_wan(void)
{
	int op_mode, wan_type, wisp;
	if (!ci_mib(CI_MIB_OP_MODE, &op_mode) || !ci_mib(CI_MIB_WAN_TYPE, &wan_type) || op_mode != 0)
		return;
	printf("WAN\nMode\t\t%s\n", text_of(WAN_MODES, wan_type));
	char ip[16] = "", mask[16] = "", gateway[16] = "", mac[18] = "";
	bool read = ci_mib(CI_MIB_WAN_TYPE, &wan_type) && ci_mib(CI_MIB_OP_MODE, &op_mode) &&
		    ci_mib(CI_MIB_WISP_WAN_ID, &wisp);
	/* the PPP interface only while its link is up */
	bool ppp = over_ppp(wan_type);
	if (read && (!ppp || sys_access("/etc/ppp/link", F_OK) == 0)) {
		const char *ifname = ppp ? "ppp0" : "eth1";
		if_ip(ifname, CI_IF_ADDR, ip);
		if_ip(ifname, CI_IF_NETMASK, mask);
		wan_gateway(ifname, gateway);
		if_mac("eth1", mac);
	}
	printf("IP Address\t%s\n", ip);
	if (wan_type != WAN_USB)
		printf("SubnetMask\t%s\nGateWay\t\t%s\nMac Address\t%s\n", mask, gateway, mac);
}

/* What a wireless block shows. */
struct WlanBlock {
	uint8_t bss[CI_BSS_SIZE];
	int mode, network_type, encrypt, band, wep, wds_encrypt, mesh_encrypt;
	unsigned clients;
};

/* False when the interface is disabled or anything of it cannot be had. */
bool read_wlan(int vwlan, const char *ifname, WlanBlock *b)
{
	int disabled;
	ci_select_wlan(vwlan);
	if (!ci_mib(CI_MIB_WLAN_DISABLED, &disabled) || disabled == 1)
		return false;
	return CigetWlBssInfo(ifname, b->bss) == 0 && ci_mib(CI_MIB_WLAN_MODE, &b->mode) &&
	       ci_mib(CI_MIB_WLAN_NETWORK_TYPE, &b->network_type) &&
	       ci_mib(CI_MIB_WLAN_ENCRYPT, &b->encrypt) && ci_mib(CI_MIB_WLAN_BAND, &b->band) &&
	       ci_mib(CI_MIB_WLAN_WEP, &b->wep) && ci_mib(CI_MIB_WLAN_WDS_ENCRYPT, &b->wds_encrypt) &&
	       ci_mib(CI_MIB_WLAN_MESH_ENCRYPT, &b->mesh_encrypt) &&
	       CigetWlStaNum(ifname, &b->clients) == 0;
}

const char *mode_text(const WlanBlock *b)
{
	if (b->mode == WLAN_CLIENT_MODE)
		return b->network_type == 0 ? "Client" : "Ac-hoc Client";
	return text_of(WLAN_MODES, b->mode);
}

/* The security of each part of the mode: the access point's own (modes
 * 0, 1, 3, 4), the WDS link's (2, 3), the mesh's (4, 5); two parts are
 * told apart by their names. */
void print_security(const WlanBlock *b)
{
	int m = b->mode;
	printf("Security\t");
	if (m >= 6 || m < 0) {
		puts("unknown");
		return;
	}
	if (m == 0 || m == 1 || m == 3 || m == 4) {
		const char *ap = text_of(AP_SECURITY, b->encrypt, nullptr);
		printf("%s%s", ap ? ap : text_of(WEP_KEYS, b->wep), m >= 3 ? "(AP) " : "");
	}
	if (m == 2 || m == 3)
		printf("%s%s", text_of(WDS_SECURITY, b->wds_encrypt), m == 3 ? "(WDS)" : "");
	if (m == 4 || m == 5)
		printf("%s%s", text_of(MESH_SECURITY, b->mesh_encrypt), m == 4 ? "(Mesh)" : "");
	putchar('\n');
}

void print_wlan_block(int vwlan, const WlanBlock *b)
{
	/* the driver's name text, one line whatever it holds */
	char ssid[34];
	memcpy(ssid, b->bss + 11, 33);
	ssid[33] = '\0';
	for (char *p = ssid; *p; p++)
		if ((uint8_t)*p < 0x20 || *p == 0x7F)
			*p = '?';
	uint8_t channel = b->bss[1];
	if (vwlan == 0)
		printf("Primary SSID\t%s\nMode\t\t%s\n", ssid, mode_text(b));
	else
		printf("Secondary SSID\t%s\n", ssid);
	const char *band = b->band == BAND_N ? channel < 15 ? "2.4 GHz (N)" : "5 GHz (N)"
					     : text_of(BANDS, b->band);
	printf("Band\t\t%s\nChannel\t\t%u\n", band, channel);
	print_security(b);
	char bssid[18];
	printf("BSSID\t\t%s\nClients\t\t%u\n", ci_mac_text(b->bss + 3, bssid), b->clients);
}

void print_wlan(void)
{
	static const char *const IFNAMES[] = {"wlan0", "wlan0-va0"};
	puts("WLAN");
	/* a disabled primary also ends the section */
	for (int vwlan = 0; vwlan < 2; vwlan++) {
		WlanBlock b;
		if (!read_wlan(vwlan, IFNAMES[vwlan], &b))
			return;
		print_wlan_block(vwlan, &b);
	}
}

void print_lan(void)
{
	char ip[16], mask[16], mac[18];
	if_ip("br0", CI_IF_ADDR, ip);
	if_ip("br0", CI_IF_NETMASK, mask);
	if_mac("br0", mac);
	int dhcp;
	if (!ci_mib(CI_MIB_DHCP, &dhcp))
		return;
	printf("LAN\nIP Address\t%s\nSubnetMask\t%s\nMac Address\t%s\nDHCP Server\t%s\n", ip, mask, mac,
	       text_of(DHCP_SERVER, dhcp));
}

}  // namespace

int CiStatus(cui_soft_t *sc, int argc, char **argv)
{
	(void)sc;
	(void)argc;
	(void)argv;
	print_uptime();
	printf("Version\t\t%s\n", fwVersion);
	print_build();
	print_ntp();
	print_wan();
	print_wlan();
	print_lan();
	return 0;
}
