/*
 * -g: one parameter, or a whole settings set in dump order.
 *
 * Every line is "NAME INDEX VALUE".  The dump is also the text form of
 * the settings that the text backup replays through `kp7cui -s`, so every
 * value is printed in a form the set command takes back, on one line:
 * texts stand in double quotes, with the escapes of dump_text.h.
 */
#include "cui.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "apmib.h"
#include "cs.h"
#include "dump_text.h"
#include "text.h"

namespace {

/* Trace labels by store type code (arrays, not pointers: no relocations). */
constexpr char TYPE_LABELS[][20] = {
	"BYTE_T", "WORD_T", "STRING_T", "BYTE5_T", "BYTE6_T", "BYTE13_T", "IA_T", "DWORD_T",
	"BYTE_ARRAY_T", "TABLE_LIST_T", "WLAC_ARRAY_T", "DHCPRSVDIP_ARRY_T", "PORTFW_ARRAY_T",
	"IPFILTER_ARRAY_T", "PORTFILTER_ARRAY_T", "MACFILTER_ARRAY_T", "URLFILTER_ARRAY_T",
	"TRIGGERPORT_ARRAY_T", "STATICROUTE_ARRAY_T", "WDS_ARRAY_T", "QOS_ARRAY_T",
	"MESH_ACL_ARRAY_T", "SCHEDULE_ARRAY_T", "VLANCONFIG_ARRAY_T",
};

/* The longest value: a host entry whose name and comment are escaped
 * bytes throughout, four characters each.  Longer than the message
 * buffer, so values are built in a buffer of their own. */
constexpr size_t VALUE_ROOM = 4 * CS_ENTRY_MAX + 32;

void put_escape(SysText &v, unsigned char c)
{
	v.put('\\');
	if (char letter = dump_escape_letter(c))
		v.put(letter);
	else
		v.put('x').hex(&c, 1);
}

/* "text", escaped as dump_text.h says; at most `max` bytes of s. */
void put_quoted(SysText &v, const char *s, size_t max)
{
	v.put('"');
	for (size_t n = strnlen(s, max); n;) {
		size_t plain = 0;
		while (plain < n && !dump_escaped((unsigned char)s[plain]))
			plain++;
		v.bytes(s, plain);
		if (plain == n)
			break;
		put_escape(v, (unsigned char)s[plain]);
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
		switch (list->fields[i].kind) {
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

/* Entry `index` of the list into `entry`, zeroed first; 0 or the error. */
int read_entry(cui_soft_t *sc, const cs_list_t *list, unsigned index, uint8_t *entry, SysText &v)
{
	if (index < 1 || index > list->capacity)
		return cui_fail(sc, 7, "illegal index\n");
	memset(entry, 0, list->entry_size);
	if (!list->ops->read(sc, list, index, entry))
		return cui_fail(sc, 11, "get MIB failed\n");
	put_entry(v, list, entry);
	return 0;
}

/* A row served by its list's operations rather than the store's types:
 * the list's count, or one of its entries. */
int get_from_list(cui_soft_t *sc, unsigned index, const cgc2m_t *rec, SysText &v)
{
	const cs_list_t *list = cs_find_list_by_row(rec);
	if (!list)
		return cui_fail(sc, 6, "illegal name\n");
	if (rec->name == list->count_name) {
		uint32_t count = 0;
		if (!list->ops->count(sc, list, &count))
			return cui_fail(sc, 11, "get MIB failed\n");
		v.unum(count);
		return 0;
	}
	uint8_t entry[CS_ENTRY_MAX];
	return read_entry(sc, list, index, entry, v);
}

int get_scalar(cui_soft_t *sc, uint32_t number, int type, SysText &v)
{
	uint32_t value = 0;
	if (CuiApmibGet(sc->set_type, number, &value) <= 0)
		return cui_fail(sc, 11, "get MIB failed\n");
	if (type == IA_T)
		put_address(v, reinterpret_cast<uint8_t *>(&value));
	else
		v.unum(value);
	return 0;
}

int get_string(cui_soft_t *sc, const cgc2m_t *rec, int type, int size, SysText &v)
{
	uint8_t *buf = static_cast<uint8_t *>(calloc((size_t)(size > 0 ? size : 0) + 1, 1));
	if (!buf)
		return cui_fail(sc, 20, "memory allocate failed\n");
	if (CuiApmibGet(sc->set_type, rec->number, buf) <= 0) {
		free(buf);
		return cui_fail(sc, 11, "get MIB failed\n");
	}
	const char *text = reinterpret_cast<const char *>(buf);
	if (type != STRING_T)
		v.hex(buf, (size_t)size);
	else if (rec->bare && plain_word(text))
		v.text(text);
	else
		put_quoted(v, text, (size_t)size);
	free(buf);
	return 0;
}

int get_list_entry(cui_soft_t *sc, unsigned index, uint32_t number, SysText &v)
{
	const cs_list_t *list = cs_find_list_by_read_number(number);
	if (!list)
		return cui_fail(sc, 11, "get MIB failed\n");
	uint8_t entry[CS_ENTRY_MAX];
	return read_entry(sc, list, index, entry, v);
}

/* Seconds kept, minutes shown: a whole-text number other than 0 is
 * divided by 60.  A 32-bit value past INT32_MAX is the negative number
 * the set command stored for a negative count of minutes. */
void apply_minutes(const cgc2m_t *rec, SysText &v)
{
	if (!rec->minutes)
		return;
	char *end;
	long long n = strtoll(v.buf, &end, 0);
	if (*end || end == v.buf || n == 0)
		return;
	int32_t seconds = n > (long long)UINT32_MAX ? INT32_MAX :
			  n < INT32_MIN ? INT32_MIN : (int32_t)(uint32_t)n;
	v = SysText(v.buf, v.size);
	v.num(seconds / 60);
}

/* The value of `rec` into `v`: 0, or the error with its message in sc->msg. */
int get_value(cui_soft_t *sc, uint8_t index, const cgc2m_t *rec, SysText &v)
{
	switch (rec->get_kind) {
	case CG_KIND_WLAN:
		if (index > 1)
			return cui_fail(sc, 7, "illegal index\n");
		vwlan_idx = index;
		break;
	case CG_KIND_EDNS:
		return get_from_list(sc, index, rec, v);
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
		return get_scalar(sc, rec->number, type, v);
	case STRING_T:
	case BYTE5_T:
	case BYTE6_T:
	case BYTE13_T:
		return get_string(sc, rec, type, size, v);
	case WLAC_ARRAY_T:
	case DHCPRSVDIP_ARRY_T:
	case PORTFW_ARRAY_T:
	case PORTFILTER_ARRAY_T:
	case STATICROUTE_ARRAY_T:
	case QOS_ARRAY_T:
		return get_list_entry(sc, index, rec->number, v);
	default:	/* kinds this tool does not show */
		return 0;
	}
}

}  // namespace

int cui_get_entry(cui_soft_t *sc, uint8_t index, const cgc2m_t *rec)
{
	/* only failures need the whole buffer cleared, and cui_fail() clears it */
	char value[VALUE_ROOM];
	SysText v(value);
	int result = get_value(sc, index, rec, v);
	if (result == 0)
		SysText(sc->msg).bytes(v.buf, v.len);
	return result;
}

namespace {

/* One value of the get or the dump, built in a buffer of its own. */
struct Value {
	char buf[VALUE_ROOM];
	SysText text{buf};
};

/* "NAME INDEX VALUE\n" in one write. */
void print_row(const cgc2m_t *rec, unsigned index, const SysText &value)
{
	char text[96 + VALUE_ROOM];
	SysText line(text);
	line.text(cs_text(rec->name));
	line.put(' ');
	line.unum(index);
	line.put(' ');
	line.bytes(value.buf, value.len);
	line.put('\n');
	fwrite(text, 1, line.len, stdout);
}

/* The entry rows of a list read in one pass; a list grown past its
 * capacity by other means stops the dump there. */
int dump_read_all(cui_soft_t *sc, const cgc2m_t *rec, const cs_list_t *list)
{
	uint8_t entries[CS_LIST_MAX_BYTES];
	unsigned count = list->ops->read_all(sc, list, entries, list->capacity);
	for (unsigned k = 1; k <= count; k++) {
		if (k > list->capacity)
			return cui_fail(sc, 7, "illegal index\n");
		Value v;
		put_entry(v.text, list, entries + (k - 1) * list->entry_size);
		print_row(rec, k, v.text);
	}
	return 0;
}

/* One row of the dump: its value, in minutes where it is kept in seconds. */
int dump_row(cui_soft_t *sc, const cgc2m_t *rec, unsigned index)
{
	Value v;
	int result = get_value(sc, (uint8_t)index, rec, v.text);
	if (result)
		return result;
	if (index == 0)
		apply_minutes(rec, v.text);
	print_row(rec, index, v.text);
	return 0;
}

/* The entry rows of a list in the dump: every entry, numbered from 1. */
int dump_list(cui_soft_t *sc, const cgc2m_t *rec, const cs_list_t *list)
{
	if (list->ops->read_all)
		return dump_read_all(sc, rec, list);
	uint32_t count = 0;
	if (!list->ops->count(sc, list, &count))
		return cui_fail(sc, 11, "get MIB failed\n");
	for (uint32_t k = 1; k <= count; k++) {
		Value v;
		int result = get_value(sc, (uint8_t)k, rec, v.text);
		if (result)
			return result;
		print_row(rec, k, v.text);
	}
	return 0;
}

/* The list whose entry rows `rec` names, or nullptr. */
const cs_list_t *entry_rows_of(const cgc2m_t *rec)
{
	const cs_list_t *list = cs_find_list_by_row(rec);
	return list && rec->name == list->name ? list : nullptr;
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
		const cs_list_t *list = entry_rows_of(rec);
		int result = list ? dump_list(sc, rec, list) : dump_row(sc, rec, 0);
		if (result)
			return result;
	}
	return 0;
}

}  // namespace

int cui_get(cui_soft_t *sc, int, char **argv)
{
	if (sc->flags & CUI_F_ALL)
		return dump_all(sc);

	const char *name = argv[sc->n_arg];
	int32_t index;
	if (!cui_parse_int(argv[sc->n_arg + 1], &index))
		return cui_fail(sc, 7, "illegal index\n");
	const cgc2m_t *rec = cs_find_get_name(name);
	if (!rec)
		return cui_fail(sc, 5, "illegal name\n");
	uint8_t index8 = (uint8_t)index;
	Value v;
	int result = get_value(sc, index8, rec, v.text);
	if (result)
		return result;
	apply_minutes(rec, v.text);
	printf("%s %d %s\n", name, index8, v.buf);
	return 0;
}
