/*
 * text.h - bounded text in a caller's buffer: command lines for the shell
 * and values for output, built piece by piece.
 *
 * The buffer always holds a terminated text.  What does not fit is cut
 * off and the text is marked full: a command line that is full must never
 * be run (check ok() first), a value that is full is shown as far as it
 * went.
 *
 * Shell quoting is written here and nowhere else.  Our own text goes in
 * as it stands (text, num); a value from outside (a URL, a setting, a
 * file name) goes in through word(), as exactly one word that the shell
 * takes literally, so that it can never become a command of its own.
 * Callers that quote text of a format of their own build on bare() and
 * escaped().
 */
#ifndef KP7_SYS_TEXT_H
#define KP7_SYS_TEXT_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

/* Characters every shell takes literally anywhere in a word:
 * [0-9A-Za-z] and _ - . / : = @ % + , */
bool sys_shell_plain(char c);

struct SysText {
	char *buf;
	size_t size;	/* of buf, the terminator included */
	size_t len;	/* characters in buf */
	bool full;	/* something did not fit */

	/* Starts an empty text in `b`; a buffer of 0 bytes is full at once. */
	SysText(char *b, size_t n) : buf(b), size(n), len(0), full(n == 0)
	{
		if (n)
			buf[0] = '\0';
	}
	template <size_t N> explicit SysText(char (&b)[N]) : SysText(b, N) {}

	bool ok() const { return !full; }
	const char *c_str() const { return buf; }

	/* A dump puts thousands of characters one at a time. */
	__attribute__((always_inline)) SysText &put(char c)
	{
		if (len + 1 < size) {
			buf[len++] = c;
			buf[len] = '\0';
		} else {
			full = true;
		}
		return *this;
	}
	/* Inline, as put(): a dump makes a few calls for each of its rows. */
	SysText &bytes(const char *s, size_t n)
	{
		if (len + n >= size) {
			full = true;
			if (!size)
				return *this;
			n = size - 1 - len;
		}
		memcpy(buf + len, s, n);
		len += n;
		buf[len] = '\0';
		return *this;
	}
	SysText &text(const char *s) { return bytes(s, strlen(s)); }
	SysText &unum(unsigned long n)	/* decimal */
	{
		char digits[3 * sizeof(n)];
		char *p = digits + sizeof(digits);
		do
			*--p = (char)('0' + n % 10);
		while (n /= 10);
		return bytes(p, (size_t)(digits + sizeof(digits) - p));
	}
	SysText &num(long n)	/* decimal */
	{
		if (n < 0)
			put('-');
		return unum(n < 0 ? 0ul - (unsigned long)n : (unsigned long)n);
	}
	SysText &hex(const uint8_t *b, size_t n);	/* two lower-case digits a byte */

	/* `s` as one shell word: bare when every character is plain and
	 * there is one, else in single quotes ('it'\''s' for it's). */
	SysText &word(const char *s);
	/* One character the shell takes literally: a backslash before it. */
	SysText &escaped(char c) { return put('\\').put(c); }
	/* One character as itself: bare when plain, else escaped. */
	SysText &bare(char c) { return sys_shell_plain(c) ? put(c) : escaped(c); }
};

#endif
