/*
 * The list commands of the set table: an add builds the new entry from
 * its values, a delete reads back the entry the store is to remove, a
 * delete-all needs nothing.  The host-name list keeps its entries in the
 * hosts file, so its count comes from there and its entry is a
 * cs_easydns_t.
 */
#include "cs.h"

#include <stdio.h>
#include <string.h>

#include "cs_int.h"
#include "easydns.h"

namespace {

enum ListCommand { LIST_ADD, LIST_DEL, LIST_DELALL, LIST_UNKNOWN };

/* The host-name fields as the add's trace names them. */
constexpr const char *HOST_FIELD_NAMES[] = {"ip", "hostname", "comment"};
constexpr unsigned HOST_NAME_FIELD = 1;
constexpr unsigned HOST_COMMENT_FIELD = 2;

bool is_hosts(const cs_list_t *l)
{
	return l->kind == CUI_SET_TYPE_TBL_EDNS;
}

/* Store lists' commands go by number; the host-name commands carry none
 * and go by name. */
ListCommand command_of(const cs_list_t *l, const cs_comm_c2m_t *rec)
{
	static constexpr const char *HOST_COMMANDS[] = {"EASYDNS_ADD", "EASYDNS_DEL", "EASYDNS_DELALL"};
	const uint32_t numbers[] = {l->add, l->del, l->delall};
	for (int c = LIST_ADD; c <= LIST_DELALL; c++)
		if (is_hosts(l) ? !strcmp(rec->name, HOST_COMMANDS[c]) : rec->number == numbers[c])
			return (ListCommand)c;
	return LIST_UNKNOWN;
}

bool store_get(const cui_soft_t *sc, uint32_t id, void *buf)
{
	/* CuiApmibGet() answers -1 for a set type it does not serve */
	return CuiApmibGet(sc->set_type, (int)id, buf) > 0;
}

bool read_count(const cui_soft_t *sc, const cs_list_t *l, uint32_t *count)
{
	if (is_hosts(l)) {
		int n = GetEasyDns(0, nullptr);
		*count = n > 0 ? (uint32_t)n : 0;
		return true;
	}
	uint32_t n = 0;
	if (!store_get(sc, l->count_number, &n))
		return false;
	*count = n;
	return true;
}

/* The low `width` bytes of v, most significant first. */
void put_be(uint8_t *p, unsigned width, uint32_t v)
{
	for (unsigned i = width; i-- > 0; v >>= 8)
		p[i] = (uint8_t)v;
}

/* Field i, as its kind converted it, into its place in the entry. */
void place_field(const cs_list_t *l, unsigned i, const uint8_t *value, uint8_t *entry)
{
	uint8_t *dst = entry + l->field_offset[i];
	unsigned width = l->field_width[i];
	uint32_t kind = l->fields[i].kind & CUI_SET_TYPE_MASK;
	if (width == 0) {
		memcpy(dst, value, strnlen((const char *)value, l->field_room[i] - 1u));
	} else if (kind == CUI_SET_TYPE_IPA || kind == CUI_SET_TYPE_MAC) {
		memcpy(dst, value, width);
	} else {
		uint32_t n;
		memcpy(&n, value, sizeof(n));
		put_be(dst, width, n);
	}
}

/* The failing field's position after the message: "(1)" to "(8)". */
int field_failed(cui_soft_t *sc, int code, unsigned position)
{
	size_t len = strnlen(sc->msg, sizeof(sc->msg));
	snprintf(sc->msg + len, sizeof(sc->msg) - len, "(%u)", position);
	return code;
}

/* The entry becomes one line "ADDRESS<TAB>HOST<TAB>COMMENT" of the hosts
 * file: a host name is needed, the comment must be a hosts-file comment,
 * and neither may hold the file's separators. */
int check_host_entry(cui_soft_t *sc, const cs_list_t *l, const uint8_t *entry)
{
	const char *host = (const char *)entry + l->field_offset[HOST_NAME_FIELD];
	const char *comment = (const char *)entry + l->field_offset[HOST_COMMENT_FIELD];
	if (!host[0] || strpbrk(host, "\t\n"))
		return field_failed(sc, cui_fail(sc, 8, "illegal value"), HOST_NAME_FIELD + 1);
	if (comment[0] != '#' || strpbrk(comment, "\t\n"))
		return field_failed(sc, cui_fail(sc, 8, "illegal value"), HOST_COMMENT_FIELD + 1);
	return 0;
}

int list_add(cui_soft_t *sc, int argc, char **argv, int index, const cs_list_t *l, uint8_t *entry)
{
	uint32_t count;
	if (!read_count(sc, l, &count))
		return cui_fail(sc, 11, "get MIB failed");
	if (count >= l->capacity)
		return cui_fail(sc, 9, "table entry full");
	if (argc - sc->n_arg < l->n_fields)
		return cui_fail(sc, 8, "shortarg of value");
	if (is_hosts(l))
		cui_trace("  param count = %u\n", (unsigned)(argc - sc->n_arg));
	memset(entry, 0, l->entry_size);
	for (unsigned i = 0; i < l->n_fields; i++) {
		if (is_hosts(l) && i < sizeof(HOST_FIELD_NAMES) / sizeof(HOST_FIELD_NAMES[0]))
			cui_trace("  %s:%s->", HOST_FIELD_NAMES[i], argv[sc->n_arg]);
		/* zeroed like the message buffer the whole value would be built in */
		uint8_t value[sizeof(cui_soft_t::msg)] = {};
		int result = CsCheckAndMakeData(sc, argc, argv, index, &l->fields[i], value);
		if (result)
			return field_failed(sc, result, i + 1);
		place_field(l, i, value, entry);
		if (i + 1 < l->n_fields)
			sc->n_arg++;
	}
	return is_hosts(l) ? check_host_entry(sc, l, entry) : 0;
}

int list_del(cui_soft_t *sc, int index, const cs_list_t *l, uint8_t *entry)
{
	uint32_t count;
	if (!read_count(sc, l, &count))
		return cui_fail(sc, 11, "get MIB failed");
	/* Entries count from 1.  Index 0 of the host-name list stands for
	 * every entry; of a store list it would name no entry at all. */
	bool below = is_hosts(l) ? index < 0 : index <= 0;
	if (below || (index > 0 && (uint32_t)index > count))
		return cui_fail(sc, 7, "illegal index");
	if (is_hosts(l))
		return 0;
	memset(entry, 0, l->entry_size);
	entry[0] = (uint8_t)index;
	if (!store_get(sc, l->read_number, entry))
		return cui_fail(sc, 11, "get MIB failed");
	return 0;
}

}  // namespace

int CsListCommand(cui_soft_t *sc, int argc, char **argv, int index, const cs_comm_c2m_t *rec,
		  void *out)
{
	const cs_list_t *l = CsFindListByKind(rec->kind);
	switch (l ? command_of(l, rec) : LIST_UNKNOWN) {
	case LIST_ADD:
		return list_add(sc, argc, argv, index, l, (uint8_t *)out);
	case LIST_DEL:
		return list_del(sc, index, l, (uint8_t *)out);
	case LIST_DELALL:
		return 0;	/* the store ignores the buffer */
	default:
		return cui_fail(sc, 6, "illegal name");
	}
}
