/*
 * ci.h - kp7cui's status reports (-i NAME INDEX): the report table, the
 * reports, and what they are built of: the wireless driver's requests,
 * the interface queries, the serial port, and the parsers of the files
 * other programs leave behind (unit tests and fuzz targets drive those on
 * their own).
 *
 * Every report prints on standard output and returns 0, or fills
 * sc->msg with "ERROR <code>: ..." and returns the code (cui_fail).
 */
#ifndef KP7_CI_H
#define KP7_CI_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <termios.h>

#include "cui.h"

/* ---- the report table (ci_info.cc) ---- */

struct CuiInfoCmd {
	char name[64];
	cui_handler_t *handler;	/* nullptr: taken as an unknown name */
};

#define CI_INFO_COUNT 8
extern const CuiInfoCmd CuiInfoCmdTbl[CI_INFO_COUNT];

/* The error codes of the reports. */
enum {
	CI_ERR_NAME = 5,	/* "illegal name" */
	CI_ERR_INDEX = 7,	/* "illegal index" */
	CI_ERR_MIB = 11,	/* "get MIB failed" */
	CI_ERR_WLAN = 13,	/* "get wlan status failed" */
	CI_ERR_DHCPD = 14,	/* "get dhcpd status failed" */
	CI_ERR_MODEM = 15,	/* the modem's texts */
	CI_ERR_MEMORY = 20,	/* "memory allocate failed" */
};

/* Store parameters the reports read, by number. */
enum {
	CI_MIB_WLAN_WEP = 3,
	CI_MIB_WLAN_DISABLED = 22,	/* WLAN_WLAN_DISABLED */
	CI_MIB_WLAN_ENCRYPT = 25,
	CI_MIB_WLAN_MODE = 59,
	CI_MIB_WLAN_NETWORK_TYPE = 60,
	CI_MIB_WLAN_WDS_ENCRYPT = 69,
	CI_MIB_WLAN_BAND = 74,
	CI_MIB_WAN_TYPE = 104,
	CI_MIB_DHCP = 173,
	CI_MIB_OP_MODE = 192,
	CI_MIB_WISP_WAN_ID = 193,
	CI_MIB_WLAN_MESH_ENCRYPT = 559,
};

/* A number parameter of the current set: true when it could be read. */
bool ci_mib(int id, int *value);

/* The wireless network the store's per-network parameters are read
 * from: 0 the radio's own, 1 its first virtual access point. */
void ci_select_wlan(int vwlan);

/* "xx:xx:xx:xx:xx:xx" of 6 bytes into `text` (18 bytes). */
char *ci_mac_text(const uint8_t *mac, char *text);

/* "a.b.c.d" of 4 bytes in network order into `text` (16 bytes). */
char *ci_ip_text(const uint8_t *ip, char *text);

cui_handler_t CiWlanClient;		/* WLAN_CLIENT (ci_wlan.cc) */
cui_handler_t CiWlanSiteSurvey;		/* WLAN_SITE_SURVEY (ci_survey.cc) */
cui_handler_t CiDhcpClient;		/* DHCP_CLIENT (ci_dhcp.cc) */
cui_handler_t CiStatus;			/* STATUS (ci_status.cc) */
cui_handler_t CiTransferStatus;		/* TRANSFER_STATUS (ci_ifstats.cc) */
cui_handler_t CiModemSignalQuality;	/* MODEM_SQ (ci_modem.cc) */
cui_handler_t CiModemCnum;		/* MODEM_CNUM */
cui_handler_t CiModemStatus;		/* MODEM_STATUS */

/* The firmware's version, as STATUS shows it. */
extern const char fwVersion[];

/* ---- the wireless driver (ci_wlreq.cc) ---- */

/* Private requests of the driver and the sizes of their records. */
enum : unsigned {
	CI_WL_STA_TABLE = 0x8B30,
	CI_WL_STA_NUM = 0x8B31,
	CI_WL_SCAN_REQ = 0x8B33,
	CI_WL_SCAN_RESULT = 0x8B34,
	CI_WL_BSS_INFO = 0x8B37,
};
constexpr size_t CI_STA_SIZE = 48, CI_STA_SLOTS = 64;
constexpr size_t CI_STA_TABLE_SIZE = (CI_STA_SLOTS + 1) * CI_STA_SIZE;	/* slot 0 unused */
constexpr size_t CI_BSS_SIZE = 44;
constexpr size_t CI_SCAN_REC = 132, CI_SCAN_MAX = 64;
constexpr size_t CI_SCAN_SIZE = 4 + CI_SCAN_MAX * CI_SCAN_REC;
constexpr uint8_t CI_SCAN_RUNNING = 0xFF;

struct iwreq;

/* At most 16 characters of `ifname` into the record, then the request:
 * the driver's result. */
int Ciiw_get_ext(int skfd, const char *ifname, int request, struct iwreq *pwrq);

/* Each: a socket, the name request (is it wireless?), the request itself
 * with the caller's buffer, the socket closed.  0, or -1 on any failure. */
