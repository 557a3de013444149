/*
 * -g: one parameter, or a whole settings set in dump order.
 *
 * Every line is "NAME INDEX VALUE".  The dump is also the text form of
 * the settings that the text backup replays through `kp7cui -s`, so every
 * value is printed in a form the set command takes back: texts stand in
 * double quotes, with a '"' or '\' inside written as \" and \\.
 */
#include "cui.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "apmib.h"
#include "cs.h"
#include "easydns.h"
#include "text.h"

namespace {

/* Trace labels by store type code. */
constexpr const char *TYPE_LABELS[] = {
	"BYTE_T", "WORD_T", "STRING_T", "BYTE5_T", "BYTE6_T", "BYTE13_T", "IA_T", "DWORD_T",
	"BYTE_ARRAY_T", "TABLE_LIST_T", "WLAC_ARRAY_T", "DHCPRSVDIP_ARRY_T", "PORTFW_ARRAY_T",
	"IPFILTER_ARRAY_T", "PORTFILTER_ARRAY_T", "MACFILTER_ARRAY_T", "URLFILTER_ARRAY_T",
	"TRIGGERPORT_ARRAY_T", "STATICROUTE_ARRAY_T", "WDS_ARRAY_T", "QOS_ARRAY_T",
	"MESH_ACL_ARRAY_T", "SCHEDULE_ARRAY_T", "VLANCONFIG_ARRAY_T",
};

/* Text parameters printed without quotes: they hold numbers. */
constexpr uint32_t BARE_TEXT_PARAMS[] = {680, 1405, 1406, 1407, 16001};

/* Parameters the store keeps in seconds and the tool shows in minutes. */
constexpr uint32_t MINUTE_PARAMS[] = {108, 1406, 16001};

template <size_t N>
bool listed(const uint32_t (&list)[N], uint32_t number)
{
	for (uint32_t n : list)
		if (n == number)
			return true;
	return false;
}

/* "text" with '"' and '\' escaped; at most `max` characters of s. */
void put_quoted(SysText &v, const char *s, size_t max)
{
	v.put('"');
	for (size_t n = strnlen(s, max); n;) {
		size_t plain = 0;
		while (plain < n && s[plain] != '"' && s[plain] != '\\')
			plain++;
		if (plain == n) {
			v.bytes(s, n);
			break;
		}
		v.bytes(s, plain).put('\\').put(s[plain]);
		s += plain + 1;
		n -= plain + 1;
	}
	v.put('"');
}

void put_address(SysText &v, const uint8_t *a)
{
	for (int i = 0; i < 4; i++) {
		if (i)
			v.put('.');
		v.unum(a[i]);
	}
}

/* The value, built from the start of the message buffer. */
SysText value_text(cui_soft_t *sc)
{
	return SysText(sc->msg);
}

/* Bare only when the text cannot be mistaken for anything else. */
bool plain_word(const char *s)
{
	if (!*s)
		return false;
	for (; *s; s++)
		if (!strchr("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ+-", *s))
			return false;
	return true;
}

uint32_t be_number(const uint8_t *p, unsigned width)
{
	uint32_t v = 0;
	for (unsigned i = 0; i < width; i++)
		v = v << 8 | p[i];
	return v;
}

/* One list entry, its fields in add order, separated by blanks. */
void put_entry(SysText &v, const cs_list_t *list, const uint8_t *entry)
{
	for (unsigned i = 0; i < list->n_fields; i++) {
		const uint8_t *field = entry + list->field_offset[i];
		if (i)
			v.put(' ');
		switch (list->fields[i].kind & CUI_SET_TYPE_MASK) {
		case CUI_SET_TYPE_IPA:
			put_address(v, field);
			break;
		case CUI_SET_TYPE_MAC:
			v.hex(field, 6);
			break;
		case CUI_SET_TYPE_STR:
			put_quoted(v, reinterpret_cast<const char *>(field), list->field_room[i]);
			break;
		default:	/* numbers, one to four bytes */
			v.unum(be_number(field, list->field_width[i]));
			break;
		}
	}
}

void put_host_entry(cui_soft_t *sc, const cs_easydns_t &entry)
{
	SysText v = value_text(sc);
	put_entry(v, CsFindListByKind(CUI_SET_TYPE_TBL_EDNS), reinterpret_cast<const uint8_t *>(&entry));
}

int get_easydns(cui_soft_t *sc, unsigned index, const cgc2m_t *rec)
{
	if (!strcmp(rec->name, "EASYDNS_NUM")) {
		int count = GetEasyDns(0, nullptr);
		value_text(sc).unum((uint32_t)count);
		return 0;
	}
	if (strcmp(rec->name, "EASYDNS") != 0)
		return cui_fail(sc, 6, "illegal name\n");
	if (index < 1 || index > EASYDNS_MAX_ENTRIES)
		return cui_fail(sc, 7, "illegal index\n");
	cs_easydns_t entry;
	memset(&entry, 0, sizeof(entry));
	if (!GetEasyDns((int)index, &entry))
		return cui_fail(sc, 11, "get MIB failed\n");
	put_host_entry(sc, entry);
	return 0;
}

int get_scalar(cui_soft_t *sc, uint32_t number, int type)
{
	uint32_t value = 0;
	if (CuiApmibGet(sc->set_type, number, &value) <= 0)
		return cui_fail(sc, 11, "get MIB failed\n");
	SysText v = value_text(sc);
	if (type == IA_T)
		put_address(v, reinterpret_cast<uint8_t *>(&value));
	else
		v.unum(value);
	return 0;
}

int get_string(cui_soft_t *sc, uint32_t number, int type, int size)
{
	uint8_t *buf = static_cast<uint8_t *>(calloc((size_t)(size > 0 ? size : 0) + 1, 1));
	if (!buf)
		return cui_fail(sc, 20, "memory allocate failed\n");
	if (CuiApmibGet(sc->set_type, number, buf) <= 0) {
		free(buf);
		return cui_fail(sc, 11, "get MIB failed\n");
	}
	SysText v = value_text(sc);
	const char *text = reinterpret_cast<const char *>(buf);
	if (type != STRING_T)
		v.hex(buf, (size_t)size);
	else if (listed(BARE_TEXT_PARAMS, number) && plain_word(text))
		v.text(text);
	else
		put_quoted(v, text, (size_t)size);
	free(buf);
	return 0;
}

int get_list_entry(cui_soft_t *sc, unsigned index, uint32_t number)
{
	const cs_list_t *list = CsFindListByReadNumber(number);
	if (!list)
		return cui_fail(sc, 11, "get MIB failed\n");
	if (index < 1 || index > list->capacity)
		return cui_fail(sc, 7, "illegal index\n");
	uint8_t entry[64];
	memset(entry, 0, sizeof(entry));
	entry[0] = (uint8_t)index;
	if (CuiApmibGet(sc->set_type, number, entry) <= 0)
		return cui_fail(sc, 11, "get MIB failed\n");
	SysText v = value_text(sc);
	put_entry(v, list, entry);
	return 0;
}

/* Seconds kept, minutes shown: a whole-text number other than 0 is
 * divided by 60.  A 32-bit value past INT32_MAX is the negative number
 * the set command stored for a negative count of minutes. */
void apply_minutes(cui_soft_t *sc, uint32_t number)
{
	if (!listed(MINUTE_PARAMS, number))
		return;
	char *end;
	long long v = strtoll(sc->msg, &end, 0);
	if (*end || end == sc->msg || v == 0)
		return;
	int32_t seconds = v > (long long)UINT32_MAX ? INT32_MAX :
			  v < INT32_MIN ? INT32_MIN : (int32_t)(uint32_t)v;
	memset(sc->msg, 0, sizeof(sc->msg));
	value_text(sc).num(seconds / 60);
}

}  // namespace

