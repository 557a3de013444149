/*
 * dump_text.h - the escapes of a text value in the dump.
 *
 * A dump line is one parameter and the text backup replays it line by
 * line, so a text value must never hold the line's end, nor a quote that
 * would end it early.  Inside its double quotes a text is written byte for
 * byte except:
 *
 *   "  \"        LF  \n        any other byte below 0x20 but TAB,
 *   \  \\        CR  \r        and 0x7f: \xHH (two lower-case hex digits)
 *
 * A TAB stands as it is, like the bytes from 0x80 on (UTF-8 text stays
 * readable): neither ends a line, and dumps have always held them so.
 * The get prints with these, the text restore reads them back
 * (cui_get.cc, textconf_line.cc).
 */
#ifndef KP7_DUMP_TEXT_H
#define KP7_DUMP_TEXT_H

#include <stddef.h>

/* The escapes written as a backslash and one letter: byte, letter. */
constexpr char DUMP_LETTER_ESCAPES[][2] = {
	{'"', '"'}, {'\\', '\\'}, {'\n', 'n'}, {'\r', 'r'},
};

/* A byte that a quoted dump text never holds as itself. */
constexpr bool dump_escaped(unsigned char c)
{
	return (c < 0x20 && c != '\t') || c == 0x7f || c == '"' || c == '\\';
}

/* The letter of c's one-letter escape, or 0 when c is written \xHH. */
constexpr char dump_escape_letter(unsigned char c)
{
	for (const auto &e : DUMP_LETTER_ESCAPES)
		if ((unsigned char)e[0] == c)
			return e[1];
	return 0;
}

constexpr int dump_hex_digit(char c)
{
	return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 :
	       c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

/*
 * The escape after a backslash: `p` holds the `n` characters that follow
 * it.  Returns how many of them the escape takes (1, or 3 for \xHH) and
 * its byte in *byte; 0 when they are no escape of the dump (a NUL is
 * none: a text ends there), and the backslash is then a byte of its own.
 */
constexpr size_t dump_unescape(const char *p, size_t n, unsigned char *byte)
{
	if (n == 0)
		return 0;
	for (const auto &e : DUMP_LETTER_ESCAPES) {
		if (e[1] == p[0]) {
			*byte = (unsigned char)e[0];
			return 1;
		}
	}
	if (p[0] != 'x' || n < 3)
		return 0;
	int hi = dump_hex_digit(p[1]), lo = dump_hex_digit(p[2]);
	if (hi < 0 || lo < 0 || (hi | lo) == 0)
		return 0;
	*byte = (unsigned char)(hi << 4 | lo);
	return 3;
}

#endif
