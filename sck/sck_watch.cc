/* Watchdogs of the sibling daemons and the USB host driver check. */
#include "sck.h"

#include <errno.h>
#include <signal.h>
#include <string.h>
#include <syslog.h>
#include <sys/wait.h>

#include "text.h"
#include "utl.h"

namespace {

constexpr char FUNC_DISABLED[] = "/var/func_disble";
constexpr char SHOP_ID_FILE[] = "/var/ramsetting/shopid";
constexpr int SHOP_ID_MAX = 5;

/* Common start of the six checks: on, and the countdown ran out (it
 * starts over at once). */
bool due(sck_soft_t *sck, uint32_t bit, uint32_t *timer)
{
	if (!(sck->check_flags & bit) || !sck_count_down(sck, timer))
		return false;
	*timer = SCK_WATCH_TIME;
	return true;
}

struct Watchdog {
	uint32_t bit;
	uint32_t sck_soft_t::*timer;
	const char *name;
	const char *down_text;
	const char *command;
};

constexpr Watchdog BOA = {SCK_F_BOA, &sck_soft_t::boa_timer, "boa", "boa is down, restart boa",
			  "boa&"};
constexpr Watchdog LINKMGR = {SCK_F_LINKMGR, &sck_soft_t::linkmgr_timer, "linkmgr",
			      "linkmgr is down, restart linkmgr", "linkmgr -d&"};
constexpr Watchdog NETGATE = {SCK_F_NETGATE, &sck_soft_t::netgate_timer, "netgate",
			      "netgateis down, restart netgate", "netgate &"};

void watch(sck_soft_t *sck, const Watchdog &w)
{
	if (!due(sck, w.bit, &(sck->*w.timer)) || sck_ops->pid_of(w.name))
		return;
	sck_log(LOG_NOTICE, "%s", w.down_text);
	sck_ops->run(w.command);
}

/* Up to five characters of the shop identifier file, "" without one.  The
 * identifier ends at a line end: a file written by echo must not split
 * the command it goes into. */
void read_shop_id(char (&id)[SHOP_ID_MAX + 1])
{
	memset(id, 0, sizeof(id));
	utl_getfile(SHOP_ID_FILE, id, SHOP_ID_MAX);
	id[strcspn(id, "\r\n")] = '\0';
}

/* "NAME -s ID &": the identifier as one word; none leaves -s bare. */
void start_with_shop_id(sck_soft_t *sck, const char *name, const char *id)
{
	SysText cmd(sck->work_buf, sizeof(sck->work_buf));
	cmd.text(name).text(" -s ");
	if (*id)
		cmd.word(id);
	cmd.text(" &");
	if (cmd.ok())
		sck_ops->run(sck->work_buf);
}

/* The two that a disabled function keeps down. */
bool shop_daemon_missing(const char *name)
{
	return !sck_ops->pid_of(name) && !sck_exists(FUNC_DISABLED);
}

/* ---- USB host drivers ---- */

struct UsbSeen {
	bool ohci, ehci;
};

/* The command's output, line by line, for the two driver names.  False
 * when the command could not be started: no shell, or a shell that could
 * not run it. */
bool scan_output(sck_soft_t *sck, const char *command, UsbSeen *seen)
{
	FILE *out = sck_ops->popen(command);
	if (!out)
		return false;
	*seen = {};
	while (fgets(sck->work_buf, sizeof(sck->work_buf), out)) {
		seen->ohci |= strstr(sck->work_buf, "ohci_hcd") != nullptr;
		seen->ehci |= strstr(sck->work_buf, "ehci_hcd") != nullptr;
	}
	int status = sck_ops->pclose(out);
	if (WIFEXITED(status) && (WEXITSTATUS(status) == 126 || WEXITSTATUS(status) == 127)) {
		errno = WEXITSTATUS(status) == 127 ? ENOENT : EACCES;
		return false;
	}
	return true;
}

/* Without lsmod or lsusb nothing can be told about the modem's bus. */
void reboot_broken(const char *command)
{
	int err = errno;
	sck_tell(LOG_ERR, "can't open %s errno %d, now reboot\n", command, err);
	sck_ops->sleep(1);
	sck_ops->run("logdump.sh");
	sck_ops->run("reboot");
	sck_ops->await_reboot();
}

const char *alive(bool yes)
{
	return yes ? "alive" : "not alive";
}

constexpr const char *RELOAD_COMMANDS[] = {
	"rmmod hwa-hc  >/dev/null 2>&1", "rmmod ohci-hcd  >/dev/null 2>&1",
	"rmmod ehci-hcd  >/dev/null 2>&1", "modprobe hwa-hc", "modprobe ohci-hcd",
	"modprobe ehci-hcd",
};

}  // namespace

void sck_check_boa(sck_soft_t *sck)
{
	watch(sck, BOA);
}

void sck_check_linkmgr(sck_soft_t *sck)
{
	watch(sck, LINKMGR);
}

void sck_check_netgate(sck_soft_t *sck)
{
	watch(sck, NETGATE);
}

void sck_check_stationmap(sck_soft_t *sck)
{
	if (!due(sck, SCK_F_STATIONMAP, &sck->stationmap_timer) || !shop_daemon_missing("stationmap"))
		return;
	char id[SHOP_ID_MAX + 1];
	read_shop_id(id);
	sck_log(LOG_NOTICE, "stationmap is down, restart stationmap");
	start_with_shop_id(sck, "stationmap", id);
}

/* A new svcagent always gets a fresh stationmap beside it. */
void sck_check_svcagent(sck_soft_t *sck)
{
	if (!due(sck, SCK_F_SVCAGENT, &sck->svcagent_timer) || !shop_daemon_missing("svcagent"))
		return;
	char id[SHOP_ID_MAX + 1];
	read_shop_id(id);
	if (int pid = sck_ops->pid_of("stationmap"))
		sck_ops->kill(pid, SIGTERM);
	sck_log(LOG_NOTICE, "svcagent is down, restart svcagent");
	start_with_shop_id(sck, "svcagent", id);
	start_with_shop_id(sck, "stationmap", id);
}

void sck_check_usb_driver(sck_soft_t *sck)
{
	if (!due(sck, SCK_F_USB_DRIVER, &sck->usb_driver_timer))
		return;
	UsbSeen mod, dev;
	if (!scan_output(sck, "/bin/lsmod", &mod))
		return reboot_broken("/bin/lsmod");
	if (!scan_output(sck, "/bin/lsusb -v", &dev))
		return reboot_broken("/bin/lsusb -v");
	if (mod.ohci && dev.ohci && mod.ehci && dev.ehci)
		return;
	sck_tell(LOG_ERR, "OHCI mod %s device %s EHCI mod %s device %s\n", alive(mod.ohci),
		 alive(dev.ohci), alive(mod.ehci), alive(dev.ehci));
	utl_countupfile("/var/stat/usb_driver_restart");
	sck_tell(LOG_INFO, "re-modprobe USB host modules");
	for (const char *command : RELOAD_COMMANDS)
		sck_ops->run(command);
}
