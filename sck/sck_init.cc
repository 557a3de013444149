/* Start-up, options, the settings snapshot and one pass. */
#include "sck.h"

#include <errno.h>
#include <limits.h>
#include <net/if.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <syslog.h>
#include <unistd.h>

#include "sys.h"
#include "utl.h"

namespace {

sck_soft_t sck_soft;

/* ---- settings snapshot ---- */

enum MibKind { MIB_BYTE, MIB_LOW_BYTE, MIB_INT, MIB_HOST };

struct MibRow {
	const char *name;
	MibKind kind;
	uint8_t sck_soft_t::*byte;	/* MIB_BYTE */
	int32_t sck_soft_t::*word;	/* MIB_LOW_BYTE, MIB_INT */
	int host;			/* MIB_HOST: target 0-2 */
};

constexpr MibRow byte_row(const char *name, uint8_t sck_soft_t::*field)
{
	return {name, MIB_BYTE, field, nullptr, 0};
}

constexpr MibRow word_row(const char *name, MibKind kind, int32_t sck_soft_t::*field)
{
	return {name, kind, nullptr, field, 0};
}

constexpr MibRow host_row(const char *name, int target)
{
	return {name, MIB_HOST, nullptr, nullptr, target};
}

constexpr MibRow MIB_TABLE[] = {
	byte_row("WAN_DHCP", &sck_soft_t::wan_type),
	byte_row("PPP_CONNECT_TYPE", &sck_soft_t::ppp_connect_type),
	byte_row("USB3G_CONN_TYPE", &sck_soft_t::usb3g_conn_type),
	byte_row("USB3G_ETHER", &sck_soft_t::usb3g_ether),
	byte_row("DNS_MODE", &sck_soft_t::dns_mode),
	word_row("KP7_PING_MONITOR_ENABLE", MIB_LOW_BYTE, &sck_soft_t::ping_enable),
	word_row("KP7_PING_MONITOR_INTERVAL", MIB_INT, &sck_soft_t::ping_interval),
	host_row("KP7_PING_MONITOR_TARGET1_HOST", 0),
	host_row("KP7_PING_MONITOR_TARGET2_HOST", 1),
	host_row("KP7_PING_MONITOR_TARGET3_HOST", 2),
	word_row("PING_MONITOR_OPTION", MIB_LOW_BYTE, &sck_soft_t::ping_option),
};

/* A whole text that is a number (0x hexadecimal, leading 0 octal) within
 * 32 bits, the same on the router as here. */
bool clean_number(const char *text, long long *value)
{
	if (!*text)
		return false;
	char *end;
	errno = 0;
	*value = strtoll(text, &end, 0);
	return !*end && errno != ERANGE && *value >= INT32_MIN && *value <= UINT32_MAX;
}

void take_setting(sck_soft_t *sck, const MibRow &row, const char *text, bool got)
{
	long long n = 0;
	bool number = got && clean_number(text, &n);
	switch (row.kind) {
	case MIB_BYTE:
		sck->*row.byte = number ? (uint8_t)n : 0;
		break;
	case MIB_LOW_BYTE:
		sck->*row.word = number ? (uint8_t)n : 0;
		break;
	case MIB_INT:
		sck->*row.word = number ? (int32_t)(uint32_t)n : 0;
		break;
	case MIB_HOST: {
		char *host = sck->ping_host[row.host];
		memset(host, 0, sizeof(sck->ping_host[0]));
		if (got)
			memcpy(host, text, strnlen(text, sizeof(sck->ping_host[0]) - 1));
		break;
	}
	}
}

/* The source address of the pings: the LAN bridge's. */
void fetch_lan_addr(sck_soft_t *sck)
{
	memset(&sck->lan_addr, 0, sizeof(sck->lan_addr));
	struct ifreq ifr = {};
	strcpy(ifr.ifr_name, "br0");
	ifr.ifr_addr.sa_family = AF_INET;
	int rc = sck_ops->if_request(SIOCGIFADDR, &ifr);
	if (rc == SCK_IF_NO_SOCKET)
		sck_log(LOG_ERR, "Can't open socket to get lan address errno %d", errno);
	else if (rc < 0)
		sck_log(LOG_ERR, "Can't get lan address errno %d", errno);
	else
		memcpy(&sck->lan_addr, &ifr.ifr_addr, sizeof(sck->lan_addr));
}

/* ---- start-up ---- */

constexpr const char *STARTUP_FLAGS[] = {
	"/var/boa_check", "/var/usb_driver_check", "/var/link_check",
};

void write_pid_file(sck_soft_t *sck)
{
	char pid[16];
	int len = snprintf(pid, sizeof(pid), "%d", (int)sck->pid);
	snprintf(sck->work_buf, sizeof(sck->work_buf), "/var/run/%s.pid", sck->prog_name);
	utl_putfile(sck->work_buf, pid, len);
}

void remove_pid_file(sck_soft_t *sck)
{
	snprintf(sck->work_buf, sizeof(sck->work_buf), "/var/run/%s.pid", sck->prog_name);
	sys_unlink(sck->work_buf);
}

constexpr void (*const PASS_CHECKS[])(sck_soft_t *) = {
	sck_check_boa,   sck_check_linkmgr,     sck_check_netgate,    sck_check_stationmap,
	sck_check_svcagent, sck_check_usb_driver, sck_link_status,    sck_usb_switch_status,
	sck_check_wanctl, sck_ppp_status,        sck_ppp_ping,
};

}  // namespace