int CigetWlBssInfo(const char *ifname, uint8_t *bss);	/* CI_BSS_SIZE bytes */
/* Starts a scan; *status is the driver's answer byte, 0xFF as -1. */
int CigetWlSiteSurveyRequest(const char *ifname, int *status);
/* buf[0] non-zero on entry: a status poll of one byte; zero: the whole
 * result (CI_SCAN_SIZE bytes). */
int CigetWlSiteSurveyResult(const char *ifname, uint8_t *buf);
int CigetWlStaTable(const char *ifname, uint8_t *table);	/* CI_STA_TABLE_SIZE */
int CigetWlStaNum(const char *ifname, unsigned *count);

/* ---- interfaces and routes (ci_ifinfo.cc) ---- */

enum { CI_IF_ADDR = 0, CI_IF_NETMASK = 1, CI_IF_HWADDR = 3 };

/* Kinds 0 and 1: a 32-bit IPv4 address in network byte order; kind 3:
 * the 16-byte socket address (family, then the MAC in data bytes 0-5).
 * 1 on success, 0 on failure (no such interface, no such kind). */
int CiGetIfInfo(const char *ifname, int kind, void *result);

/* The gateway of the first route in a /proc/net/route text that is up,
 * goes through a gateway and leaves through `ifname`: the address word
 * as the kernel printed it.  False when there is none. */
bool ci_route_gateway(FILE *routes, const char *ifname, uint32_t *gateway);

/* ---- DHCP leases (ci_dhcp.cc) ---- */

constexpr size_t CI_LEASE_SIZE = 24;

/* The number of a pid file, or -1 when it is missing, unreadable or
 * holds no process number. */
int CiGetPid(const char *path);

/* The lines of the leases in a lease file's bytes, on `out`; returns how
 * many.  A trailing partial record is ignored. */
int ci_print_leases(FILE *out, const uint8_t *data, size_t len);

/* ---- transfer counters (ci_ifstats.cc) ---- */

enum {
	CI_RX_PACKETS, CI_TX_PACKETS, CI_RX_BYTES, CI_TX_BYTES,	/* 64 bits */
	CI_RX_ERRORS, CI_TX_ERRORS, CI_RX_DROPS, CI_TX_DROPS,	/* 32 bits from here */
	CI_RX_MULTICAST, CI_RX_COMPRESSED, CI_TX_COMPRESSED, CI_COLLISIONS,
	CI_RX_FRAME, CI_RX_FIFO, CI_TX_CARRIER, CI_TX_FIFO,
	CI_IF_COUNTERS
};

/* One interface's counters; the caller clears it before a parse. */
struct CiIfStats {
	uint64_t c[CI_IF_COUNTERS];
};

/* The counters of `ifname` from /proc/net/dev: 0, or -1 when it is not
 * there (a missing file also prints a warning). */
int CiReadIfStats(const char *ifname, CiIfStats *st);
/* The same from an open /proc/net/dev text. */
int ci_parse_ifstats(FILE *dev, const char *ifname, CiIfStats *st);

/* ---- the modem's serial port (serial.cc) ---- */

/* A terminal device read-write and non-blocking; -1 for anything that is
 * not a terminal, which must never be written to. */
int serial_open(const char *path);
/* Raw 8N1 at `speed`, pending data discarded: the result of applying it. */
int serial_setup(int fd, speed_t speed);
/* Discards the input waiting now, without waiting for more (at most 16
 * KiB): its length, 0 when there was none, -1 on a read error. */
int serial_input_clear(int fd);
/* One line ending in CR LF into buf: its length with the CR LF; 0 after
 * a time-out of `timeout` microseconds between bytes (two before the
 * first); -1 on an error.  A line that fills `size` bytes without its end
 * is returned as it stands, `size` long, and the rest comes next call. */
int serial_input(int fd, char *buf, size_t size, unsigned long timeout);
int serial_output(int fd, const void *data, size_t len);

/* ---- the modem's reports (ci_modem.cc) ---- */

constexpr size_t CI_ANSWER_SIZE = 256;

/* The modem's serial port number into *port: 0, or 15 with the message
 * in sc->msg and *port -1. */
int CiGetModemTTY(cui_soft_t *sc, int *port);

/* One AT dialogue: `command` out, every line in until the modem is
 * silent, the last first word after `prefix` into `answer`
 * (CI_ANSWER_SIZE bytes).  0, or 15 (with a message unless the modem
 * simply did not answer so). */
int CiModemSendAtCommand(cui_soft_t *sc, const char *command, const char *prefix, char *answer);

/* The first word after `prefix` in `line` (words end at blanks, tabs,
 * colons, commas, double quotes and line ends), cut to `size` - 1
 * characters; false when the prefix or a word is missing. */
bool ci_answer_word(const char *line, const char *prefix, char *word, size_t size);

/* AT+CSQ's first word as a signal level 0-4; false when it is not a
 * whole number. */
bool ci_quality_level(const char *word, int *level);

#endif
