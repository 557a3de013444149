/*
 * mdmsetup - prepares the USB modem: a radio band preset, the clearing of
 * its authentication timer, or two framed commands.
 *
 *   mdmsetup KEYWORD          a keyword of the table below (case matters)
 *   mdmsetup DEVICE [HEX]     raw: the bytes HEX spells in pairs ("41540D")
 *                             to /dev/DEVICE, reported as for a preset
 *
 * Exit status 0, or 1 for a missing argument, bad hexadecimal text, a
 * device that cannot be opened, and a failed "clear".
 */
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "modem.h"

namespace {

constexpr unsigned long WAIT_US = 10000;

enum Action { FRAMES, CLEAR, PRESET, RAW };

struct Keyword {
	const char *word;
	const char *device;   /* under /dev */
	Action action;
	const char *cmd;
};

constexpr Keyword KEYWORDS[] = {
	{"3GON", "ttyUSB1", FRAMES, ""},
	{"clear", "ttyUSB0", CLEAR, "AT$$AUTH_TIME=000000000000\r\n"},
	{"GL03D", "ttyUSB0", PRESET, "AT^SYSCFGEX=\"00\",40000000,1,1,4,\"\",\"\"\r\n"},
	{"SB203HW_ALL", "ttyUSB0", PRESET, "AT^SYSCFGEX=\"00\",3fffffff,1,1,10000000000,\"\",\"\"\r\n"},
	{"SB203HW_3G", "ttyUSB0", PRESET,
	 "AT^SYSCFGEX=\"02\",2000000000000000,1,1,10000000000,\"\",\"\"\r\n"},
};

/* The answer "clear" wants: the echo of the carriage return, the timer
 * line and OK.  What follows it does not count. */
constexpr std::string_view CLEAR_OK = "\r\r\n$$AUTH_TIME: 1\r\n\r\nOK\r\n";
static_assert(CLEAR_OK.size() == 25, "the answer is judged on 25 characters");

/* "3GON": two HDLC-like frames, a payload of 3 bytes, its check sequence
 * low byte first, and the closing flag. */
struct Frame {
	uint8_t b[6];
};

constexpr Frame make_frame(uint8_t p0, uint8_t p1, uint8_t p2)
{
	const uint8_t payload[3] = {p0, p1, p2};
	uint16_t fcs = at_fcs16(payload, 3);
	return {{p0, p1, p2, (uint8_t)(fcs & 0xFF), (uint8_t)(fcs >> 8), 0x7E}};
}

constexpr Frame FRAMES_3GON[2] = {make_frame(0xDE, 0x00, 0x00), make_frame(0x29, 0x04, 0x00)};
static_assert(FRAMES_3GON[0].b[3] == 0xD8 && FRAMES_3GON[0].b[4] == 0x59, "frame 1 is DE 00 00 D8 59 7E");
static_assert(FRAMES_3GON[1].b[3] == 0x89 && FRAMES_3GON[1].b[4] == 0x3E, "frame 2 is 29 04 00 89 3E 7E");

struct stp_soft_t {
	int fd;
	const Keyword *kw;
	uint8_t cmd[AT_BUF];   /* raw mode's bytes */
	size_t cmd_len;
	AtRx rx;
};

stp_soft_t stp;

const Keyword *find_keyword(const char *arg)
{
	for (const Keyword &k : KEYWORDS)
		if (strcmp(k.word, arg) == 0)
			return &k;
	return nullptr;
}

void send_frames()
{
	for (const Frame &f : FRAMES_3GON) {
		if (sys_tiny_write(stp.fd, f.b, sizeof(f.b)) < 0)
			return;
		sys_tiny_usleep(WAIT_US);
		sys_tiny_read(stp.fd, stp.rx.buf, AT_BUF);
	}
}

/* One write of the whole command, then what came back, byte by byte. */
void send_and_report(const void *cmd, size_t len)
{
	ssize_t n = sys_tiny_write(stp.fd, cmd, len);
	if (n < 0)
		return;
	sys_tiny_usleep(WAIT_US);
	printf("WriteLen:%.2d\n", (int)n);
	ssize_t got = sys_tiny_read(stp.fd, stp.rx.buf, AT_BUF);
	if (got <= 0)
		return;
	printf("Read:[%.2d]:", (int)got);
	for (ssize_t i = 0; i < got; i++)
		printf(" %.2X", (unsigned char)stp.rx.buf[i]);
	printf("\n");
}

int clear_auth_time()
{
	int rc = at_dialogue(stp.fd, stp.kw->cmd, WAIT_US, &stp.rx);
	close(stp.fd);
	if (rc < 0) {
		printf("mdmsetup: timeout");
		return 1;
	}
	std::string_view got = stp.rx.text();
	if (at_starts(got, CLEAR_OK)) {
		printf("mdmsetup clear OK\n");
		return 0;
	}
	printf("mdmsetup clear NG[%d]: ", (int)got.size());
	fwrite(got.data(), 1, got.size(), stdout);
	printf("\n");
	for (unsigned char c : got)
		printf("%.2X ", c);
	printf("\n");
	return 1;
}

}  // namespace

int main(int argc, char **argv)
{
	if (argc < 2) {
		printf("mdmsetup: arg error.");
		return 1;
	}
	static Keyword raw;
	stp.kw = find_keyword(argv[1]);
	if (!stp.kw) {
		raw = {"", argv[1], RAW, ""};
		stp.kw = &raw;
	}
	if (stp.kw->action == RAW && argc > 2) {
		long n = at_hex_bytes(argv[2], stp.cmd, sizeof(stp.cmd));
		if (n < 0) {
			printf("mdmsetup: hex error.");
			return 1;
		}
		stp.cmd_len = n;
	}
	stp.fd = at_open(stp.kw->device);
	if (stp.fd < 0) {
		perror("mdmsetup open");
		return 1;
	}
	ser_init(stp.fd, B230400);
	switch (stp.kw->action) {
	case CLEAR:
		return clear_auth_time();
	case FRAMES:
		send_frames();
		break;
	case PRESET:
		send_and_report(stp.kw->cmd, strlen(stp.kw->cmd));
		break;
	case RAW:
		send_and_report(stp.cmd, stp.cmd_len);
		break;
	}
	close(stp.fd);
	return 0;
}
