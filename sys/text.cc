/* Bounded text and the shell's quoting. */
#include "text.h"

#include <string.h>

bool sys_shell_plain(char c)
{
	return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
	       (c && strchr("_-./:=@%+,", c) != nullptr);
}

SysText &SysText::bytes(const char *s, size_t n)
{
	size_t room = size ? size - 1 - len : 0;
	if (n > room) {
		n = room;
		full = true;
	}
	if (!n)
		return *this;
	memcpy(buf + len, s, n);
	len += n;
	buf[len] = '\0';
	return *this;
}

SysText &SysText::text(const char *s)
{
	return bytes(s, strlen(s));
}

SysText &SysText::unum(unsigned long n)
{
	char digits[3 * sizeof(n)];
	char *p = digits + sizeof(digits);
	do
		*--p = (char)('0' + n % 10);
	while (n /= 10);
	return bytes(p, (size_t)(digits + sizeof(digits) - p));
}

SysText &SysText::num(long n)
{
	if (n < 0)
		put('-');
	return unum(n < 0 ? 0ul - (unsigned long)n : (unsigned long)n);
}

SysText &SysText::hex(const uint8_t *b, size_t n)
{
	static const char HEX[] = "0123456789abcdef";
	for (size_t i = 0; i < n; i++)
		put(HEX[b[i] >> 4]).put(HEX[b[i] & 15]);
	return *this;
}

SysText &SysText::word(const char *s)
{
	size_t n = strlen(s);
	bool plain = n > 0;
	for (size_t i = 0; plain && i < n; i++)
		plain = sys_shell_plain(s[i]);
	if (plain)
		return bytes(s, n);
	put('\'');
	for (; *s; s++) {
		if (*s == '\'')
			text("'\\''");
		else
			put(*s);
	}
	return put('\'');
}
