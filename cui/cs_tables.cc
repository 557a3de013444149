/*
 * The parameter tables: names, store numbers, value kinds and limits, the
 * lists' entry layouts, the time zones.  The rows below are packed by the
 * compiler into the read-only records of cs.h (cs_rows.h), every text
 * once in one pool.  A list's commands and rows are written once, in its
 * LIST_ROWS row, and placed into the set and get tables from there.  The
 * generic code that walks the tables is in the other cs_*.cc files,
 * cui_set.cc and cui_get.cc.
 */
#include "cs.h"

#include <stddef.h>
#include <string.h>

#include "cs_rows.h"
#include "easydns.h"

namespace {

using namespace cs_rows;

/* ---- the rows ---- */

/* Grouped by value kind; lookups walk the table whole, so the order is
 * free.  The list commands follow, from CS_LISTS. */
constexpr SetRow SET_ROWS[] = {
	/* CUI_SET_TYPE_NUM */
	num("OP_MODE", 192),
	num("WLAN_MODE", 59),
	num("WLAN_CHANNEL_BONDING", 284),
	num("WLAN_CONTROL_SIDEBAND", 285),
	num("WLAN_CHANNEL", 2),
	num("WLAN_HIDDEN_SSID", 21, W),
	num("WLAN_WLAN_DISABLED", 22, W),
	num("WLAN_RATE_ADAPTIVE_ENABLED", 51, W),
	num("WLAN_ACCESS", 315, W),
	num("WLAN_AUTH_TYPE", 20, W),
	num("WLAN_WEP", 3, W),
	num("WLAN_WEP_KEY_TYPE", 12, W),
	num("WLAN_WPA_CIPHER_SUITE", 29, W),
	num("WLAN_WPA2_CIPHER_SUITE", 38, W),
	num("WLAN_PSK_FORMAT", 36, W),
	num("WLAN_FRAG_THRESHOLD", 14),
	num("WLAN_RTS_THRESHOLD", 19),
	num("WLAN_BEACON_INTERVAL", 16),
	num("WLAN_PREAMBLE_TYPE", 17),
	num("WLAN_IAPP_DISABLED", 62),
	num("WLAN_PROTECTION_DISABLED", 78),
	num("WLAN_AGGREGATION", 286),
	num("WLAN_SHORT_GI", 287),
	num("WLAN_BLOCK_RELAY", 76),
	num("WLAN_RFPOWER_SCALE", 263),
	num("WLAN_MACAC_ENABLED", 52),
	num("WLAN_WSC_DISABLE", 270),
	num("WLAN_WSC_ENC", 275),
	num("DHCP_LEASE_TIME", 945),
	num("DHCPRSVDIP_ENABLED", 292),
	num("FIXED_IP_MTU_SIZE", 157),
	num("DHCP_MTU_SIZE", 158),
	num("DNS_MODE", 105),
	num("PPP_CONNECT_TYPE", 109),
	num("PPP_IDLE_TIME", 108, M),
	num("PPP_MTU_SIZE", 144),
	num("USB3G_PDP_TYPE", 238),
	num("KP7_PING_MONITOR_ENABLE", 16000),
	num("USB3G_ETHER", 16125),
	num("USB3G_OPTION", 16126),
	num("PING_MONITOR_OPTION", 16221),
	num("UPNP_ENABLED", 142),
	num("PING_WAN_ACCESS_ENABLED", 195),
	num("WEB_WAN_ACCESS_ENABLED", 194),
	num("NBT_DS_PASSTHRU_ENABLED", 337),
	num("VPN_PASSTHRU_IPSEC_ENABLED", 245),
	num("VPN_PASSTHRU_PPTP_ENABLED", 246),
	num("STATICROUTE_ENABLED", 216),
	num("PORTFILTER_ENABLED", 128),
	num("PORTFW_ENABLED", 110),
	num("DMZ_ENABLED", 140),
	num("NTP_ENABLED", 151),
	num("NTP_SERVER_ID", 152),
	num("KP7_NIGHTREBOOT_ENABLE", 16010),
	num("KP7_NIGHTREBOOT_WEEK", 16011),
	num("KP7_NIGHTREBOOT_TIME_HOUR", 16012),
	num("KP7_NIGHTREBOOT_TIME_MIN", 16013),
	num("DDNS_ENABLED", 187),
	num("DDNS_TYPE", 188),
	num("REMOTELOG_ENABLED", 227),
	num("CONNTRACK_UDP_TIMEOUT", 16034),
	num("CONNTRACK_UDP_TIMEOUT_STREAM", 16035),
	num("QOS_ENABLED", 307),
	num("QOS_AUTO_UPLINK_SPEED", 308),
	num("QOS_AUTO_DOWNLINK_SPEED", 651),
	num("QOS_MANUAL_UPLINK_SPEED", 309),
	num("QOS_MANUAL_DOWNLINK_SPEED", 652),
	num("WEB_PORT", 16080),
	num("WEB_WAN_ACCESS_ALLOW_SRC_MASKLEN", 16082),
	num("WEB_ATTACK_LIMIT", 16083),
	num("SSH_SSH_WAN_ACCESS_ENABLED", 16084),
	num("SSH_PORT", 16085),
	num("SSH_WAN_ACCESS_ALLOW_SRC_MASKLEN", 16087),
	num("SSH_ATTACK_LIMIT", 16088),
	/* CUI_SET_TYPE_STR */
	str("WLAN_SSID", 1, 0, 32, W),
	str("WLAN_WSC_SSID", 278, 0, 32, W),
	str("DOMAIN_NAME", 198, 0, 30),
	str("HOST_NAME", 197, 0, 31),
	str("PPP_USER_NAME", 106, 0, 128),
	str("PPP_PASSWORD", 107, 0, 128),
	str("PPP_SERVICE_NAME", 261, 0, 40),
	str("USB3G_USER", 1400, 0, 31),
	str("USB3G_PASS", 1401, 0, 31),
	str("USB3G_APN", 1403, 0, 31),
	str("USB3G_DIALNUM", 1404, 0, 31),
	str("USB3G_DEVNAME", 16127, 0, 30),
	str("KP7_PING_MONITOR_TARGET1_HOST", 16002, 0, 127),
	str("KP7_PING_MONITOR_TARGET2_HOST", 16003, 0, 127),
	str("KP7_PING_MONITOR_TARGET3_HOST", 16004, 0, 127),
	str("NTP_SERVER_IP", 334, 0, 127),
	str("DDNS_HOST", 189, 0, 50),
	str("DDNS_USER", 190, 0, 50),
	str("DDNS_PASSWORD", 191, 0, 50),
	str("USER_NAME", 182, 0, 30),
	str("USER_PASSWORD", 183, 0, 30),
	/* CUI_SET_TYPE_STR_NUM */
	strnum("USB3G_CID", 680, 0, 15),
	strnum("USB3G_CONN_TYPE", 1405, 0, 1),
	strnum("USB3G_MTU_SIZE", 1407, 128, 1490),
	/* CUI_SET_TYPE_IPA */
	ipa("IP_ADDR", 170),
	ipa("SUBNET_MASK", 171),
	ipa("DHCP_CLIENT_START", 174),
	ipa("DHCP_CLIENT_END", 175),
	ipa("WAN_IP_ADDR", 101),
	ipa("WAN_SUBNET_MASK", 102),
	ipa("WAN_DEFAULT_GATEWAY", 103),
	ipa("DNS1", 176),
	ipa("DNS2", 177),
	ipa("DMZ_HOST", 141),
	ipa("REMOTELOG_SERVER", 228),
	ipa("WEB_WAN_ACCESS_ALLOW_SRC_IPADDR", 16081),
	ipa("SSH_WAN_ACCESS_ALLOW_SRC_IPADDR", 16086),
	/* CUI_SET_TYPE_STR_HEX */
	hex("WLAN_WEP64_KEY1", 4, 5, 12, W),
	hex("WLAN_WEP64_KEY2", 5, 5, 12, W),
	hex("WLAN_WEP64_KEY3", 6, 5, 12, W),
	hex("WLAN_WEP64_KEY4", 7, 5, 12, W),
	hex("WLAN_WEP128_KEY1", 8, 13, 28, W),
	hex("WLAN_WEP128_KEY2", 9, 13, 28, W),
	hex("WLAN_WEP128_KEY3", 10, 13, 28, W),
	hex("WLAN_WEP128_KEY4", 11, 13, 28, W),
	/* CUI_SET_TYPE_STR_PSK */
	psk("WLAN_WPA_PSK", 30, W),
	psk("WLAN_WSC_PSK", 277, W),
	/* CUI_SET_TYPE_OTHER */
	other("WLAN_BAND", 74, CS_CHK_WLAN_BAND, W),
	other("WLAN_FIX_RATE", 75, CS_CHK_WLAN_FIX_RATE, W),
	other("WLAN_ENCRYPT", 25, CS_CHK_WLAN_ENCRYPT, W),
	other("WLAN_WSC_AUTH", 274, CS_CHK_WLAN_ENCRYPT, W),
	other("DHCP", 173, CS_CHK_DHCP),
	other("WAN_DHCP_ORG", 16036, CS_CHK_WAN_DHCP),
	other("KP7_USB3G_CARRIER_SELECT", 16014, CS_CHK_USB3G_CARRIER_SELECT),
	other("USB3G_IDLE_TIME", 1406, CS_CHK_USB3G_IDLE_TIME, M),
	other("KP7_PING_MONITOR_INTERVAL", 16001, CS_CHK_PING_MON_INTERVAL, M),
	zone("NTP_TIMEZONE", 153),
	other("SCRLOG_ENABLED", 184, CS_CHK_SCRLOG_ENABLED),
};

/* Field tables: an add's values in the order given on the command line. */
constexpr SetRow MACAC_FIELDS[] = {
	mac("", 0),
	str("", 0, 0, 20),
};
constexpr SetRow DHCPRSV_FIELDS[] = {
	ipa("", 0),
	mac("", 0),
	str("", 0, 0, 20),
};
constexpr SetRow STATICROUTE_FIELDS[] = {
	ipa("", 0),
	ipa("", 0),
	ipa("", 0),
	num("", 0),	/* selector */
	num("", 0),	/* number */
};
constexpr SetRow EASYDNS_FIELDS[] = {
	ipa("", 0),
	str("", 0, 0, 255),	/* host name, not empty either */
	str("", 0, 0, 64),	/* comment, beginning with '#' */
};
constexpr SetRow PORTFIL_FIELDS[] = {
	num("", 0),	/* protocol */
	num("", 0),	/* port 1 */
	num("", 0),	/* port 2 */
	str("", 0, 0, 20),
};
constexpr SetRow PORTFW_FIELDS[] = {
	ipa("", 0),
	num("", 0),	/* protocol */
	num("", 0),	/* port 1 */
	num("", 0),	/* port 2 */
	num("", 0),	/* port 3 */
	str("", 0, 0, 20),
};
constexpr SetRow QOS_RULE_FIELDS[] = {
	num("", 0),	/* flag */
	mac("", 0),
	other("", 0, CS_CHK_QOS_RULE_MODE),
	ipa("", 0),
	ipa("", 0),
	num("", 0),	/* rate 1 */
	num("", 0),	/* rate 2 */
	str("", 0, 1, 15),	/* rule name */
};

/*
 * The lists, in the order the text restore empties and refills them.
 * Where each field of an add lands in the entry (offset, width, room;
 * width 0 is a NUL-terminated text).  Numbers are big-endian and take the
 * low bits of the value given.
 */
constexpr ListRow LIST_ROWS[] = {
	store_list(CUI_SET_TYPE_TBL_MACAC,
		   {"WLAN_MACAC_ADDR", "WLAN_MACAC_ADDR_NUM", 53, 0x8036, "WLAN_MACAC_ADDR_ADD",
		    "WLAN_MACAC_ADDR_DEL", "WLAN_MACAC_ADDR_DELALL", 0x10037, 0x20038, 0x40039},
		   10, 27, CS_MACAC_TBL, {0, 6}, {6, 0}, {6, 21}),
	store_list(CUI_SET_TYPE_TBL_DHCPRSV,
		   {"DHCPRSVDIP_TBL", "DHCPRSVDIP_TBL_NUM", 293, 0x8126, "DHCPRSVDIP_ADD", "DHCPRSVDIP_DEL",
		    "DHCPRSVDIP_DELALL", 0x10127, 0x20128, 0x40129},
		   20, 42, CS_DHCPRSV_TBL, {0, 4, 10}, {4, 6, 0}, {4, 6, 32}),
	store_list(CUI_SET_TYPE_TBL_STCRT,
		   {"STATICROUTE_TBL", "STATICROUTE_TBL_NUM", 217, 0x80DA, "STATICROUTE_ADD",
		    "STATICROUTE_DEL", "STATICROUTE_DELALL", 0x100DB, 0x200DC, 0x400DD},
		   10, 14, CS_STATICROUTE_TBL, {0, 4, 8, 12, 13}, {4, 4, 4, 1, 1}, {4, 4, 4, 1, 1}),
	/* the host names: in the hosts file, their commands told apart by name */
	{CUI_SET_TYPE_TBL_EDNS, "EASYDNS", "EASYDNS_NUM", 0, 0,
	 {"EASYDNS_ADD", "EASYDNS_DEL", "EASYDNS_DELALL"}, {0, 0, 0},
	 EASYDNS_MAX_ENTRIES, sizeof(cs_easydns_t), CS_EASYDNS_TBL.data(), 3,
	 {offsetof(cs_easydns_t, addr), offsetof(cs_easydns_t, host), offsetof(cs_easydns_t, comment)},
	 {4, 0, 0},
	 {4, sizeof(cs_easydns_t::host), sizeof(cs_easydns_t::comment)},
	 &CS_HOSTS_LIST_OPS, CG_KIND_EDNS},
	store_list(CUI_SET_TYPE_TBL_PFL,
		   {"PORTFILTER_TBL", "PORTFILTER_TBL_NUM", 129, 0x8082, "PORTFILTER_ADD", "PORTFILTER_DEL",
		    "PORTFILTER_DELALL", 0x10083, 0x20084, 0x40085},
		   20, 26, CS_PORTFIL_TBL, {4, 0, 2, 5}, {1, 2, 2, 0}, {1, 2, 2, 21}),
	store_list(CUI_SET_TYPE_TBL_PFW,
		   {"PORTFW_TBL", "PORTFW_TBL_NUM", 111, 0x8070, "PORTFW_ADD", "PORTFW_DEL", "PORTFW_DELALL",
		    0x10071, 0x20072, 0x40073},
		   20, 32, CS_PORTFW_TBL, {0, 8, 4, 6, 9, 11}, {4, 1, 2, 2, 2, 0}, {4, 1, 2, 2, 2, 21}),
	store_list(CUI_SET_TYPE_TBL_QOS,
		   {"QOS_RULE_TBL", "QOS_RULE_TBL_NUM", 310, 0x8137, "QOS_ADD", "QOS_DEL", "QOS_DELALL",
		    0x10138, 0x20139, 0x4013A},
		   10, 40, CS_QOS_RULE_TBL, {16, 17, 23, 24, 28, 32, 36, 0}, {1, 6, 1, 4, 4, 4, 4, 0},
		   {1, 6, 1, 4, 4, 4, 4, 16}),
};

/* Dump order.  G: per wireless network (rows 6 to 28, one run); lst():
 * a list's count row and its entry rows.  B and M as in the set table. */
constexpr GetRow GET_ROWS[] = {
	{"OP_MODE", 192, P},
	{"WLAN_MODE", 59, P},
	{"WLAN_CHANNEL_BONDING", 284, P},
	{"WLAN_CONTROL_SIDEBAND", 285, P},
	{"WLAN_CHANNEL", 2, P},
	{"WLAN_HIDDEN_SSID", 21, G},
	{"WLAN_WLAN_DISABLED", 22, G},
	{"WLAN_BAND", 74, G},
	{"WLAN_SSID", 1, G},
	{"WLAN_RATE_ADAPTIVE_ENABLED", 51, G},
	{"WLAN_FIX_RATE", 75, G},
	{"WLAN_ACCESS", 315, G},
	{"WLAN_ENCRYPT", 25, G},
	{"WLAN_AUTH_TYPE", 20, G},
	{"WLAN_WEP", 3, G},
	{"WLAN_WEP_KEY_TYPE", 12, G},
	{"WLAN_WEP64_KEY1", 4, G},
	{"WLAN_WEP64_KEY2", 5, G},
	{"WLAN_WEP64_KEY3", 6, G},
	{"WLAN_WEP64_KEY4", 7, G},
	{"WLAN_WEP128_KEY1", 8, G},
	{"WLAN_WEP128_KEY2", 9, G},
	{"WLAN_WEP128_KEY3", 10, G},
	{"WLAN_WEP128_KEY4", 11, G},
	{"WLAN_WPA_CIPHER_SUITE", 29, G},
	{"WLAN_WPA2_CIPHER_SUITE", 38, G},
	{"WLAN_PSK_FORMAT", 36, G},
	{"WLAN_WPA_PSK", 30, G},
	{"WLAN_FRAG_THRESHOLD", 14, P},
	{"WLAN_RTS_THRESHOLD", 19, P},
	{"WLAN_BEACON_INTERVAL", 16, P},
	{"WLAN_PREAMBLE_TYPE", 17, P},
	{"WLAN_IAPP_DISABLED", 62, P},
	{"WLAN_PROTECTION_DISABLED", 78, P},
	{"WLAN_AGGREGATION", 286, P},
	{"WLAN_SHORT_GI", 287, P},
	{"WLAN_BLOCK_RELAY", 76, P},
	{"WLAN_RFPOWER_SCALE", 263, P},
	{"WLAN_MACAC_ENABLED", 52, P},
	lst("WLAN_MACAC_ADDR"),
	{"WLAN_WSC_DISABLE", 270, P},
	{"WLAN_WSC_AUTH", 274, P},
	{"WLAN_WSC_ENC", 275, P},
	{"WLAN_WSC_SSID", 278, P},
	{"WLAN_WSC_PSK", 277, P},
	{"IP_ADDR", 170, P},
	{"SUBNET_MASK", 171, P},
	{"DHCP", 173, P},
	{"DHCP_CLIENT_START", 174, P},
	{"DHCP_CLIENT_END", 175, P},
	{"DHCP_LEASE_TIME", 945, P},
	{"DOMAIN_NAME", 198, P},
	{"DHCPRSVDIP_ENABLED", 292, P},
	lst("DHCPRSVDIP_TBL"),
	{"WAN_DHCP_ORG", 16036, P},
	{"WAN_IP_ADDR", 101, P},
	{"WAN_SUBNET_MASK", 102, P},
	{"WAN_DEFAULT_GATEWAY", 103, P},
	{"FIXED_IP_MTU_SIZE", 157, P},
	{"HOST_NAME", 197, P},
	{"DHCP_MTU_SIZE", 158, P},
	{"DNS_MODE", 105, P},
	{"DNS1", 176, P},
	{"DNS2", 177, P},
	{"PPP_USER_NAME", 106, P},
	{"PPP_PASSWORD", 107, P},
	{"PPP_SERVICE_NAME", 261, P},
	{"PPP_CONNECT_TYPE", 109, P},
	{"PPP_IDLE_TIME", 108, P, M},
	{"PPP_MTU_SIZE", 144, P},
	{"KP7_USB3G_CARRIER_SELECT", 16014, P},
	{"USB3G_USER", 1400, P},
	{"USB3G_PASS", 1401, P},
	{"USB3G_APN", 1403, P},
	{"USB3G_CID", 680, P, B},
	{"USB3G_DIALNUM", 1404, P},
	{"USB3G_PDP_TYPE", 238, P},
	{"USB3G_CONN_TYPE", 1405, P, B},
	{"USB3G_IDLE_TIME", 1406, P, B | M},
	{"USB3G_MTU_SIZE", 1407, P, B},
	{"USB3G_ETHER", 16125, P},
	{"USB3G_OPTION", 16126, P},
	{"USB3G_DEVNAME", 16127, P},
	{"KP7_PING_MONITOR_ENABLE", 16000, P},
	{"KP7_PING_MONITOR_INTERVAL", 16001, P, B | M},
	{"KP7_PING_MONITOR_TARGET1_HOST", 16002, P},
	{"KP7_PING_MONITOR_TARGET2_HOST", 16003, P},
	{"KP7_PING_MONITOR_TARGET3_HOST", 16004, P},
	{"PING_MONITOR_OPTION", 16221, P},
	{"UPNP_ENABLED", 142, P},
	{"PING_WAN_ACCESS_ENABLED", 195, P},
	{"WEB_WAN_ACCESS_ENABLED", 194, P},
	{"NBT_DS_PASSTHRU_ENABLED", 337, P},
	{"VPN_PASSTHRU_IPSEC_ENABLED", 245, P},
	{"VPN_PASSTHRU_PPTP_ENABLED", 246, P},
	{"STATICROUTE_ENABLED", 216, P},
	lst("STATICROUTE_TBL"),
	lst("EASYDNS"),
	{"PORTFILTER_ENABLED", 128, P},
	lst("PORTFILTER_TBL"),
	{"PORTFW_ENABLED", 110, P},
	lst("PORTFW_TBL"),
	{"DMZ_ENABLED", 140, P},
	{"DMZ_HOST", 141, P},
	{"NTP_TIMEZONE", 153, P},
	{"NTP_ENABLED", 151, P},
	{"NTP_SERVER_ID", 152, P},
	{"NTP_SERVER_IP", 334, P},
	{"KP7_NIGHTREBOOT_ENABLE", 16010, P},
	{"KP7_NIGHTREBOOT_WEEK", 16011, P},
	{"KP7_NIGHTREBOOT_TIME_HOUR", 16012, P},
	{"KP7_NIGHTREBOOT_TIME_MIN", 16013, P},
	{"DDNS_ENABLED", 187, P},
	{"DDNS_TYPE", 188, P},
	{"DDNS_HOST", 189, P},
	{"DDNS_USER", 190, P},
	{"DDNS_PASSWORD", 191, P},
	{"SCRLOG_ENABLED", 184, P},
	{"REMOTELOG_ENABLED", 227, P},
	{"REMOTELOG_SERVER", 228, P},
	{"USER_NAME", 182, P},
	{"USER_PASSWORD", 183, P},
	{"CONNTRACK_UDP_TIMEOUT", 16034, P},
	{"CONNTRACK_UDP_TIMEOUT_STREAM", 16035, P},
	{"QOS_ENABLED", 307, P},
	{"QOS_AUTO_UPLINK_SPEED", 308, P},
	{"QOS_AUTO_DOWNLINK_SPEED", 651, P},
	{"QOS_MANUAL_UPLINK_SPEED", 309, P},
	{"QOS_MANUAL_DOWNLINK_SPEED", 652, P},
	lst("QOS_RULE_TBL"),
	{"WEB_PORT", 16080, P},
	{"WEB_WAN_ACCESS_ALLOW_SRC_IPADDR", 16081, P},
	{"WEB_WAN_ACCESS_ALLOW_SRC_MASKLEN", 16082, P},
	{"WEB_ATTACK_LIMIT", 16083, P},
	{"SSH_WAN_ACCESS_ENABLED", 16084, P},
	{"SSH_PORT", 16085, P},
	{"SSH_WAN_ACCESS_ALLOW_SRC_IPADDR", 16086, P},
	{"SSH_WAN_ACCESS_ALLOW_SRC_MASKLEN", 16087, P},
	{"SSH_ATTACK_LIMIT", 16088, P},
};

/* Zone number, description (traces only), the value the store keeps:
 * whole hours west of GMT, a blank, a sequence number. */
constexpr ZoneRow ZONE_ROWS[] = {
	tz(0, "(GMT-12:00)Eniwetok, Kwajalein", "12 1"),
	tz(1, "(GMT-11:00)Midway Island, Samoa", "11 1"),
	tz(2, "(GMT-10:00)Hawaii", "10 1"),
	tz(3, "(GMT-09:00)Alaska", "9 1"),
	tz(4, "(GMT-08:00)Pacific Time (US & Canada}, Tijuana", "8 1"),
	tz(5, "(GMT-07:00)Arizona", "7 1"),
	tz(6, "(GMT-07:00)Mountain Time (US & Canada)", "7 2"),
	tz(7, "(GMT-06:00)Central Time (US & Canada)", "6 1"),
	tz(8, "(GMT-06:00)Mexico City, Tegucigalpa", "6 2"),
	tz(9, "(GMT-06:00)Saskatchewan", "6 3"),
	tz(10, "(GMT-05:00)Bogota, Lima, Quito", "5 1"),
	tz(11, "(GMT-05:00)Eastern Time (US & Canada)", "5 2"),
	tz(12, "(GMT-05:00)Indiana (East)", "5 3"),
	tz(13, "(GMT-04:00)Atlantic Time (Canada)", "4 1"),
	tz(14, "(GMT-04:00)Caracas, La Paz", "4 2"),
	tz(15, "(GMT-04:00)Santiago", "4 3"),
	tz(16, "(GMT-03:30)Newfoundland", "3 1"),
	tz(17, "(GMT-03:00)Brasilia", "3 2"),
	tz(18, "(GMT-03:00)Buenos Aires, Georgetown", "3 3"),
	tz(19, "(GMT-02:00)Mid-Atlantic", "2 1"),
	tz(20, "(GMT-01:00)Azores, Cape Verde Is.", "1 1"),
	tz(21, "(GMT)Casablanca, Monrovia", "0 1"),
	tz(22, "(GMT)Greenwich Mean Time: Dublin, Edinburgh, Lisbon, London", "0 2"),
	tz(23, "(GMT+01:00)Amsterdam, Berlin, Bern, Rome, Stockholm, Vienna", "-1 1"),
	tz(24, "(GMT+01:00)Belgrade, Bratislava, Budapest, Ljubljana, Prague", "-1 2"),
	tz(25, "(GMT+01:00)Barcelona, Madrid", "-1 3"),
	tz(26, "(GMT+01:00)Brussels, Copenhagen, Madrid, Paris, Vilnius", "-1 4"),
	tz(27, "(GMT+01:00)Paris", "-1 5"),
	tz(28, "(GMT+01:00)Sarajevo, Skopje, Sofija, Warsaw, Zagreb", "-1 6"),
	tz(29, "(GMT+02:00)Athens, Istanbul, Minsk", "-2 1"),
	tz(30, "(GMT+02:00)Bucharest", "-2 2"),
	tz(31, "(GMT+02:00)Cairo", "-2 3"),
	tz(32, "(GMT+02:00)Harare, Pretoria", "-2 4"),
	tz(33, "(GMT+02:00)Helsinki, Riga, Tallinn", "-2 5"),
	tz(34, "(GMT+02:00)Jerusalem", "-2 6"),
	tz(35, "(GMT+03:00)Baghdad, Kuwait, Riyadh", "-3 1"),
	tz(36, "(GMT+03:00)Moscow, St. Petersburg, Volgograd", "-3 2"),
	tz(37, "(GMT+03:00)Mairobi", "-3 3"),
	tz(38, "(GMT+03:30)Tehran", "-3 4"),
	tz(39, "(GMT+04:00)Abu Dhabi, Muscat", "-4 1"),
	tz(40, "(GMT+04:00)Baku, Tbilisi", "-4 2"),
	tz(41, "(GMT+04:30)Kabul", "-4 3"),
	tz(42, "(GMT+05:00)Ekaterinburg", "-5 1"),
	tz(43, "(GMT+05:00)Islamabad, Karachi, Tashkent", "-5 2"),
	tz(44, "(GMT+05:30)Bombay, Calcutta, Madras, New Delhi", "-5 3"),
	tz(45, "(GMT+06:00)Astana, Almaty, Dhaka", "-6 1"),
	tz(46, "(GMT+06:00)Colombo", "-6 2"),
	tz(47, "(GMT+07:00)Bangkok, Hanoi, Jakarta", "-7 1"),
	tz(48, "(GMT+08:00)Beijing, Chongqing, Hong Kong, Urumqi", "-8 1"),
	tz(49, "(GMT+08:00)Perth", "-8 2"),
	tz(50, "(GMT+08:00)Singapore", "-8 3"),
	tz(51, "(GMT+08:00)Taipei", "-8 4"),
	tz(52, "(GMT+09:00)Osaka, Sapporo, Tokyo", "-9 1"),
	tz(53, "(GMT+09:00)Seoul", "-9 2"),
	tz(54, "(GMT+09:00)Yakutsk", "-9 3"),
	tz(55, "(GMT+09:30)Adelaide", "-9 4"),
	tz(56, "(GMT+09:30)Darwin", "-9 5"),
	tz(57, "(GMT+10:00)Brisbane", "-10 1"),
	tz(58, "(GMT+10:00)Canberra, Melbourne, Sydney", "-10 2"),
	tz(59, "(GMT+10:00)Guam, Port Moresby", "-10 3"),
	tz(60, "(GMT+10:00)Hobart", "-10 4"),
	tz(61, "(GMT+10:00)Vladivostok", "-10 5"),
	tz(62, "(GMT+11:00)Magadan, Solomon Is., New Caledonia", "-11 1"),
	tz(63, "(GMT+12:00)Auckland, Wllington", "-12 1"),
	tz(64, "(GMT+12:00)Fiji, Kamchatka, Marshall Is.", "-12 2"),
};

/* ---- the pool ---- */

template <typename Sink>
constexpr Sink all_texts(Sink sink)
{
	return add_texts(sink, SET_ROWS, LIST_ROWS, GET_ROWS, ZONE_ROWS);
}

constexpr auto BUILT = all_texts(cs_pool::Builder<all_texts(cs_pool::Bound{}).size>{});
constexpr auto TEXT = cs_pool::Pool<BUILT.size>::from(BUILT);

}  // namespace

