/* Bounded text and the shell's quoting. */
#include "text.h"

#include <string.h>

bool sys_shell_plain(char c)
{
	return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
	       (c && strchr("_-./:=@%+,", c) != nullptr);
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
