/*
 * mibparams.h - the parameters themselves, one record each (mibtab.h
 * describes the fields).  Kept in a header, as a constant table, so that
 * the layout of a set in memory and the lookup index are worked out from
 * it by the compiler.  The order is the order of records in settings
 * files.  Include mibtab.h, not this file.
 */
#ifndef KP7_APMIB_MIBPARAMS_H
#define KP7_APMIB_MIBPARAMS_H

#define P_NUM(id, name, t, sz, def) {id, name, t, sz, 0, 0, def, nullptr, nullptr}
#define P_B(id, name, def) P_NUM(id, name, BYTE_T, 1, def)
#define P_W(id, name, def) P_NUM(id, name, WORD_T, 2, def)
#define P_D(id, name, def) P_NUM(id, name, DWORD_T, 4, def)
#define P_BN(id, name, def, def1) {id, name, BYTE_T, 1, MIB_F_WLAN, 0, def, def1, nullptr}
#define P_DN(id, name, def) {id, name, DWORD_T, 4, MIB_F_WLAN, 0, def, nullptr, nullptr}
#define P_S(id, name, sz, def) P_NUM(id, name, STRING_T, sz, def)
#define P_SN(id, name, sz, def, def1) {id, name, STRING_T, sz, MIB_F_WLAN, 0, def, def1, nullptr}
#define P_IA(id, name, def) P_NUM(id, name, IA_T, 4, def)
#define P_KEY(id, name, t, sz, def) {id, name, t, sz, MIB_F_WLAN, 0, def, nullptr, nullptr}
#define P_LIST(id, name, t, sz, cap, cname) {id, name, t, sz, MIB_F_LIST, cap, "", nullptr, cname}
#define P_HW(id, name, t, sz, def) {id, name, t, sz, MIB_F_HW, 0, def, nullptr, nullptr}

#define P_WEP64 "0000000000"
#define P_WEP128 "00000000000000000000000000"

/* Factory values are those of a router fresh from the box: LAN 192.168.0.1/24
 * with a DHCP pool, the radio's own network on WPA2 and the virtual one
 * switched off, WAN over the USB mobile card. */