sck_soft_t *sck_sc = &sck_soft;

/* The three checks that always run: created here, switched on directly,
 * so that the scan has no start to log for them. */
void sck_start_checks(sck_soft_t *sck)
{
	for (const char *flag : STARTUP_FLAGS)
		utl_putfile(flag, "1", 1);
	sck->check_flags |= SCK_F_BOA | SCK_F_USB_DRIVER | SCK_F_LINK;
	if (!sck->interval)
		sck->interval = SCK_INTERVAL;
	sck->boa_timer = sck->linkmgr_timer = sck->netgate_timer = SCK_WATCH_TIME;
	sck->stationmap_timer = sck->svcagent_timer = SCK_WATCH_TIME;
	sck->wanctl_timer = sck->usb_driver_timer = SCK_WATCH_TIME;
	sck->reload_timer = SCK_RELOAD_TIME;
	strcpy(sck->port[0].ifname, "eth0");
	strcpy(sck->port[4].ifname, "eth1");
}

void sck_get_mib(sck_soft_t *sck)
{
	for (const MibRow &row : MIB_TABLE) {
		bool got = sck_ops->flash_get(row.name, sck->work_buf) == 0;
		take_setting(sck, row, sck->work_buf, got);
	}
	if (sck->ping_option & 1)
		fetch_lan_addr(sck);
}

void sck_reloaed_config(sck_soft_t *sck)
{
	if (!sck_count_down(sck, &sck->reload_timer))
		return;
	sck->reload_timer = SCK_RELOAD_TIME;
	sck_get_mib(sck);
}

void sck_pass(sck_soft_t *sck)
{
	sck_check_event();
	sck_reloaed_config(sck);
	for (auto check : PASS_CHECKS)
		check(sck);
}

int parse_arg(sck_soft_t *sck, int argc, char **argv)
{
	int c;
	while ((c = getopt(argc, argv, "i:d:")) != -1) {
		long long n = 0;
		switch (c) {
		case 'i':
			/* A pass of 0 seconds would never count anything down. */
			if (!clean_number(optarg, &n) || n < 1 || n > UINT8_MAX)
				return -1;
			sck->interval = (uint8_t)n;
			break;
		case 'd':
			sck->debug_level = (uint8_t)strtol(optarg, nullptr, 0);
			break;
		default:
			return -1;
		}
	}
	return 0;
}

void sck_usage(int, char **argv)
{
	fprintf(stderr, "usage: %s -i interval(sec) -d debug_level\n", argv[0] ? argv[0] : "syscheck");
	exit(1);
}

int sck_init(int argc, char **argv)
{
	sck_soft_t *sck = sck_sc;
	memset(sck, 0, sizeof(*sck));
	const char *arg0 = argv[0] ? argv[0] : "syscheck";
	const char *slash = strrchr(arg0, '/');
	sck->prog_name = slash ? slash + 1 : arg0;
	if (utl_check_duplicate_proc(sck->prog_name, arg0))
		return -1;
	sck->pid = getpid();
	sys_openlog(sck->prog_name, 0, LOG_DAEMON);
	sck_log(LOG_INFO, "%s start", sck->prog_name);
	utl_set_dlevel(sck->debug_level);
	write_pid_file(sck);
	sck_sigset();
	if (parse_arg(sck, argc, argv) < 0) {
		/* No daemon runs: no pid file claims one. */
		remove_pid_file(sck);
		sck_usage(argc, argv);
	}
	utl_set_dlevel(sck->debug_level);
	sck_get_mib(sck);
	sck_start_checks(sck);
	return 0;
}
