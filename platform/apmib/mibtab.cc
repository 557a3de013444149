/* The parameter table and its lookups. */
#include "mibtab.h"

#include <string.h>

#include "apmib.h"

namespace {

#define NUM(id, name, t, sz, def) {id, name, t, sz, 0, 0, def, nullptr, nullptr}
#define B(id, name, def) NUM(id, name, BYTE_T, 1, def)
#define W(id, name, def) NUM(id, name, WORD_T, 2, def)
#define D(id, name, def) NUM(id, name, DWORD_T, 4, def)
#define BN(id, name, def, def1) {id, name, BYTE_T, 1, MIB_F_WLAN, 0, def, def1, nullptr}
#define DN(id, name, def) {id, name, DWORD_T, 4, MIB_F_WLAN, 0, def, nullptr, nullptr}
#define S(id, name, sz, def) NUM(id, name, STRING_T, sz, def)
#define SN(id, name, sz, def, def1) {id, name, STRING_T, sz, MIB_F_WLAN, 0, def, def1, nullptr}
#define IA(id, name, def) NUM(id, name, IA_T, 4, def)
#define KEY(id, name, t, sz, def) {id, name, t, sz, MIB_F_WLAN, 0, def, nullptr, nullptr}
#define LIST(id, name, t, sz, cap, cname) {id, name, t, sz, MIB_F_LIST, cap, "", nullptr, cname}
#define HW(id, name, t, sz, def) {id, name, t, sz, MIB_F_HW, 0, def, nullptr, nullptr}

constexpr const char *kWep64 = "0000000000";
constexpr const char *kWep128 = "00000000000000000000000000";

}  // namespace

/* Factory values are those of a router fresh from the box: LAN 192.168.0.1/24
 * with a DHCP pool, the radio's own network on WPA2 and the virtual one
 * switched off, WAN over the USB mobile card. */