inline constexpr MibRec MIB_PARAMS[] = {
	/* operation and radio */
	P_B(192, "OP_MODE", "0"),
	P_B(59, "WLAN_MODE", "0"),
	P_B(284, "WLAN_CHANNEL_BONDING", "1"),
	P_B(285, "WLAN_CONTROL_SIDEBAND", "0"),
	P_B(2, "WLAN_CHANNEL", "0"),
	/* per wireless network */
	P_BN(21, "WLAN_HIDDEN_SSID", "0", "0"),
	P_BN(22, "WLAN_WLAN_DISABLED", "0", "1"),
	P_BN(74, "WLAN_BAND", "11", "11"),
	P_SN(1, "WLAN_SSID", 33, "KP7-Router", "KP7-Guest"),
	P_BN(51, "WLAN_RATE_ADAPTIVE_ENABLED", "1", "1"),
	P_DN(75, "WLAN_FIX_RATE", "0"),
	P_BN(315, "WLAN_ACCESS", "0", "1"),
	P_BN(25, "WLAN_ENCRYPT", "4", "4"),
	P_BN(20, "WLAN_AUTH_TYPE", "2", "2"),
	P_BN(3, "WLAN_WEP", "0", "0"),
	P_BN(12, "WLAN_WEP_KEY_TYPE", "1", "1"),
	P_KEY(4, "WLAN_WEP64_KEY1", BYTE5_T, 5, P_WEP64),
	P_KEY(5, "WLAN_WEP64_KEY2", BYTE5_T, 5, P_WEP64),
	P_KEY(6, "WLAN_WEP64_KEY3", BYTE5_T, 5, P_WEP64),
	P_KEY(7, "WLAN_WEP64_KEY4", BYTE5_T, 5, P_WEP64),
	P_KEY(8, "WLAN_WEP128_KEY1", BYTE13_T, 13, P_WEP128),
	P_KEY(9, "WLAN_WEP128_KEY2", BYTE13_T, 13, P_WEP128),
	P_KEY(10, "WLAN_WEP128_KEY3", BYTE13_T, 13, P_WEP128),
	P_KEY(11, "WLAN_WEP128_KEY4", BYTE13_T, 13, P_WEP128),
	P_BN(29, "WLAN_WPA_CIPHER_SUITE", "2", "2"),
	P_BN(38, "WLAN_WPA2_CIPHER_SUITE", "2", "2"),
	P_BN(36, "WLAN_PSK_FORMAT", "0", "0"),
	P_SN(30, "WLAN_WPA_PSK", 65, "kp7default", "kp7guestkey"),
	P_BN(60, "WLAN_NETWORK_TYPE", "0", "0"),
	P_BN(274, "WLAN_WSC_AUTH", "4", "4"),
	P_SN(278, "WLAN_WSC_SSID", 33, "KP7-Router", "KP7-Guest"),
	P_SN(277, "WLAN_WSC_PSK", 65, "kp7default", "kp7guestkey"),
	/* radio, shared by both networks */
	P_W(14, "WLAN_FRAG_THRESHOLD", "2346"),
	P_W(19, "WLAN_RTS_THRESHOLD", "2347"),
	P_W(16, "WLAN_BEACON_INTERVAL", "100"),
	P_B(17, "WLAN_PREAMBLE_TYPE", "0"),
	P_B(62, "WLAN_IAPP_DISABLED", "0"),
	P_B(78, "WLAN_PROTECTION_DISABLED", "1"),
	P_B(286, "WLAN_AGGREGATION", "1"),
	P_B(287, "WLAN_SHORT_GI", "1"),
	P_B(76, "WLAN_BLOCK_RELAY", "0"),
	P_B(263, "WLAN_RFPOWER_SCALE", "0"),
	P_B(52, "WLAN_MACAC_ENABLED", "0"),
	P_LIST(0x8036, "WLAN_MACAC_ADDR", WLAC_ARRAY_T, 27, 10, "WLAN_MACAC_ADDR_NUM"),
	P_B(270, "WLAN_WSC_DISABLE", "0"),
	P_B(275, "WLAN_WSC_ENC", "4"),
	P_B(69, "WLAN_WDS_ENCRYPT", "0"),
	P_B(559, "WLAN_MESH_ENCRYPT", "0"),
	/* LAN and DHCP server */
	P_IA(170, "IP_ADDR", "192.168.0.1"),
	P_IA(171, "SUBNET_MASK", "255.255.255.0"),
	P_B(173, "DHCP", "2"),
	P_IA(174, "DHCP_CLIENT_START", "192.168.0.100"),
	P_IA(175, "DHCP_CLIENT_END", "192.168.0.200"),
	P_D(945, "DHCP_LEASE_TIME", "86400"),
	P_S(198, "DOMAIN_NAME", 31, "home"),
	P_B(292, "DHCPRSVDIP_ENABLED", "0"),
	P_LIST(0x8126, "DHCPRSVDIP_TBL", DHCPRSVDIP_ARRY_T, 42, 20, "DHCPRSVDIP_TBL_NUM"),
	/* WAN */
	P_B(104, "WAN_DHCP", "16"),
	P_B(193, "WISP_WAN_ID", "0"),
	P_B(16036, "WAN_DHCP_ORG", "16"),
	P_IA(101, "WAN_IP_ADDR", "0.0.0.0"),
	P_IA(102, "WAN_SUBNET_MASK", "0.0.0.0"),
	P_IA(103, "WAN_DEFAULT_GATEWAY", "0.0.0.0"),
	P_W(157, "FIXED_IP_MTU_SIZE", "1500"),
	P_S(197, "HOST_NAME", 32, "kp7"),
	P_W(158, "DHCP_MTU_SIZE", "1500"),
	P_B(105, "DNS_MODE", "0"),
	P_IA(176, "DNS1", "0.0.0.0"),
	P_IA(177, "DNS2", "0.0.0.0"),
	P_S(106, "PPP_USER_NAME", 129, ""),
	P_S(107, "PPP_PASSWORD", 129, ""),
	P_S(261, "PPP_SERVICE_NAME", 41, ""),
	P_B(109, "PPP_CONNECT_TYPE", "0"),
	P_D(108, "PPP_IDLE_TIME", "300"),
	P_W(144, "PPP_MTU_SIZE", "1452"),
	/* USB mobile card */
	P_D(16014, "KP7_USB3G_CARRIER_SELECT", "0"),
	P_S(1400, "USB3G_USER", 32, ""),
	P_S(1401, "USB3G_PASS", 32, ""),
	P_S(1403, "USB3G_APN", 32, "internet"),
	P_S(680, "USB3G_CID", 16, "1"),
	P_S(1404, "USB3G_DIALNUM", 32, "*99#"),
	P_B(238, "USB3G_PDP_TYPE", "0"),
	P_S(1405, "USB3G_CONN_TYPE", 16, "0"),
	P_S(1406, "USB3G_IDLE_TIME", 16, "300"),
	P_S(1407, "USB3G_MTU_SIZE", 16, "1400"),
	P_B(16125, "USB3G_ETHER", "0"),
	P_B(16126, "USB3G_OPTION", "0"),
	P_S(16127, "USB3G_DEVNAME", 31, ""),
	/* ping monitor */
	P_B(16000, "KP7_PING_MONITOR_ENABLE", "0"),
	P_S(16001, "KP7_PING_MONITOR_INTERVAL", 16, "300"),
	P_S(16002, "KP7_PING_MONITOR_TARGET1_HOST", 128, ""),
	P_S(16003, "KP7_PING_MONITOR_TARGET2_HOST", 128, ""),
	P_S(16004, "KP7_PING_MONITOR_TARGET3_HOST", 128, ""),
	P_B(16221, "PING_MONITOR_OPTION", "0"),
	/* firewall and forwarding */
	P_B(142, "UPNP_ENABLED", "1"),
	P_B(195, "PING_WAN_ACCESS_ENABLED", "0"),
	P_B(194, "WEB_WAN_ACCESS_ENABLED", "0"),
	P_B(337, "NBT_DS_PASSTHRU_ENABLED", "0"),
	P_B(245, "VPN_PASSTHRU_IPSEC_ENABLED", "1"),
	P_B(246, "VPN_PASSTHRU_PPTP_ENABLED", "1"),
	P_B(216, "STATICROUTE_ENABLED", "0"),
	P_LIST(0x80DA, "STATICROUTE_TBL", STATICROUTE_ARRAY_T, 14, 10, "STATICROUTE_TBL_NUM"),
	P_B(128, "PORTFILTER_ENABLED", "0"),
	P_LIST(0x8082, "PORTFILTER_TBL", PORTFILTER_ARRAY_T, 26, 20, "PORTFILTER_TBL_NUM"),
	P_B(110, "PORTFW_ENABLED", "0"),
	P_LIST(0x8070, "PORTFW_TBL", PORTFW_ARRAY_T, 32, 20, "PORTFW_TBL_NUM"),
	P_B(140, "DMZ_ENABLED", "0"),
	P_IA(141, "DMZ_HOST", "0.0.0.0"),
	/* time, reboot, dynamic DNS, logs */
	P_S(153, "NTP_TIMEZONE", 8, "-9 1"),
	P_B(151, "NTP_ENABLED", "1"),
	P_B(152, "NTP_SERVER_ID", "0"),
	P_S(334, "NTP_SERVER_IP", 128, ""),
	P_B(16010, "KP7_NIGHTREBOOT_ENABLE", "0"),
	P_B(16011, "KP7_NIGHTREBOOT_WEEK", "128"),
	P_B(16012, "KP7_NIGHTREBOOT_TIME_HOUR", "3"),
	P_B(16013, "KP7_NIGHTREBOOT_TIME_MIN", "0"),
	P_B(187, "DDNS_ENABLED", "0"),
	P_B(188, "DDNS_TYPE", "0"),
	P_S(189, "DDNS_HOST", 51, ""),
	P_S(190, "DDNS_USER", 51, ""),
	P_S(191, "DDNS_PASSWORD", 51, ""),
	P_B(184, "SCRLOG_ENABLED", "0"),
	P_B(227, "REMOTELOG_ENABLED", "0"),
	P_IA(228, "REMOTELOG_SERVER", "0.0.0.0"),
	P_S(182, "USER_NAME", 31, "admin"),
	P_S(183, "USER_PASSWORD", 31, "admin"),
	P_D(16034, "CONNTRACK_UDP_TIMEOUT", "30"),
	P_D(16035, "CONNTRACK_UDP_TIMEOUT_STREAM", "180"),
	/* QoS */
	P_B(307, "QOS_ENABLED", "0"),
	P_B(308, "QOS_AUTO_UPLINK_SPEED", "1"),
	P_B(651, "QOS_AUTO_DOWNLINK_SPEED", "1"),
	P_D(309, "QOS_MANUAL_UPLINK_SPEED", "512"),
	P_D(652, "QOS_MANUAL_DOWNLINK_SPEED", "2048"),
	P_LIST(0x8137, "QOS_RULE_TBL", QOS_ARRAY_T, 40, 10, "QOS_RULE_TBL_NUM"),
	/* management access */
	P_W(16080, "WEB_PORT", "80"),
	P_IA(16081, "WEB_WAN_ACCESS_ALLOW_SRC_IPADDR", "0.0.0.0"),
	P_B(16082, "WEB_WAN_ACCESS_ALLOW_SRC_MASKLEN", "0"),
	P_B(16083, "WEB_ATTACK_LIMIT", "10"),
	P_B(16084, "SSH_WAN_ACCESS_ENABLED", "0"),
	P_W(16085, "SSH_PORT", "22"),
	P_IA(16086, "SSH_WAN_ACCESS_ALLOW_SRC_IPADDR", "0.0.0.0"),
	P_B(16087, "SSH_WAN_ACCESS_ALLOW_SRC_MASKLEN", "0"),
	P_B(16088, "SSH_ATTACK_LIMIT", "10"),
	/* automatic firmware update */
	P_B(16300, "AUTO_FIRMUP_ENABLE", "0"),
	P_S(16301, "AUTO_FIRMUP_URL", 256, ""),
	P_B(16302, "AUTO_FIRMUP_WEEK", "128"),
	P_B(16303, "AUTO_FIRMUP_HOUR", "3"),
	P_B(16304, "AUTO_FIRMUP_MIN", "0"),
	/* the store itself */
	{MIB_VER, "MIB_VER", DWORD_T, 4, MIB_F_RO, 0, "0", nullptr, nullptr},
	/* hardware set */
	P_HW(16400, "HW_BOARD_VER", BYTE_T, 1, "1"),
	P_HW(16401, "HW_NIC0_ADDR", BYTE6_T, 6, "00e04c819601"),
	P_HW(16402, "HW_NIC1_ADDR", BYTE6_T, 6, "00e04c819602"),
	P_HW(16403, "HW_WLAN_ADDR", BYTE6_T, 6, "00e04c819603"),
	P_HW(16404, "HW_REG_DOMAIN", BYTE_T, 1, "1"),
};

#undef P_NUM
#undef P_B
#undef P_W
#undef P_D
#undef P_BN
#undef P_DN
#undef P_S
#undef P_SN
#undef P_IA
#undef P_KEY
#undef P_LIST
#undef P_HW
#undef P_WEP64
#undef P_WEP128

#endif