namespace cs_pool {
void table_error(const char *) {}
}  // namespace cs_pool

constexpr std::array<cs_comm_c2m_t, 2> CS_MACAC_TBL = pack_fields(TEXT, MACAC_FIELDS);
constexpr std::array<cs_comm_c2m_t, 3> CS_DHCPRSV_TBL = pack_fields(TEXT, DHCPRSV_FIELDS);
constexpr std::array<cs_comm_c2m_t, 5> CS_STATICROUTE_TBL = pack_fields(TEXT, STATICROUTE_FIELDS);
constexpr std::array<cs_comm_c2m_t, 3> CS_EASYDNS_TBL = pack_fields(TEXT, EASYDNS_FIELDS);
constexpr std::array<cs_comm_c2m_t, 4> CS_PORTFIL_TBL = pack_fields(TEXT, PORTFIL_FIELDS);
constexpr std::array<cs_comm_c2m_t, 6> CS_PORTFW_TBL = pack_fields(TEXT, PORTFW_FIELDS);
constexpr std::array<cs_comm_c2m_t, 8> CS_QOS_RULE_TBL = pack_fields(TEXT, QOS_RULE_FIELDS);

constexpr std::array<cs_comm_c2m_t, CS_COMM_C2M_COUNT> CS_COMM_C2M =
	pack_set_table(TEXT, SET_ROWS, LIST_ROWS);
