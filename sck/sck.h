/*
 * sck.h - syscheck, the system check daemon: its control block, the checks
 * of a pass and what they need of the system.
 *
 * One pass every `interval` seconds: the flag-file scan switches checks on
 * and off, the settings are re-read every 10 seconds, then every check
 * that is on runs once, in a fixed order.  A check keeps a countdown in
 * seconds and acts in the pass in which it runs out.
 *
 * Files are router paths reached through the platform layer; everything
 * else a check does to the system (commands, processes, signals, sleeps,
 * syslog, standard output, settings, interface requests) goes through the
 * operations record sck_ops, which the unit tests replace.
 */
#ifndef KP7_SCK_H
#define KP7_SCK_H

#include <netinet/in.h>
#include <stdint.h>
#include <stdio.h>

struct ifreq;

/* Bits of sck_soft_t::check_flags; the others carry no meaning. */
enum : uint32_t {
	SCK_F_IPCP_UP = 1u << 11,	/* PPP supervision saw IPCP, testing the link */
	SCK_F_PING = 1u << 13,		/* ping monitor */
	SCK_F_PPP = 1u << 14,		/* PPP connection supervision */
	SCK_F_WANCTL = 1u << 15,	/* wanctl watchdog */
	SCK_F_USB_SWITCH = 1u << 16,	/* USB modem switching wait */
	SCK_F_USB_DRIVER = 1u << 17,	/* USB host driver check */
	SCK_F_SVCAGENT = 1u << 18,
	SCK_F_STATIONMAP = 1u << 19,
	SCK_F_NETGATE = 1u << 20,
	SCK_F_LINKMGR = 1u << 21,
	SCK_F_BOA = 1u << 22,
	SCK_F_LINK = 1u << 23,		/* Ethernet link-state logging */
};

/* Countdowns and waits, in seconds. */
enum {
	SCK_INTERVAL = 2,		/* a pass, unless -i says otherwise */
	SCK_RELOAD_TIME = 10,		/* settings snapshot */
	SCK_WATCH_TIME = 30,		/* watchdogs and the USB driver check */
	SCK_USB_SWITCH_TIME = 180,
	SCK_PPP_WAIT_TIME = 120,	/* for IPCP */
	SCK_IPCP_SETTLE_TIME = 6,	/* between IPCP up and the link test */
	SCK_PING_FIRST_TIME = 60,	/* from the monitor's start to its first send */
	SCK_PING_REPLY_TIME = 15,
};

enum { SCK_PORTS = 5, SCK_PING_TARGETS = 3 };

#define SCK_LINK_UP 0x80	/* sck_port_t::link: link last seen up */
#define SCK_WAN_USB3G 16	/* sck_soft_t::wan_type: mobile card over USB */
#define SCK_WAN_PPPOE 3

struct sck_port_t {
	char ifname[16];	/* empty: the port is not followed */
	unsigned char link;
};

struct sck_soft_t {
	const char *prog_name;	/* argv[0] after its last '/': syslog ident, pid file */
	int32_t pid;
	sck_port_t port[SCK_PORTS];	/* by switch port number */
	uint32_t check_flags;
	uint32_t reload_timer;
	uint32_t boa_timer, linkmgr_timer, netgate_timer, stationmap_timer, svcagent_timer;
	uint32_t wanctl_timer, usb_driver_timer;
	uint32_t ping_send_timer, ping_wait_timer;
	uint32_t usb_switch_timer;
	uint32_t ppp_wait_timer;
	int32_t ppp_demand;		/* IPCP came up through the demand-dial marker */
	uint32_t ipcp_wait_timer;
	uint8_t wanctl_miss_count, usb_switch_count, ppp_retry_count, ping_fail_count;
	char work_buf[512];		/* command lines, file names, lines read */
	uint8_t interval;		/* seconds per pass, at least 1 */
	/* settings snapshot (sck_get_mib) */
	uint8_t wan_type, ppp_connect_type, usb3g_conn_type, usb3g_ether, dns_mode;
	uint8_t ping_sent[SCK_PING_TARGETS];	/* pinged in the current cycle */
	int32_t ping_option;		/* bit 0: ping from the LAN address */
	struct sockaddr_in lan_addr;	/* of br0, when bit 0 of ping_option is set */
	int32_t ping_enable;
	int32_t ping_interval;		/* seconds between ping cycles */
	char ping_host[SCK_PING_TARGETS][128];	/* empty: target not used */
	uint8_t debug_level;
};