const MibRec kMibTab[] = {
	/* operation and radio */
	B(192, "OP_MODE", "0"),
	B(59, "WLAN_MODE", "0"),
	B(284, "WLAN_CHANNEL_BONDING", "1"),
	B(285, "WLAN_CONTROL_SIDEBAND", "0"),
	B(2, "WLAN_CHANNEL", "0"),
	/* per wireless network */
	BN(21, "WLAN_HIDDEN_SSID", "0", "0"),
	BN(22, "WLAN_WLAN_DISABLED", "0", "1"),
	BN(74, "WLAN_BAND", "11", "11"),
	SN(1, "WLAN_SSID", 33, "KP7-Router", "KP7-Guest"),
	BN(51, "WLAN_RATE_ADAPTIVE_ENABLED", "1", "1"),
	DN(75, "WLAN_FIX_RATE", "0"),
	BN(315, "WLAN_ACCESS", "0", "1"),
	BN(25, "WLAN_ENCRYPT", "4", "4"),
	BN(20, "WLAN_AUTH_TYPE", "2", "2"),
	BN(3, "WLAN_WEP", "0", "0"),
	BN(12, "WLAN_WEP_KEY_TYPE", "1", "1"),
	KEY(4, "WLAN_WEP64_KEY1", BYTE5_T, 5, kWep64),
	KEY(5, "WLAN_WEP64_KEY2", BYTE5_T, 5, kWep64),
	KEY(6, "WLAN_WEP64_KEY3", BYTE5_T, 5, kWep64),
	KEY(7, "WLAN_WEP64_KEY4", BYTE5_T, 5, kWep64),
	KEY(8, "WLAN_WEP128_KEY1", BYTE13_T, 13, kWep128),
	KEY(9, "WLAN_WEP128_KEY2", BYTE13_T, 13, kWep128),
	KEY(10, "WLAN_WEP128_KEY3", BYTE13_T, 13, kWep128),
	KEY(11, "WLAN_WEP128_KEY4", BYTE13_T, 13, kWep128),
	BN(29, "WLAN_WPA_CIPHER_SUITE", "2", "2"),
	BN(38, "WLAN_WPA2_CIPHER_SUITE", "2", "2"),
	BN(36, "WLAN_PSK_FORMAT", "0", "0"),
	SN(30, "WLAN_WPA_PSK", 65, "kp7default", "kp7guestkey"),
	BN(60, "WLAN_NETWORK_TYPE", "0", "0"),
	BN(274, "WLAN_WSC_AUTH", "4", "4"),
	SN(278, "WLAN_WSC_SSID", 33, "KP7-Router", "KP7-Guest"),
	SN(277, "WLAN_WSC_PSK", 65, "kp7default", "kp7guestkey"),
	/* radio, shared by both networks */
	W(14, "WLAN_FRAG_THRESHOLD", "2346"),
	W(19, "WLAN_RTS_THRESHOLD", "2347"),
	W(16, "WLAN_BEACON_INTERVAL", "100"),
	B(17, "WLAN_PREAMBLE_TYPE", "0"),
	B(62, "WLAN_IAPP_DISABLED", "0"),
	B(78, "WLAN_PROTECTION_DISABLED", "1"),
	B(286, "WLAN_AGGREGATION", "1"),
	B(287, "WLAN_SHORT_GI", "1"),
	B(76, "WLAN_BLOCK_RELAY", "0"),
	B(263, "WLAN_RFPOWER_SCALE", "0"),
	B(52, "WLAN_MACAC_ENABLED", "0"),
	LIST(0x8036, "WLAN_MACAC_ADDR", WLAC_ARRAY_T, 27, 10, "WLAN_MACAC_ADDR_NUM"),
	B(270, "WLAN_WSC_DISABLE", "0"),
	B(275, "WLAN_WSC_ENC", "4"),
	B(69, "WLAN_WDS_ENCRYPT", "0"),
	B(559, "WLAN_MESH_ENCRYPT", "0"),
	/* LAN and DHCP server */
	IA(170, "IP_ADDR", "192.168.0.1"),
	IA(171, "SUBNET_MASK", "255.255.255.0"),
	B(173, "DHCP", "2"),
	IA(174, "DHCP_CLIENT_START", "192.168.0.100"),
	IA(175, "DHCP_CLIENT_END", "192.168.0.200"),
	D(945, "DHCP_LEASE_TIME", "86400"),
	S(198, "DOMAIN_NAME", 31, "home"),
	B(292, "DHCPRSVDIP_ENABLED", "0"),
	LIST(0x8126, "DHCPRSVDIP_TBL", DHCPRSVDIP_ARRY_T, 42, 20, "DHCPRSVDIP_TBL_NUM"),
	/* WAN */
	B(104, "WAN_DHCP", "16"),
	B(193, "WISP_WAN_ID", "0"),
	B(16036, "WAN_DHCP_ORG", "16"),
	IA(101, "WAN_IP_ADDR", "0.0.0.0"),
	IA(102, "WAN_SUBNET_MASK", "0.0.0.0"),
	IA(103, "WAN_DEFAULT_GATEWAY", "0.0.0.0"),
	W(157, "FIXED_IP_MTU_SIZE", "1500"),
	S(197, "HOST_NAME", 32, "kp7"),
	W(158, "DHCP_MTU_SIZE", "1500"),
	B(105, "DNS_MODE", "0"),
	IA(176, "DNS1", "0.0.0.0"),
	IA(177, "DNS2", "0.0.0.0"),
	S(106, "PPP_USER_NAME", 129, ""),
	S(107, "PPP_PASSWORD", 129, ""),
	S(261, "PPP_SERVICE_NAME", 41, ""),
	B(109, "PPP_CONNECT_TYPE", "0"),
	D(108, "PPP_IDLE_TIME", "300"),
	W(144, "PPP_MTU_SIZE", "1452"),
	/* USB mobile card */
	D(16014, "KP7_USB3G_CARRIER_SELECT", "0"),
	S(1400, "USB3G_USER", 32, ""),
	S(1401, "USB3G_PASS", 32, ""),
	S(1403, "USB3G_APN", 32, "internet"),
	S(680, "USB3G_CID", 16, "1"),
	S(1404, "USB3G_DIALNUM", 32, "*99#"),
	B(238, "USB3G_PDP_TYPE", "0"),
	S(1405, "USB3G_CONN_TYPE", 16, "0"),
	S(1406, "USB3G_IDLE_TIME", 16, "300"),
	S(1407, "USB3G_MTU_SIZE", 16, "1400"),
	B(16125, "USB3G_ETHER", "0"),
	B(16126, "USB3G_OPTION", "0"),
	S(16127, "USB3G_DEVNAME", 31, ""),
	/* ping monitor */
	B(16000, "KP7_PING_MONITOR_ENABLE", "0"),
	S(16001, "KP7_PING_MONITOR_INTERVAL", 16, "300"),
	S(16002, "KP7_PING_MONITOR_TARGET1_HOST", 128, ""),
	S(16003, "KP7_PING_MONITOR_TARGET2_HOST", 128, ""),
	S(16004, "KP7_PING_MONITOR_TARGET3_HOST", 128, ""),
	B(16221, "PING_MONITOR_OPTION", "0"),
	/* firewall and forwarding */
	B(142, "UPNP_ENABLED", "1"),
	B(195, "PING_WAN_ACCESS_ENABLED", "0"),
	B(194, "WEB_WAN_ACCESS_ENABLED", "0"),
	B(337, "NBT_DS_PASSTHRU_ENABLED", "0"),
	B(245, "VPN_PASSTHRU_IPSEC_ENABLED", "1"),
	B(246, "VPN_PASSTHRU_PPTP_ENABLED", "1"),
	B(216, "STATICROUTE_ENABLED", "0"),
	LIST(0x80DA, "STATICROUTE_TBL", STATICROUTE_ARRAY_T, 14, 10, "STATICROUTE_TBL_NUM"),
	B(128, "PORTFILTER_ENABLED", "0"),
	LIST(0x8082, "PORTFILTER_TBL", PORTFILTER_ARRAY_T, 26, 20, "PORTFILTER_TBL_NUM"),
	B(110, "PORTFW_ENABLED", "0"),
	LIST(0x8070, "PORTFW_TBL", PORTFW_ARRAY_T, 32, 20, "PORTFW_TBL_NUM"),
	B(140, "DMZ_ENABLED", "0"),
	IA(141, "DMZ_HOST", "0.0.0.0"),
	/* time, reboot, dynamic DNS, logs */
	S(153, "NTP_TIMEZONE", 8, "-9 1"),
	B(151, "NTP_ENABLED", "1"),
	B(152, "NTP_SERVER_ID", "0"),
	S(334, "NTP_SERVER_IP", 128, ""),
	B(16010, "KP7_NIGHTREBOOT_ENABLE", "0"),
	B(16011, "KP7_NIGHTREBOOT_WEEK", "128"),
	B(16012, "KP7_NIGHTREBOOT_TIME_HOUR", "3"),
	B(16013, "KP7_NIGHTREBOOT_TIME_MIN", "0"),
	B(187, "DDNS_ENABLED", "0"),
	B(188, "DDNS_TYPE", "0"),
	S(189, "DDNS_HOST", 51, ""),
	S(190, "DDNS_USER", 51, ""),
	S(191, "DDNS_PASSWORD", 51, ""),
	B(184, "SCRLOG_ENABLED", "0"),
	B(227, "REMOTELOG_ENABLED", "0"),
	IA(228, "REMOTELOG_SERVER", "0.0.0.0"),
	S(182, "USER_NAME", 31, "admin"),
	S(183, "USER_PASSWORD", 31, "admin"),
	D(16034, "CONNTRACK_UDP_TIMEOUT", "30"),
	D(16035, "CONNTRACK_UDP_TIMEOUT_STREAM", "180"),
	/* QoS */
	B(307, "QOS_ENABLED", "0"),
	B(308, "QOS_AUTO_UPLINK_SPEED", "1"),
	B(651, "QOS_AUTO_DOWNLINK_SPEED", "1"),
	D(309, "QOS_MANUAL_UPLINK_SPEED", "512"),
	D(652, "QOS_MANUAL_DOWNLINK_SPEED", "2048"),
	LIST(0x8137, "QOS_RULE_TBL", QOS_ARRAY_T, 40, 10, "QOS_RULE_TBL_NUM"),
	/* management access */
	W(16080, "WEB_PORT", "80"),
	IA(16081, "WEB_WAN_ACCESS_ALLOW_SRC_IPADDR", "0.0.0.0"),
	B(16082, "WEB_WAN_ACCESS_ALLOW_SRC_MASKLEN", "0"),
	B(16083, "WEB_ATTACK_LIMIT", "10"),
	B(16084, "SSH_WAN_ACCESS_ENABLED", "0"),
	W(16085, "SSH_PORT", "22"),
	IA(16086, "SSH_WAN_ACCESS_ALLOW_SRC_IPADDR", "0.0.0.0"),
	B(16087, "SSH_WAN_ACCESS_ALLOW_SRC_MASKLEN", "0"),
	B(16088, "SSH_ATTACK_LIMIT", "10"),
	/* automatic firmware update */
	B(16300, "AUTO_FIRMUP_ENABLE", "0"),
	S(16301, "AUTO_FIRMUP_URL", 256, ""),
	B(16302, "AUTO_FIRMUP_WEEK", "128"),
	B(16303, "AUTO_FIRMUP_HOUR", "3"),
	B(16304, "AUTO_FIRMUP_MIN", "0"),
	/* the store itself */
	{MIB_VER, "MIB_VER", DWORD_T, 4, MIB_F_RO, 0, "0", nullptr, nullptr},
	/* hardware set */
	HW(16400, "HW_BOARD_VER", BYTE_T, 1, "1"),
	HW(16401, "HW_NIC0_ADDR", BYTE6_T, 6, "00e04c819601"),
	HW(16402, "HW_NIC1_ADDR", BYTE6_T, 6, "00e04c819602"),
	HW(16403, "HW_WLAN_ADDR", BYTE6_T, 6, "00e04c819603"),
	HW(16404, "HW_REG_DOMAIN", BYTE_T, 1, "1"),
};