constexpr std::array<cgc2m_t, CGC2M_COUNT> CGC2M = pack_get_table(TEXT, GET_ROWS, LIST_ROWS);
constexpr std::array<cs_list_t, CS_LIST_COUNT> CS_LISTS = pack_lists(TEXT, LIST_ROWS);
constexpr std::array<cs_restor_mib_t, CS_RESTOR_MIB_COUNT> CS_RESTOR_MIB_TBL =
	pack_restore_table(TEXT, LIST_ROWS);
constexpr std::array<cs_timezoneval_t, CS_TIMEZONE_COUNT> CS_TIMEZONEVAL =
	pack_zones(TEXT, ZONE_ROWS);

/* ---- lookups ---- */

const char *cs_text(uint16_t at)
{
	return TEXT.text + at;
}

namespace {

/* Most rows differ from a name in its first character already: looked at
 * before a call of strcmp(). */
bool is_named(uint16_t at, const char *name)
{
	const char *text = TEXT.text + at;
	return text[0] == name[0] && !strcmp(text, name);
}

}  // namespace

const cs_comm_c2m_t *cs_find_set_name(const char *name)
{
	for (const cs_comm_c2m_t &r : CS_COMM_C2M)
		if (name && is_named(r.name, name))
			return &r;
	return nullptr;
}