extern sck_soft_t *sck_sc;

/*
 * What the checks do to the system besides files.  sck_sys_ops is the
 * daemon's own; a test points sck_ops at a record of fakes.
 */
struct sck_ops_t {
	int (*run)(const char *cmd);			/* shell command, waited for: wait status or -1 */
	FILE *(*popen)(const char *cmd);		/* its standard output; null with errno */
	int (*pclose)(FILE *stream);			/* wait status or -1 */
	int (*pid_of)(const char *name);		/* running process of exactly that name, or 0 */
	int (*kill_proc)(const char *name, int sig);	/* utl_kill_proc(): line, signal, 1 s */
	int (*kill)(int pid, int sig);
	int (*flash_get)(const char *name, char *value);	/* 0, or -1: no value */
	/* A socket interface request: 0, -1 (errno) when the request
	 * failed, SCK_IF_NO_SOCKET (errno) when no socket could be made. */
	int (*if_request)(unsigned long req, struct ifreq *ifr);
	void (*sleep)(unsigned seconds);		/* a caught signal ends it early */
	void (*log)(int priority, const char *text);
	void (*say)(const char *line);			/* a whole line on standard output */
	void (*await_reboot)(void);			/* the daemon's never returns */
};
enum { SCK_IF_NO_SOCKET = -2 };

extern const sck_ops_t sck_sys_ops;
extern const sck_ops_t *sck_ops;

/* ---- start-up and the main loop (sck_init.cc, sck_main.cc) ---- */

/* Start-up in its order: 0, or -1 when another instance runs. */
int sck_init(int argc, char **argv);
/* Options into sck: 0, or -1 for a usage error. */
int parse_arg(sck_soft_t *sck, int argc, char **argv);
[[noreturn]] void sck_usage(int argc, char **argv);
void sck_sigset(void);
/* The end of start-up: the boa watchdog, the USB driver check and link
 * logging on (their flag files created), countdowns and port names set,
 * the pass interval 2 seconds unless -i gave one. */
void sck_start_checks(sck_soft_t *sck);
void sck_get_mib(sck_soft_t *sck);
void sck_reloaed_config(sck_soft_t *sck);
/* One pass: scan, reload, the checks in their order. */
void sck_pass(sck_soft_t *sck);
/* The sleep before a pass; a SIGUSR1 that came during the last pass gets
 * its scan first. */
void sck_wait(sck_soft_t *sck);

/* ---- flag-file scan (sck_event.cc) ---- */

void sck_check_event(void);

/* ---- the checks, in pass order ---- */

void sck_check_boa(sck_soft_t *sck);		/* sck_watch.cc */
void sck_check_linkmgr(sck_soft_t *sck);
void sck_check_netgate(sck_soft_t *sck);
void sck_check_stationmap(sck_soft_t *sck);
void sck_check_svcagent(sck_soft_t *sck);
void sck_check_usb_driver(sck_soft_t *sck);
void sck_link_status(sck_soft_t *sck);		/* sck_wan.cc */
void sck_usb_switch_status(sck_soft_t *sck);
void sck_check_wanctl(sck_soft_t *sck);
void sck_ppp_status(sck_soft_t *sck);		/* sck_ppp.cc */
void sck_ppp_ping(sck_soft_t *sck);		/* sck_ping.cc */

/* ---- helpers of the checks (sck_util.cc) ---- */

/* The pass's share of a countdown: less `interval`, stopping at 0.  True
 * when it is 0 now, the pass in which its check acts. */
bool sck_count_down(const sck_soft_t *sck, uint32_t *timer);
/* A line on standard output; a newline is added unless the text ends in one. */
void sck_say(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
void sck_log(int priority, const char *fmt, ...) __attribute__((format(printf, 2, 3)));
/* The same text to syslog and as a line on standard output. */
void sck_tell(int priority, const char *fmt, ...) __attribute__((format(printf, 2, 3)));
/* Any kind of file counts; one that cannot be examined does not. */
bool sck_exists(const char *path);
void sck_remove(const char *path);
/* Writes "1" to the marker file `path` (what wanctl is asked to do). */
void sck_mark(const char *path);
/* Marker file, then the signal to wanctl through utl_kill_proc(). */
void sck_ask_wanctl(const char *marker, int sig);

#endif
