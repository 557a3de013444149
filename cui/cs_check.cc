/*
 * A set value checked against its parameter's record and turned into the
 * form the store takes.  The record's value kind picks the rule; the list
 * kinds are carried out in cs_list.cc.
 */
#include "cs.h"

#include <arpa/inet.h>
#include <ctype.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "cs_int.h"

namespace {

/* What the kind of one record does with the value operand V. */
typedef int scalar_fn(cui_soft_t *sc, const char *v, const cs_comm_c2m_t *rec, void *out);

struct KindEntry {
	uint16_t kind;
	const char *label;	/* in the trace */
	scalar_fn *make;	/* nullptr: a list command */
};

int illegal_value(cui_soft_t *sc)
{
	return cui_fail(sc, 8, "illegal value");
}

bool is_hex(char c)
{
	return isxdigit((unsigned char)c) != 0;
}

int hex_value(char c)
{
	return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

/* Two hex digits per byte, the first giving the high four bits. */
void hex_to_bytes(const char *digits, size_t n_bytes, uint8_t *out)
{
	for (size_t i = 0; i < n_bytes; i++)
		out[i] = (uint8_t)(hex_value(digits[2 * i]) << 4 | hex_value(digits[2 * i + 1]));
}

size_t count_hex(const char *v)
{
	size_t n = 0;
	for (; *v; v++)
		n += is_hex(*v);
	return n;
}

bool length_in(const cs_comm_c2m_t *rec, size_t len)
{
	return len >= rec->min && len <= rec->max;
}

int refuse_length(cui_soft_t *sc, const cs_comm_c2m_t *rec, uint32_t shown)
{
	cui_trace("invaid value length(%d:%d-%d).\n", (int)shown, (int)rec->min, (int)rec->max);
	return illegal_value(sc);
}

/* A dump line holds one value: text with a line feed cannot be written
 * back as one. */
int store_text(cui_soft_t *sc, const char *v, void *out)
{
	if (strchr(v, '\n'))
		return illegal_value(sc);
	memcpy(out, v, strlen(v));
	return 0;
}

int make_num(cui_soft_t *, const char *v, const cs_comm_c2m_t *rec, void *out)
{
	uint32_t n = cs_str_to_u32(v, nullptr);
	if (rec->minutes)
		n *= 60u;	/* minutes given, seconds kept */
	memcpy(out, &n, sizeof(n));
	return 0;
}

int make_str(cui_soft_t *sc, const char *v, const cs_comm_c2m_t *rec, void *out)
{
	size_t len = strlen(v);
	if (!length_in(rec, len))
		return refuse_length(sc, rec, (uint32_t)len);
	return store_text(sc, v, out);
}

int make_psk(cui_soft_t *sc, const char *v, const cs_comm_c2m_t *rec, void *out)
{
	if (strlen(v) != 64)
		return make_str(sc, v, rec, out);
	size_t n = count_hex(v);
	if (n != 64) {
		cui_trace(" hex_count %d\n", (int)n);
		cui_trace("invaid hex value.");
		return cui_fail(sc, 8, "illegal hex value");
	}
	return store_text(sc, v, out);
}

int make_str_num(cui_soft_t *sc, const char *v, const cs_comm_c2m_t *rec, void *out)
{
	const char *end;
	uint32_t n = cs_str_to_u32(v, &end);
	if (*end || n < rec->min || n > rec->max)
		return refuse_length(sc, rec, n);
	/* leading blanks may pad a number beyond any buffer */
	if (strlen(v) >= sizeof(cui_soft_t::msg))
		return illegal_value(sc);
	return store_text(sc, v, out);
}

int make_ipa(cui_soft_t *sc, const char *v, const cs_comm_c2m_t *, void *out)
{
	uint8_t addr[4];
	if (inet_pton(AF_INET, v, addr) != 1) {
		cui_trace("invalid ip address(%s).\n", v);
		return illegal_value(sc);
	}
	memcpy(out, addr, sizeof(addr));
	return 0;
}

int make_mac(cui_soft_t *sc, const char *v, const cs_comm_c2m_t *, void *out)
{
	if (strlen(v) != 12 || count_hex(v) != 12) {
		cui_trace("invalid mac address(%s).\n", v);
		return illegal_value(sc);
	}
	hex_to_bytes(v, 6, (uint8_t *)out);
	return 0;
}

bool hex_form(const cs_comm_c2m_t *rec, const char *v, size_t len)
{
	return len % 2 == 0 && len >= rec->hex_min && len <= rec->hex_max && len >= 2 &&
	       v[0] == '0' && (v[1] == 'x' || v[1] == 'X') && count_hex(v + 2) == len - 2;
}

int make_str_hex(cui_soft_t *sc, const char *v, const cs_comm_c2m_t *rec, void *out)
{
	size_t len = strlen(v);
	if (hex_form(rec, v, len)) {
		hex_to_bytes(v + 2, (len - 2) / 2, (uint8_t *)out);
		return 0;
	}
	if (len != 0 && !length_in(rec, len))
		return refuse_length(sc, rec, (uint32_t)len);
	/* the key's raw bytes: the dump shows them in hex, so anything goes */
	memcpy(out, v, len);
	return 0;
}

int make_other(cui_soft_t *sc, const char *v, const cs_comm_c2m_t *rec, void *out)
{
	cs_checker_t *check = cs_checker(rec);
	if (!check || check(v, out) != 0)
		return illegal_value(sc);
	return 0;
}

constexpr KindEntry KINDS[] = {
	{CUI_SET_TYPE_NUM, "CUI_SET_TYPE_NUM", make_num},
	{CUI_SET_TYPE_STR, "CUI_SET_TYPE_STR", make_str},
	{CUI_SET_TYPE_STR_NUM, "CUI_SET_TYPE_STR_NUM", make_str_num},
	{CUI_SET_TYPE_IPA, "CUI_SET_TYPE_IPA", make_ipa},
	{CUI_SET_TYPE_MAC, "CUI_SET_TYPE_MAC", make_mac},
	{CUI_SET_TYPE_STR_HEX, "CUI_SET_TYPE_STR_HEX", make_str_hex},
	{CUI_SET_TYPE_STR_PSK, "CUI_SET_TYPE_STR", make_psk},
	{CUI_SET_TYPE_TBL_MACAC, "CUI_SET_TYPE_TBL_MACAC", nullptr},
	{CUI_SET_TYPE_TBL_DHCPRSV, "CUI_SET_TYPE_TBL_DHCPRSV", nullptr},
	{CUI_SET_TYPE_TBL_STCRT, "CUI_SET_TYPE_TBL_STCRT", nullptr},
	{CUI_SET_TYPE_TBL_EDNS, "CUI_SET_TYPE_TBL_EDNS", nullptr},
	{CUI_SET_TYPE_TBL_PFL, "CUI_SET_TYPE_TBL_PFL", nullptr},
	{CUI_SET_TYPE_TBL_PFW, "CUI_SET_TYPE_TBL_PFW", nullptr},
	{CUI_SET_TYPE_TBL_QOS, "CUI_SET_TYPE_TBL_QOS", nullptr},
	{CUI_SET_TYPE_OTHER, "CUI_SET_TYPE_OTHER", make_other},
};

const KindEntry *find_kind(uint16_t kind)
{
	for (const KindEntry &k : KINDS)
		if (k.kind == kind)
			return &k;
	return nullptr;
}

}  // namespace

uint32_t cs_str_to_u32(const char *text, const char **end)
{
	const char *p = text;
	while (isspace((unsigned char)*p))
		p++;
	bool negative = *p == '-';
	char *stop;
	errno = 0;
	unsigned long long v = strtoull(text, &stop, 0);
	if (end)
		*end = stop;
	unsigned long long magnitude = negative ? 0ull - v : v;
	/* a 32-bit strtoul() stands at its maximum for any magnitude beyond it */
	if (errno == ERANGE || magnitude > 0xffffffffull)
		return 0xffffffffu;
	uint32_t m = (uint32_t)magnitude;
	return negative ? 0u - m : m;
}

bool cs_whole_u32(const char *text, uint32_t *value)
{
	const char *end;
	*value = cs_str_to_u32(text, &end);
	return *end == '\0';
}

int CsCheckAndMakeData(cui_soft_t *sc, int argc, char **argv, int index, const cs_comm_c2m_t *rec,
		       void *out)
{
	const KindEntry *k = rec ? find_kind(rec->kind) : nullptr;
	if (!k)
		return cui_fail(sc, 6, "illegal name");
	cui_trace("%s(%u) %s: ", cs_text(rec->name), rec->number, k->label);
	if (!k->make)
		return cs_list_command(sc, argc, argv, index, rec, out);
	if (sc->n_arg >= argc)
		return cui_fail(sc, 8, "shortarg of value");
	int result = k->make(sc, argv[sc->n_arg], rec, out);
	if (result == 0)
		cui_trace("\n");
	return result;
}