int cui_get_entry(cui_soft_t *sc, uint8_t index, const cgc2m_t *rec)
{
	/* The value is text, built from the start; only failures need the
	 * whole buffer cleared, and cui_fail() clears it. */
	sc->msg[0] = '\0';
	switch (rec->get_kind) {
	case CG_KIND_WLAN:
		if (index > 1)
			return cui_fail(sc, 7, "illegal index\n");
		vwlan_idx = index;
		break;
	case CG_KIND_EDNS:
		return get_easydns(sc, index, rec);
	default:
		vwlan_idx = 0;
		break;
	}

	int type, size;
	if (get_mibtype(rec->number, &type, &size) != 0)
		return cui_fail(sc, 12, "get MIB type failed\n");
	if (type >= 0 && (size_t)type < sizeof(TYPE_LABELS) / sizeof(TYPE_LABELS[0]))
		cui_trace("%s(%d) ", TYPE_LABELS[type], size);
	else
		cui_trace("other type(%d)", size);

	switch (type) {
	case BYTE_T:
	case WORD_T:
	case DWORD_T:
	case IA_T:
		return get_scalar(sc, rec->number, type);
	case STRING_T:
	case BYTE5_T:
	case BYTE6_T:
	case BYTE13_T:
		return get_string(sc, rec->number, type, size);
	case WLAC_ARRAY_T:
	case DHCPRSVDIP_ARRY_T:
	case PORTFW_ARRAY_T:
	case PORTFILTER_ARRAY_T:
	case STATICROUTE_ARRAY_T:
	case QOS_ARRAY_T:
		return get_list_entry(sc, index, rec->number);
	default:	/* kinds this tool does not show */
		return 0;
	}
}