const cgc2m_t *cs_find_get_name(const char *name)
{
	for (const cgc2m_t &r : CGC2M)
		if (name && is_named(r.name, name))
			return &r;
	return nullptr;
}

const cs_list_t *cs_find_list_by_kind(uint32_t kind)
{
	for (const cs_list_t &l : CS_LISTS)
		if (l.kind == kind)
			return &l;
	return nullptr;
}

const cs_list_t *cs_find_list_by_read_number(uint32_t read_number)
{
	for (const cs_list_t &l : CS_LISTS)
		if (l.read_number && l.read_number == read_number)
			return &l;
	return nullptr;
}

const cs_list_t *cs_find_list_by_row(const cgc2m_t *row)
{
	/* every text is once in the pool: equal names are equal offsets */
	for (const cs_list_t &l : CS_LISTS)
		if (row->name == l.name || row->name == l.count_name)
			return &l;
	return nullptr;
}

int cs_list_command_of(const cs_list_t *list, const cs_comm_c2m_t *rec)
{
	for (int c = 0; c < CS_LIST_COMMANDS; c++)
		if (rec->name == list->cmd_name[c] && rec->number == list->cmd_number[c])
			return c;
	return -1;
}

int CsChkStrHexMIB(const char *name)
{
	const cs_comm_c2m_t *r = cs_find_set_name(name);
	return r && r->kind == CUI_SET_TYPE_STR_HEX;
}
