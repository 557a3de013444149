/*
 * modem.h - what mdmprobe and mdmsetup share: the serial line set-up, the
 * character-by-character AT dialogue with its echo check, and the plain
 * text and byte helpers their answers need.
 */
#ifndef KP7_MODEM_H
#define KP7_MODEM_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <termios.h>

#include <string_view>

#include "sys_tiny.h"

constexpr size_t AT_BUF = 4096;   /* commands, answers, device paths */
constexpr int AT_RETRIES = 10;    /* echo failures one command may cost */

/* The data of the last read of a dialogue that delivered any. */
struct AtRx {
	char buf[AT_BUF + 1];
	size_t len;
	std::string_view text() const { return {buf, len}; }
};

/* Opens the serial device /dev/NAME read-write and non-blocking, never as
 * the controlling terminal.  Anything but a terminal is refused (ENOTTY),
 * so that a wrong name never writes into a file or a flash device.
 * Returns the descriptor, or -1 with errno. */
inline int at_open(const char *name)
{
	char dev[AT_BUF];
	if ((size_t)snprintf(dev, sizeof(dev), "/dev/%s", name) >= sizeof(dev))
		return errno = ENAMETOOLONG, -1;
	int fd = sys_tiny_open(dev, O_RDWR | O_NONBLOCK | O_NOCTTY);
	struct termios t;
	if (fd >= 0 && sys_tiny_tcgetattr(fd, &t) < 0) {
		close(fd);
		return errno = ENOTTY, -1;
	}
	return fd;
}

/* 8N1, receiver on, modem control lines ignored, no processing of input,
 * output or local characters; a read returns what has arrived (the
 * descriptor is non-blocking).  The old settings are replaced whole. */
inline int ser_init(int fd, speed_t speed)
{
	struct termios t;
	memset(&t, 0, sizeof(t));
	t.c_cflag = CS8 | CREAD | CLOCAL;
	cfsetispeed(&t, speed);
	cfsetospeed(&t, speed);
	t.c_cc[VMIN] = 0;
	t.c_cc[VTIME] = 100;
	return sys_tiny_tcsetattr(fd, &t);
}

/*
 * Sends `cmd` one character at a time, waiting `wait_us` after each and
 * reading what arrived.  Data whose first byte is not the character just
 * sent is a failed echo: the command starts again from its first
 * character, at most AT_RETRIES times.  A write or read that delivers
 * nothing is no error (a modem may echo nothing).  Returns 0 with the
 * last data of the final round in `rx`, or -1 with the data of the last
 * failed echo in `rx`.
 */
inline int at_dialogue(int fd, std::string_view cmd, unsigned long wait_us, AtRx *rx)
{
	int retries = AT_RETRIES;
	rx->len = 0;
	for (size_t i = 0; i < cmd.size(); i++) {
		if (sys_tiny_write(fd, &cmd[i], 1) != 1)
			continue;
		sys_tiny_usleep(wait_us);
		ssize_t n = sys_tiny_read(fd, rx->buf, AT_BUF);
		if (n <= 0)
			continue;
		rx->len = n;
		rx->buf[n] = '\0';
		if (rx->buf[0] == cmd[i])
			continue;
		if (retries-- == 0)
			return -1;
		rx->len = 0;
		i = (size_t)-1;
	}
	rx->buf[rx->len] = '\0';
	return 0;
}

/* ---- answers ---- */

constexpr std::string_view AT_OK = "\r\nOK\r\n";

inline bool at_starts(std::string_view s, std::string_view head)
{
	return s.substr(0, head.size()) == head;
}

/* A first answer ends in OK; the answer to a write that follows it must
 * begin with OK (an error line before a final OK is a failure). */
inline bool at_answer_ok(std::string_view r, bool second)
{
	if (r.find(AT_OK) == r.npos)
		return false;
	if (second)
		return at_starts(r, AT_OK);
	return r.size() >= AT_OK.size() && r.substr(r.size() - AT_OK.size()) == AT_OK;
}

/* The first listed context starts at the answer's thirteenth character,
 * after "\r\n+CGDCONT: ".  It agrees when it matches `want` as far as
 * `want` goes (further fields of the modem's are not compared). */
inline bool at_context_agrees(std::string_view answer, std::string_view want)
{
	constexpr size_t from = 12;
	return answer.size() >= from && answer.substr(from, want.size()) == want;
}

/* Text up to the first carriage return (or the end). */
inline std::string_view at_to_cr(std::string_view s)
{
	return s.substr(0, s.find('\r'));
}

/* The value of the identity line "LABEL: VALUE"; empty when LABEL does not
 * occur or nothing follows it. */
inline std::string_view at_labelled(std::string_view answer, std::string_view label)
{
	size_t at = answer.find(label);
	if (at == answer.npos || at + label.size() + 2 > answer.size())
		return {};
	return at_to_cr(answer.substr(at + label.size() + 2));
}

/* The answer's first line, after the leading "\r\n". */
inline std::string_view at_first_line(std::string_view answer)
{
	return answer.size() < 2 ? std::string_view() : at_to_cr(answer.substr(2));
}

/* ---- bytes ---- */

/* The 16-bit frame check sequence of HDLC-like framing (CRC-16/X.25):
 * reflected polynomial 0x8408, preset and final complement 0xFFFF.  On the
 * wire low byte first. */
constexpr uint16_t at_fcs16(const uint8_t *p, size_t len)
{
	uint16_t fcs = 0xFFFF;
	while (len--) {
		fcs ^= *p++;
		for (int bit = 0; bit < 8; bit++)
			fcs = (fcs & 1) ? (fcs >> 1) ^ 0x8408 : fcs >> 1;
	}
	return fcs ^ 0xFFFF;
}

inline int at_hex_digit(char c)
{
	if (c >= '0' && c <= '9')
		return c - '0';
	c |= 0x20;
	return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

/* Hexadecimal text in pairs ("41540D") into bytes: the count, or -1 for an
 * odd count, a character that is no hexadecimal digit, or more than `cap`
 * bytes. */
inline long at_hex_bytes(std::string_view hex, uint8_t *out, size_t cap)
{
	if (hex.size() % 2 || hex.size() / 2 > cap)
		return -1;
	for (size_t i = 0; i < hex.size(); i += 2) {
		int hi = at_hex_digit(hex[i]), lo = at_hex_digit(hex[i + 1]);
		if (hi < 0 || lo < 0)
			return -1;
		out[i / 2] = (uint8_t)(hi << 4 | lo);
	}
	return (long)(hex.size() / 2);
}

#endif