namespace {

/* "NAME INDEX VALUE\n" with the value in sc->msg. */
void print_row(const cui_soft_t *sc, const char *name, unsigned index)
{
	char text[96 + sizeof(sc->msg)];
	SysText line(text);
	line.text(name);
	line.put(' ');
	line.unum(index);
	line.put(' ');
	line.text(sc->msg);
	line.put('\n');
	fwrite(text, 1, line.len, stdout);
}

/* The host-name rows of the dump, read in one pass over the hosts file;
 * a table grown past its limit by other means stops the dump there. */
int dump_easydns(cui_soft_t *sc, const cgc2m_t *rec)
{
	cs_easydns_t entries[EASYDNS_MAX_ENTRIES];
	int count = GetEasyDnsList(entries, EASYDNS_MAX_ENTRIES);
	for (int k = 1; k <= count; k++) {
		if (k > EASYDNS_MAX_ENTRIES)
			return cui_fail(sc, 7, "illegal index\n");
		put_host_entry(sc, entries[k - 1]);
		print_row(sc, rec->name, (unsigned)k);
	}
	return 0;
}

/* A list row of the dump: every entry, numbered from 1. */
int dump_list(cui_soft_t *sc, const cgc2m_t *rec)
{
	if (rec->get_kind == CG_KIND_EDNS)
		return dump_easydns(sc, rec);
	const cs_list_t *list = CsFindListByReadNumber(rec->number);
	uint32_t count = 0;
	if (CuiApmibGet(sc->set_type, list->count_number, &count) <= 0)
		return cui_fail(sc, 11, "get MIB failed\n");
	for (uint32_t k = 1; k <= count; k++) {
		int result = cui_get_entry(sc, (uint8_t)k, rec);
		if (result)
			return result;
		print_row(sc, rec->name, k);
	}
	return 0;
}

bool is_list_row(const cgc2m_t *rec)
{
	return !strcmp(rec->name, "EASYDNS") || CsFindListByReadNumber(rec->number);
}

int dump_row(cui_soft_t *sc, const cgc2m_t *rec, unsigned index)
{
	int result = cui_get_entry(sc, (uint8_t)index, rec);
	if (result)
		return result;
	if (index == 0)
		apply_minutes(sc, rec->number);
	print_row(sc, rec->name, index);
	return 0;
}

/*
 * The whole set in get-table order.  The per-network rows are printed
 * for network 0 where they stand and again for network 1 right after
 * their run ends.
 */
int dump_all(cui_soft_t *sc)
{
	int run = -1;	/* first record of the pending per-network run */
	for (int i = 0; i < CGC2M_COUNT; i++) {
		const cgc2m_t *rec = &CGC2M[i];
		if (rec->get_kind == CG_KIND_WLAN && run < 0)
			run = i;
		if (rec->get_kind == CG_KIND_PLAIN && run >= 0) {
			for (int j = run; j < i; j++) {
				if (CGC2M[j].get_kind != CG_KIND_WLAN)
					continue;
				int result = dump_row(sc, &CGC2M[j], 1);
				if (result)
					return result;
			}
			run = -1;
		}
		int result = is_list_row(rec) ? dump_list(sc, rec) : dump_row(sc, rec, 0);
		if (result)
			return result;
	}
	return 0;
}

}  // namespace

int cui_get(cui_soft_t *sc, int argc, char **argv)
{
	bool all = sc->flags & CUI_F_ALL;
	if (!all && argc - sc->n_arg < 2)
		return cui_fail(sc, 7, "illegal index\n");
	if (sc->debug_level >= CUI_DL_TRACE) {
		printf("%s getall %d\n", "cui_get", all ? 1 : 0);
		cui_trace_operands(sc, argc, argv);
	}
	if (all)
		return dump_all(sc);

	const char *name = argv[sc->n_arg];
	int32_t index;
	if (!cui_parse_int(argv[sc->n_arg + 1], &index))
		return cui_fail(sc, 7, "illegal index\n");
	const cgc2m_t *rec = CsFindGetName(name);
	if (!rec)
		return cui_fail(sc, 5, "illegal name\n");
	uint8_t index8 = (uint8_t)index;
	int result = cui_get_entry(sc, index8, rec);
	if (result)
		return result;
	apply_minutes(sc, rec->number);
	printf("%s %d %s\n", name, index8, sc->msg);
	return 0;
}