const size_t kMibCount = sizeof(kMibTab) / sizeof(kMibTab[0]);

bool mib_in_set(const MibRec *rec, int kind)
{
	bool hw = rec->flags & MIB_F_HW;
	return kind == HW_SETTING ? hw : !hw;
}

size_t mib_index(const MibRec *rec)
{
	return (size_t)(rec - kMibTab);
}

static int list_base(const MibRec *rec)
{
	return rec->id & ~MIB_TABLE_READ;
}

int mib_list_count_id(const MibRec *rec)
{
	return list_base(rec) - 1;
}

int mib_list_cmd_id(const MibRec *rec, MibRole role)
{
	switch (role) {
	case MIB_ADD:
		return MIB_TABLE_ADD | (list_base(rec) + 1);
	case MIB_DEL:
		return MIB_TABLE_DEL | (list_base(rec) + 2);
	case MIB_DELALL:
		return MIB_TABLE_DELALL | (list_base(rec) + 3);
	case MIB_COUNT:
		return mib_list_count_id(rec);
	default:
		return rec->id;
	}
}

MibRef mib_lookup(int id)
{
	static constexpr MibRole kListRoles[] = {MIB_READ, MIB_COUNT, MIB_ADD, MIB_DEL, MIB_DELALL};
	for (size_t i = 0; i < kMibCount; i++) {
		const MibRec *r = &kMibTab[i];
		if (!(r->flags & MIB_F_LIST)) {
			if (r->id == id)
				return {r, MIB_VALUE};
			continue;
		}
		for (MibRole role : kListRoles)
			if (mib_list_cmd_id(r, role) == id)
				return {r, role};
	}
	return {nullptr, MIB_VALUE};
}

MibRef mib_lookup_name(const char *name)
{
	for (size_t i = 0; i < kMibCount; i++) {
		const MibRec *r = &kMibTab[i];
		if (!strcmp(r->name, name))
			return {r, MIB_VALUE};
		if (r->count_name && !strcmp(r->count_name, name))
			return {r, MIB_COUNT};
	}
	return {nullptr, MIB_VALUE};
}
