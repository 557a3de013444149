/* Command lines for the shell, with outside values quoted. */
#include "utl_int.h"

#include <string.h>

namespace {

/* Characters the shell takes literally anywhere in a word. */
bool plain(char c)
{
	return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
	       strchr("_-./:=@%+,", c) != nullptr;
}

bool needs_quotes(const char *s)
{
	if (!*s)
		return true;
	for (; *s; s++)
		if (!plain(*s))
			return true;
	return false;
}

}  // namespace

UtlCmd::UtlCmd(char *b, size_t n) : buf(b), size(n), len(0), full(n == 0)
{
	if (n)
		buf[0] = '\0';
}

UtlCmd &UtlCmd::text(const char *s)
{
	size_t n = strlen(s);
	if (full || len + n >= size) {
		full = true;
		return *this;
	}
	memcpy(buf + len, s, n + 1);
	len += n;
	return *this;
}

/* 'it'\''s' for it's: a quote inside ends the quoted part, adds an
 * escaped quote and starts a new one. */
UtlCmd &UtlCmd::word(const char *s)
{
	if (!needs_quotes(s))
		return text(s);
	text("'");
	for (const char *p = s; *p && !full; p++) {
		if (*p == '\'') {
			text("'\\''");
			continue;
		}
		char one[2] = {*p, '\0'};
		text(one);
	}
	return text("'");
}

UtlCmd &UtlCmd::num(long n)
{
	char digits[24];
	snprintf(digits, sizeof(digits), "%ld", n);
	return text(digits);
}
