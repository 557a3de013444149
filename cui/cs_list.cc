/*
 * The list commands of the set table: an add builds the new entry from
 * its values, a delete checks the index (and, where the list wants it,
 * reads back the entry to remove), a delete-all needs nothing.  Where the
 * list keeps its entries is its operations' business (cs_list_ops_t).
 */
#include "cs.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "cs_int.h"

namespace {

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
	uint16_t kind = l->fields[i].kind;
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

bool read_count(cui_soft_t *sc, const cs_list_t *l, uint32_t *count)
{
	if (l->ops->count(sc, l, count))
		return true;
	cui_fail(sc, 11, "get MIB failed");
	return false;
}

int list_add(cui_soft_t *sc, int argc, char **argv, int index, const cs_list_t *l, uint8_t *entry)
{
	uint32_t count;
	if (!read_count(sc, l, &count))
		return 11;
	if (count >= l->capacity)
		return cui_fail(sc, 9, "table entry full");
	if (argc - sc->n_arg < l->n_fields)
		return cui_fail(sc, 8, "shortarg of value");
	const char *const *trace = l->ops->add_trace;
	bool replay = cs_replaying();
	if (trace)
		cui_trace("  param count = %u\n", (unsigned)(argc - sc->n_arg));
	memset(entry, 0, l->entry_size);
	for (unsigned i = 0; i < l->n_fields; i++) {
		if (trace)
			cui_trace("  %s:%s->", trace[i], argv[sc->n_arg]);
		/* zeroed like the message buffer the whole value would be built in */
		uint8_t value[sizeof(cui_soft_t::msg)] = {};
		cs_comm_c2m_t field = l->fields[i];
		/* a replay takes back any text the entry held */
		if (replay && l->field_width[i] == 0)
			field.max = (uint16_t)(l->field_room[i] - 1u);
		int result = CsCheckAndMakeData(sc, argc, argv, index, &field, value);
		if (result)
			return field_failed(sc, result, i + 1);
		place_field(l, i, value, entry);
		if (i + 1 < l->n_fields)
			sc->n_arg++;
	}
	unsigned refused = l->ops->check_add ? l->ops->check_add(l, entry, replay) : 0;
	return refused ? field_failed(sc, cui_fail(sc, 8, "illegal value"), refused) : 0;
}

int list_del(cui_soft_t *sc, int index, const cs_list_t *l, uint8_t *entry)
{
	uint32_t count;
	if (!read_count(sc, l, &count))
		return 11;
	/* Entries count from 1; entry 0 is every entry where the list says
	 * so, and no entry at all elsewhere. */
	int lowest = l->ops->zero_deletes_all ? 0 : 1;
	if (index < lowest || (index > 0 && (uint32_t)index > count))
		return cui_fail(sc, 7, "illegal index");
	if (!l->ops->delete_by_entry)
		return 0;
	memset(entry, 0, l->entry_size);
	if (!l->ops->read(sc, l, (unsigned)index, entry))
		return cui_fail(sc, 11, "get MIB failed");
	return 0;
}

}  // namespace

bool cs_replaying(void)
{
	return getenv(CS_REPLAY_ENV) != nullptr;
}

int cs_list_command(cui_soft_t *sc, int argc, char **argv, int index, const cs_comm_c2m_t *rec,
		    void *out)
{
	const cs_list_t *l = cs_find_list_by_kind(rec->kind);
	switch (l ? cs_list_command_of(l, rec) : -1) {
	case CS_LIST_ADD:
		return list_add(sc, argc, argv, index, l, (uint8_t *)out);
	case CS_LIST_DEL:
		return list_del(sc, index, l, (uint8_t *)out);
	case CS_LIST_DELALL:
		return 0;	/* nothing to check; the buffer stays zero */
	default:
		return cui_fail(sc, 6, "illegal name");
	}
}
