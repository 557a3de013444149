/*
 * MODEM_SQ, MODEM_CNUM and MODEM_STATUS: the USB modem's signal quality
 * and number by AT dialogue, and its state from the files the firmware's
 * connection programs leave under /var.
 */
#include "ci.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "sys.h"

namespace {

/* A modem's serial port by its USB vendor:product id. */
struct CuiModem {
	char id[20];
	int32_t port;
};

constexpr CuiModem cui_modem_ct[] = {
	{"19d2:0016", 1}, {"19d2:0117", 1}, {"1c9e:7801", 2}, {"11f6:1034", 2},
};

/* A state word of the connection programs and what the report shows. */
struct CuiState {
	char statstr[16];
	char text[40];
};

constexpr CuiState cui_mstat_ct[] = {
	{"conn", "connecting"}, {"disc", "disconnected"}, {"init", "initializing"},
	{"dial", "dialing"}, {"remove", "removed"}, {"fail", "failed"}, {"wait", "waiting"},
};
constexpr CuiState cui_pstat_ct[] = {
	{"none", "none"}, {"auth_fail", "authentication failed"},
	{"auth_success", "authentication succeed"}, {"ipcp_up", "ipcp up"},
	{"ipcp_down", "ipcp down"}, {"ppp_start", "starting"}, {"connect_fail", "connect failed"},
};
static_assert(sizeof(cui_mstat_ct) / sizeof(cui_mstat_ct[0]) == 7, "seven modem states");
static_assert(sizeof(cui_pstat_ct) / sizeof(cui_pstat_ct[0]) == 7, "seven PPP states");

constexpr char TTY_ID[] = "/var/usb3g.tty_id";
constexpr size_t TTY_ID_READ = 20;
constexpr char WORD_DELIMS[] = " \t\n\r";
constexpr char ANSWER_DELIMS[] = " \t:,\"\r\n";
constexpr unsigned long ANSWER_TIMEOUT_US = 100000;
/* A modem that never falls silent must not hold the report forever. */
constexpr long long DIALOGUE_MAX_MS = 3000;

/* The first word of the modem id file into `word` (TTY_ID_READ + 1
 * bytes); false when the file cannot be read or holds none. */
bool tty_id_word(char *word)
{
	int fd = sys_open(TTY_ID, O_RDONLY);
	if (fd < 0) {
		cui_trace("%s usb3g.tty_id open error errno %d\n", "CiGetModemTTY", errno);
		return false;
	}
	char text[TTY_ID_READ + 1];
	ssize_t n = sys_read_all(fd, text, TTY_ID_READ);
	close(fd);
	if (n <= 0)
		return false;
	text[n] = '\0';
	const char *p = text + strspn(text, WORD_DELIMS);
	size_t len = strcspn(p, WORD_DELIMS);
	memcpy(word, p, len);
	word[len] = '\0';
	return len > 0;
}

/* A dialogue that failed: the port closed, the message written. */
int dialogue_failed(cui_soft_t *sc, int fd, const char *what, const char *dev)
{
	if (fd >= 0)
		close(fd);
	return cui_fail(sc, CI_ERR_MODEM, "seial device %s %s error\n", dev, what);
}

}  // namespace

int CiGetModemTTY(cui_soft_t *sc, int *port)
{
	*port = -1;
	char word[TTY_ID_READ + 1];
	if (!tty_id_word(word))
		return cui_fail(sc, CI_ERR_MODEM, "there are no usb modem\n");
	if (sc->port != CUI_PORT_NONE) {
		*port = sc->port;
		return 0;
	}
	/* the word matches every id it begins; the last match wins */
	for (const CuiModem &m : cui_modem_ct)
		if (!strncmp(word, m.id, strlen(word)))
			*port = m.port;
	if (*port < 0) {
		cui_trace("%s can't find usb modem\n", __func__);
		return cui_fail(sc, CI_ERR_MODEM, "There are no USB memory\n");
	}
	return 0;
}

bool ci_answer_word(const char *line, const char *prefix, char *word, size_t size)
{
	const char *p = strstr(line, prefix);
	if (!p || !size)
		return false;
	p += strlen(prefix);
	p += strspn(p, ANSWER_DELIMS);
	size_t len = strcspn(p, ANSWER_DELIMS);
	if (!len)
		return false;
	if (len >= size)
		len = size - 1;
	memcpy(word, p, len);
	word[len] = '\0';
	return true;
}

