/*
 * The text restore's line work: a saved dump line split into NAME and its
 * value text, and turned into the set command that replays it, quoted so
 * that the shell hands kp7cui exactly the words of the line and runs
 * nothing else.
 */
#include "textconf.h"

#include <stdio.h>
#include <string.h>

#include "cs.h"
#include "dump_text.h"
#include "text.h"

namespace {

bool is_blank(char c)
{
	return c == ' ' || c == '\t';
}

/* A NAME: one word whatever it holds. */
void put_name(SysText &t, const char *name)
{
	for (; *name; name++)
		t.bare(*name);
}

/* One byte of a quoted string, as the shell's double quotes take it
 * literally: `"`, `\`, `$` and backquote get a backslash. */
void put_quoted_byte(SysText &t, char c)
{
	if (c == '"' || c == '\\' || c == '$' || c == '`')
		t.escaped(c);
	else
		t.put(c);
}

/*
 * A value text: the dump's quoted strings stay strings, their escapes
 * (dump_text.h) turned back into the bytes, with `$` and backquote made
 * plain; everything else outside them stays one literal character; blanks
 * still separate the words.  False when a string holds a line feed: no
 * set command takes one, and none is ever handed to the shell.
 */
bool put_value(SysText &t, const char *v)
{
	size_t n = strlen(v);
	bool final_lf = n > 0 && v[n - 1] == '\n';
	if (final_lf)
		n--;
	bool quoted = false;
	for (size_t i = 0; i < n; i++) {
		char c = v[i];
		if (!quoted) {
			if (c == '"') {
				quoted = true;
				t.put(c);
			} else if (c == ' ') {
				t.put(c);
			} else {
				t.bare(c);
			}
		} else if (c == '\\') {
			/* any other backslash is itself */
			unsigned char byte = '\\';
			i += dump_unescape(v + i + 1, n - i - 1, &byte);
			if (byte == '\n')
				return false;
			put_quoted_byte(t, (char)byte);
		} else if (c == '"') {
			quoted = false;
			t.put(c);
		} else {
			put_quoted_byte(t, c);
		}
	}
	if (quoted)
		t.put('"');
	if (final_lf)
		t.put('\n');
	return true;
}

}  // namespace

int cui_text_split(char *line, char **name, char **value)
{
	char *p = line;
	while (is_blank(*p) || *p == '\n')
		p++;
	*name = p;
	while (*p && !is_blank(*p) && *p != '\n')
		p++;
	if (p == *name) {
		*value = p;
		return -1;
	}
	if (*p)
		*p++ = '\0';
	while (is_blank(*p))
		p++;
	*value = p;
	return *p ? 0 : -1;
}

int cui_text_set_command(char *out, size_t size, char letter, const char *name, const char *value)
{
	SysText t(out, size);
	t.text("kp7cui -s -t ").put(letter).put(' ');
	put_name(t, name);
	t.put(' ');
	if (!put_value(t, value))
		return TEXTCONF_LINE_FEED;
	return t.ok() ? (int)t.len : -1;
}

int cui_text_hex_value(const char *value, char *out)
{
	char copy[TEXTCONF_LINE_MAX + 2], *save;
	snprintf(copy, sizeof(copy), "%s", value);
	const char *index = strtok_r(copy, " \t\n", &save);
	const char *digits = index ? strtok_r(nullptr, " \t\n", &save) : nullptr;
	if (!digits)
		return -1;
	snprintf(out, TEXTCONF_VALUE_MAX, "%s 0x%s", index, digits);
	return 0;
}

int cui_text_zone_value(const char *value, char *out)
{
	char copy[TEXTCONF_LINE_MAX + 2], *save;
	snprintf(copy, sizeof(copy), "%s", value);
	const char *index = strtok_r(copy, " \t\n\"", &save);
	const char *zone = index ? strtok_r(nullptr, "\"\n", &save) : nullptr;
	if (!zone)
		return -1;
	int number = CsChkTimeZoneFromVal(zone);
	if (number >= 0)
		snprintf(out, TEXTCONF_VALUE_MAX, "%s %d", index, number);
	else
		snprintf(out, TEXTCONF_VALUE_MAX, "%s", index);	/* the set that follows fails */
	return 0;
}
