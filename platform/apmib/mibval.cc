/* Parameter values to and from text. */
#include "mibval.h"

#include <arpa/inet.h>
#include <errno.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "apmib.h"

namespace {

int hex_digit(char c)
{
	if (c >= '0' && c <= '9')
		return c - '0';
	if (c >= 'a' && c <= 'f')
		return c - 'a' + 10;
	if (c >= 'A' && c <= 'F')
		return c - 'A' + 10;
	return -1;
}

int parse_number(const MibRec *rec, const char *text, void *buf)
{
	if (!*text || *text == '-' || *text == '+' || *text == ' ')
		return -1;
	char *end;
	errno = 0;
	unsigned long v = strtoul(text, &end, 0);
	uint64_t max = rec->size >= 4 ? 0xffffffffu : (1u << (8 * rec->size)) - 1;
	if (errno || *end || v > max)
		return -1;
	uint32_t v32 = (uint32_t)v;
	memcpy(buf, &v32, sizeof(v32));
	return 0;
}

int parse_bytes(const MibRec *rec, const char *text, void *buf)
{
	if (strlen(text) != 2u * rec->size)
		return -1;
	unsigned char *out = (unsigned char *)buf;
	for (unsigned i = 0; i < rec->size; i++) {
		int hi = hex_digit(text[2 * i]), lo = hex_digit(text[2 * i + 1]);
		if (hi < 0 || lo < 0)
			return -1;
		out[i] = (unsigned char)(hi << 4 | lo);
	}
	return 0;
}

}  // namespace

int mib_text_to_api(const MibRec *rec, const char *text, void *buf)
{
	switch (rec->type) {
	case BYTE_T:
	case WORD_T:
	case DWORD_T:
		return parse_number(rec, text, buf);
	case STRING_T:
		if (strlen(text) >= rec->size)
			return -1;
		memset(buf, 0, rec->size);
		memcpy(buf, text, strlen(text));
		return 0;
	case IA_T:
		return inet_pton(AF_INET, text, buf) == 1 ? 0 : -1;
	case BYTE5_T:
	case BYTE6_T:
	case BYTE13_T:
		return parse_bytes(rec, text, buf);
	default:
		return -1;
	}
}

int mib_api_to_text(const MibRec *rec, const void *buf, char *out, size_t len)
{
	const unsigned char *p = (const unsigned char *)buf;
	uint32_t v;
	switch (rec->type) {
	case BYTE_T:
	case WORD_T:
	case DWORD_T:
		memcpy(&v, buf, sizeof(v));
		snprintf(out, len, "%u", v);
		return 0;
	case STRING_T:
		snprintf(out, len, "%.*s", (int)strnlen((const char *)buf, rec->size), (const char *)buf);
		return 0;
	case IA_T:
		snprintf(out, len, "%u.%u.%u.%u", p[0], p[1], p[2], p[3]);
		return 0;
	case BYTE5_T:
	case BYTE6_T:
	case BYTE13_T:
		if (len < 2u * rec->size + 1)
			return -1;
		for (unsigned i = 0; i < rec->size; i++)
			snprintf(out + 2 * i, 3, "%02x", p[i]);
		return 0;
	default:
		return -1;
	}
}