int CiModemSendAtCommand(cui_soft_t *sc, const char *command, const char *prefix, char *answer)
{
	int port, rc = CiGetModemTTY(sc, &port);
	if (rc)
		return rc;
	char dev[32];
	snprintf(dev, sizeof(dev), "/dev/ttyUSB%d", port);
	cui_trace("%s serial device %s\n", __func__, dev);
	int fd = serial_open(dev);
	if (fd < 0) {
		cui_trace("%s serial device %s open error errno %d\n", __func__, dev, errno);
		return dialogue_failed(sc, fd, "open", dev);
	}
	serial_setup(fd, B38400);
	serial_input_clear(fd);
	size_t len = strlen(command);
	if (serial_output(fd, command, len) != (int)len) {
		cui_trace("%s serial output error errno %d\n", __func__, errno);
		return dialogue_failed(sc, fd, "output", dev);
	}
	/* every line until the modem falls silent: the echo, the answer, OK */
	bool found = false;
	long long deadline = sys_elapsed_ms() + DIALOGUE_MAX_MS;
	char line[CI_ANSWER_SIZE], word[CI_ANSWER_SIZE];
	for (;;) {
		int n = serial_input(fd, line, sizeof(line) - 1, ANSWER_TIMEOUT_US);
		if (n < 0) {
			cui_trace("%s serial input error ret %d errno %d\n", __func__, n, errno);
			return dialogue_failed(sc, fd, "input", dev);
		}
		if (n == 0)
			break;
		line[n] = '\0';
		cui_trace("input [%s]\n", line);
		if (ci_answer_word(line, prefix, word, sizeof(word))) {
			cui_trace("p [%s]\n", word);
			strcpy(answer, word);
			found = true;
		}
		if (sys_elapsed_ms() > deadline) {
			cui_trace("%s modem does not fall silent\n", __func__);
			if (!found)
				return dialogue_failed(sc, fd, "input", dev);
			break;
		}
	}
	close(fd);
	return found ? 0 : CI_ERR_MODEM;
}

bool ci_quality_level(const char *word, int *level)
{
	char *end;
	long q = strtol(word, &end, 0);
	if (end == word || *end)
		return false;
	*level = q <= 1 ? 0 : q <= 6 ? 1 : q <= 14 ? 2 : q <= 22 ? 3 : q <= 31 ? 4 : 0;
	return true;
}

namespace {

/* A report's dialogue: its trace, the command, the answer word traced. */
int modem_query(cui_soft_t *sc, const char *report, const char *command, const char *prefix,
		char *answer)
{
	cui_trace("%s\n", report);
	int rc = CiModemSendAtCommand(sc, command, prefix, answer);
	if (rc == 0)
		cui_trace("answer [%s]\n", answer);
	return rc;
}

}  // namespace

int CiModemSignalQuality(cui_soft_t *sc, int argc, char **argv)
{
	(void)argc;
	(void)argv;
	char answer[CI_ANSWER_SIZE];
	int rc = modem_query(sc, __func__, "AT+CSQ\r\n", "+CSQ:", answer);
	if (rc)
		return rc;
	cui_trace("p [%s]\n", answer);
	int level;
	if (!ci_quality_level(answer, &level)) {
		cui_trace("%s can't get quality\n", __func__);
		return cui_fail(sc, CI_ERR_MODEM, "can't get signal quality from usb modem\n");
	}
	cui_trace("%s quality %d\n", __func__, level);
	printf("%d\n", level);
	return 0;
}

int CiModemCnum(cui_soft_t *sc, int argc, char **argv)
{
	(void)argc;
	(void)argv;
	char answer[CI_ANSWER_SIZE];
	int rc = modem_query(sc, __func__, "AT+CNUM\r\n", "+CNUM:", answer);
	if (rc == 0)
		puts(answer);
	return rc;
}

namespace {

/* The first line of a state file up to its line end into `word` (1024
 * bytes), traced with `trace`; false when there is no text. */
bool state_word(const char *path, const char *trace, char *word)
{
	FILE *f = sys_fopen(path, "r");
	if (!f)
		return false;
	bool got = fgets(word, 1024, f) != nullptr;
	fclose(f);
	if (!got)
		return false;
	cui_trace(trace, word);
	word[strcspn(word, "\r\n")] = '\0';
	return word[0] != '\0';
}

/* The first record whose word begins with `word`, printed with `line`;
 * nothing when none does. */
template <size_t N>
void print_state(const CuiState (&table)[N], const char *name, const char *word, const char *line)
{
	size_t len = strlen(word);
	for (size_t i = 0; i < N; i++) {
		cui_trace("stat %s %s[%d].statstr %s\n", word, name, (int)i, table[i].statstr);
		if (!strncmp(table[i].statstr, word, len)) {
			printf(line, table[i].text);
			return;
		}
	}
}

bool link_up(void)
{
	int fd = sys_open("/var/ppp/link", O_RDONLY);
	if (fd < 0)
		return false;
	close(fd);
	return true;
}

}  // namespace

int CiModemStatus(cui_soft_t *sc, int argc, char **argv)
{
	(void)sc;
	(void)argc;
	(void)argv;
	cui_trace("CiModemStatus\n");
	char word[1024];
	if (link_up())
		strcpy(word, "conn");
	else if (!state_word("/var/usb3g.stat", "usb3g.stat %s\n", word))
		strcpy(word, "remove");
	print_state(cui_mstat_ct, "mstat", word, "MODEM Status:\t\t%s\n");
	if (!state_word("/var/ppp_stat", "ppp_stat %s\n", word))
		strcpy(word, "none");
	print_state(cui_pstat_ct, "pstat", word, "PPP Status:\t\t%s\n");
	if (!state_word("/var/ppp_last_stat", "ppp_last_stat %s\n", word))
		strcpy(word, "none");
	print_state(cui_pstat_ct, "pstat", word, "Last PPP Status:\t%s\n");
	return 0;
}
