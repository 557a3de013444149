/*
 * mdmprobe - one AT command to the USB modem, its answer checked.
 *
 *   mdmprobe DEVICE COMMAND [LABEL|ALS]
 *
 * DEVICE is a name under /dev.  COMMAND is sent with a carriage return,
 * or as it stands when it begins with "_".  "AT+CGDCONT=..." ensures a
 * packet data context instead: the modem's contexts are read and the
 * context is written only when the first differs from COMMAND (or with
 * ALS).  ATI prints the value of the identity line LABEL, ATI1 and ATI4
 * the answer's first line.  Failed dialogues are recorded in
 * /etc/ppp/mdmprobe.err.  Exit status 0, or 1 on any failure.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include "modem.h"

namespace {

constexpr char ERR_FILE[] = "/etc/ppp/mdmprobe.err";
constexpr std::string_view CONTEXT_SET = "AT+CGDCONT=";
constexpr std::string_view CONTEXT_READ = "AT+CGDCONT?\r";
constexpr std::string_view NO_CONTEXT = "\r\n+CGDCONT:\r\n\r\nOK\r\n";
constexpr unsigned long CHAR_WAIT_US = 1000000;

struct prb_soft_t {
	int fd;
	int reATCmdFlg;          /* the second dialogue: the context write */
	char cmd[AT_BUF];        /* the command being sent */
	AtRx rx;                 /* what the modem said */
};

prb_soft_t prb;

/* The error record: the local time in asctime form, then the kind, the
 * command as sent and the answer.  It replaces the file's earlier record
 * whole; a file that cannot be written is skipped. */
void write_error(const char *path, std::string_view kind, std::string_view cmd,
		 std::string_view answer)
{
	static char rec[2 * AT_BUF + 64];
	time_t now = sys_tiny_time();
	struct tm tm;
	if (!asctime_r(localtime_r(&now, &tm), rec))
		rec[0] = '\0';
	size_t len = strlen(rec);
	for (std::string_view part : {kind, std::string_view(" "), cmd, std::string_view("\n["),
				      answer, std::string_view("]\n")}) {
		memcpy(rec + len, part.data(), part.size());
		len += part.size();
	}
	sys_tiny_write_atomic(path, rec, len, 0644);
}

[[noreturn]] void fail(std::string_view kind, std::string_view cmd, std::string_view answer)
{
	write_error(ERR_FILE, kind, cmd, answer);
	close(prb.fd);
	exit(1);
}

/* One dialogue; returns the answer (the last data read, without the echo
 * of the final character) or ends the run with an error record. */
std::string_view run_dialogue(std::string_view cmd)
{
	if (at_dialogue(prb.fd, cmd, CHAR_WAIT_US, &prb.rx) < 0)
		fail("TIMEOUT:", cmd, prb.rx.text());
	std::string_view answer = prb.rx.text().substr(prb.rx.len ? 1 : 0);
	if (!at_answer_ok(answer, prb.reATCmdFlg))
		fail("ATOK_ERR:", cmd, answer);
	return answer;
}

/* COMMAND as sent, into prb.cmd; false when it does not fit. */
bool make_command(const char *command)
{
	const char *fmt = command[0] == '_' ? "%s" : "%s\r";
	int n = snprintf(prb.cmd, sizeof(prb.cmd), fmt, command);
	return n >= 0 && (size_t)n < sizeof(prb.cmd);
}

/* Writes the context when the modem's first one differs, when forced, or
 * when the modem has none. */
void ensure_context(const char *command, bool force)
{
	std::string_view answer = run_dialogue(CONTEXT_READ);
	std::string_view want = std::string_view(command).substr(CONTEXT_SET.size());
	if (!force && at_context_agrees(answer, want) && answer != NO_CONTEXT)
		return;
	prb.reATCmdFlg = 1;
	run_dialogue(prb.cmd);
}

/* The identity commands' output; 1 when ATI lacks its label. */
int print_identity(std::string_view sent, int argc, char **argv, std::string_view answer)
{
	std::string_view out;
	if (sent == "ATI\r" || sent == "ati\r") {
		if (argc != 4)
			return 1;
		out = at_labelled(answer, argv[3]);
	} else if (sent == "ATI1\r" || sent == "ati1\r" || sent == "ATI4\r" || sent == "ati4\r") {
		out = at_first_line(answer);
	} else {
		return 0;
	}
	printf("%.*s\n", (int)out.size(), out.data());
	return 0;
}

}  // namespace

int main(int argc, char **argv)
{
	if (argc < 3 || !make_command(argv[2]))
		return 1;
	prb.fd = at_open(argv[1]);
	if (prb.fd < 0)
		return 1;
	ser_init(prb.fd, B115200);
	if (at_starts(argv[2], CONTEXT_SET)) {
		ensure_context(argv[2], argc > 3 && strcmp(argv[3], "ALS") == 0);
		close(prb.fd);
		return 0;
	}
	std::string_view answer = run_dialogue(prb.cmd);
	close(prb.fd);
	return print_identity(prb.cmd, argc, argv, answer);
}
