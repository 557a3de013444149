/*
 * cs_rows.h - the parameter tables as cs_tables.cc writes them, and their
 * packing into the records of cs.h.
 *
 * Rows name their texts and are checked while they are compiled (a name
 * of at most 63 characters, numbers that fit their fields, the tables'
 * sizes); the packers turn them into the read-only records, every text an
 * offset into one pool (cs_pool.h).  Nothing here exists at run time.
 * Only cs_tables.cc includes this.
 */
#ifndef KP7_CS_ROWS_H
#define KP7_CS_ROWS_H

#include <stddef.h>
#include <stdint.h>

#include <array>

#include "cs.h"
#include "cs_pool.h"

namespace cs_rows {

using cs_pool::table_error;

constexpr size_t NAME_MAX_CHARS = 63;	/* a name fits 64 characters with its NUL */

/* Row flags: per wireless network; given or shown in minutes, kept in
 * seconds; a number kept as text, printed bare. */
constexpr uint8_t W = 1, M = 2, B = 4;

/* A set-table or field-table row. */
struct SetRow {
	const char *name;
	uint32_t number;
	uint16_t kind;
	uint32_t min, max, hex_min, hex_max;
	uint8_t checker;
	uint8_t flags;
	uint8_t restore;
};

template <size_t N>
constexpr SetRow rec(const char (&name)[N], uint32_t number, uint16_t kind, uint8_t flags,
		     uint32_t min = 0, uint32_t max = 0, uint32_t hex_min = 0, uint32_t hex_max = 0,
		     uint8_t checker = CS_CHK_NONE, uint8_t restore = CS_RESTORE_AS_IS)
{
	static_assert(N - 1 <= NAME_MAX_CHARS, "name too long");
	return SetRow{name, number, kind, min, max, hex_min, hex_max, checker, flags, restore};
}

template <size_t N>
constexpr SetRow num(const char (&name)[N], uint32_t number, uint8_t flags = 0)
{
	return rec(name, number, CUI_SET_TYPE_NUM, flags);
}

/* min..max: allowed length */
template <size_t N>
constexpr SetRow str(const char (&name)[N], uint32_t number, uint32_t min, uint32_t max,
		     uint8_t flags = 0)
{
	return rec(name, number, CUI_SET_TYPE_STR, flags, min, max);
}

/* min..max: allowed value; the text itself is stored */
template <size_t N>
constexpr SetRow strnum(const char (&name)[N], uint32_t number, uint32_t min, uint32_t max)
{
	return rec(name, number, CUI_SET_TYPE_STR_NUM, 0, min, max);
}

template <size_t N>
constexpr SetRow ipa(const char (&name)[N], uint32_t number)
{
	return rec(name, number, CUI_SET_TYPE_IPA, 0);
}

template <size_t N>
constexpr SetRow mac(const char (&name)[N], uint32_t number)
{
	return rec(name, number, CUI_SET_TYPE_MAC, 0);
}

/* A key of `text_len` characters, or "0x" and its bytes in hex:
 * `hex_len` characters in all.  The dump shows the bytes in hex without
 * the "0x", which the text restore puts back. */
template <size_t N>
constexpr SetRow hex(const char (&name)[N], uint32_t number, uint32_t text_len, uint32_t hex_len,
		     uint8_t flags)
{
	return rec(name, number, CUI_SET_TYPE_STR_HEX, flags, text_len, text_len, hex_len, hex_len,
		   CS_CHK_NONE, CS_RESTORE_HEX_KEY);
}

/* A pass phrase of 0 to 63 characters, or 64 hex digits. */
template <size_t N>
constexpr SetRow psk(const char (&name)[N], uint32_t number, uint8_t flags)
{
	return rec(name, number, CUI_SET_TYPE_STR_PSK, flags, 0, 63);
}

template <size_t N>
constexpr SetRow other(const char (&name)[N], uint32_t number, uint8_t checker, uint8_t flags = 0)
{
	return rec(name, number, CUI_SET_TYPE_OTHER, flags, 0, 0, 0, 0, checker);
}

/* A time zone, given by its number and kept as its value, which the dump
 * shows and the text restore turns back into the number. */
template <size_t N>
constexpr SetRow zone(const char (&name)[N], uint32_t number)
{
	return rec(name, number, CUI_SET_TYPE_OTHER, 0, 0, 0, 0, 0, CS_CHK_TIME_ZONE, CS_RESTORE_ZONE);
}

/* A list, with its count row before its entry rows in the get table. */
struct ListRow {
	uint16_t kind;
	const char *name, *count_name;
	uint16_t count_number, read_number;
	const char *cmd_name[CS_LIST_COMMANDS];
	uint32_t cmd_number[CS_LIST_COMMANDS];
	uint8_t capacity;
	uint16_t entry_size;
	const cs_comm_c2m_t *fields;
	uint8_t n_fields;
	uint16_t offset[CS_LIST_MAX_FIELDS];
	uint8_t width[CS_LIST_MAX_FIELDS];
	uint16_t room[CS_LIST_MAX_FIELDS];
	const cs_list_ops_t *ops;
	uint8_t get_kind;
};

/* Names and numbers of a list in the store.  Its commands' numbers are
 * the add, delete and delete-all numbers. */
struct StoreNames {
	const char *name, *count_name;
	uint16_t count_number, read_number;
	const char *add, *del, *delall;
	uint32_t add_number, del_number, delall_number;
};

template <size_t F>
constexpr ListRow store_list(uint16_t kind, const StoreNames &n, uint8_t capacity,
			     uint16_t entry_size, const std::array<cs_comm_c2m_t, F> &fields,
			     const uint16_t (&offset)[F], const uint8_t (&width)[F],
			     const uint16_t (&room)[F])
{
	ListRow l{kind, n.name, n.count_name, n.count_number, n.read_number,
		  {n.add, n.del, n.delall}, {n.add_number, n.del_number, n.delall_number},
		  capacity, entry_size, fields.data(), (uint8_t)F, {}, {}, {},
		  &CS_STORE_LIST_OPS, CG_KIND_PLAIN};
	for (size_t i = 0; i < F; i++) {
		l.offset[i] = offset[i];
		l.width[i] = width[i];
		l.room[i] = room[i];
	}
	return l;
}

/* A get-table row; lst(NAME): the count row and the entry rows of list NAME. */
struct GetRow {
	const char *name;
	uint32_t number;
	uint8_t kind;
	uint8_t flags = 0;
	bool list = false;	/* lst() */
};

constexpr uint8_t P = CG_KIND_PLAIN;
constexpr uint8_t G = CG_KIND_WLAN;

template <size_t N>
constexpr GetRow lst(const char (&name)[N])
{
	return GetRow{name, 0, P, 0, true};
}

struct ZoneRow {
	uint8_t zone;
	const char *desc;
	char value[sizeof(cs_timezoneval_t::value)];
};

template <size_t D, size_t V>
constexpr ZoneRow tz(uint8_t zone, const char (&desc)[D], const char (&value)[V])
{
	static_assert(D <= 72, "zone description too long");
	static_assert(V <= sizeof(cs_timezoneval_t::value), "zone value too long");
	ZoneRow z{zone, desc, {}};
	for (size_t i = 0; i < V; i++)
		z.value[i] = value[i];
	return z;
}

/* ---- packing ---- */

/* Every text of the rows, "" (the field tables' name) first. */
template <typename Sink, size_t NSet, size_t NList, size_t NGet, size_t NZone>
constexpr Sink add_texts(Sink sink, const SetRow (&set)[NSet], const ListRow (&lists)[NList],
			 const GetRow (&get)[NGet], const ZoneRow (&zones)[NZone])
{
	sink.add("");
	for (const SetRow &r : set)
		sink.add(r.name);
	for (const ListRow &l : lists) {
		sink.add(l.name);
		sink.add(l.count_name);
		for (const char *cmd : l.cmd_name)
			sink.add(cmd);
	}
	for (const GetRow &g : get)
		sink.add(g.name);
	for (const ZoneRow &z : zones)
		sink.add(z.desc);
	return sink;
}

constexpr uint16_t narrow16(uint32_t v)
{
	if (v > UINT16_MAX)
		table_error("value beyond 16 bits");
	return (uint16_t)v;
}

constexpr uint8_t narrow8(uint32_t v)
{
	if (v > UINT8_MAX)
		table_error("value beyond 8 bits");
	return (uint8_t)v;
}

template <typename Pool>
constexpr cs_comm_c2m_t pack(const Pool &text, const SetRow &r)
{
	cs_comm_c2m_t c{};
	c.name = text.at(r.name);
	c.kind = r.kind;
	c.number = r.number;
	c.min = narrow16(r.min);
	c.max = narrow16(r.max);
	c.hex_min = narrow8(r.hex_min);
	c.hex_max = narrow8(r.hex_max);
	c.checker = r.checker;
	c.wlan = (r.flags & W) != 0;
	c.minutes = (r.flags & M) != 0;
	c.restore = r.restore & 3;
	return c;
}

template <typename Pool, size_t N>
constexpr std::array<cs_comm_c2m_t, N> pack_fields(const Pool &text, const SetRow (&rows)[N])
{
	std::array<cs_comm_c2m_t, N> out{};
	for (size_t i = 0; i < N; i++)
		out[i] = pack(text, rows[i]);
	return out;
}

/* The scalar rows, then each list's add, delete and delete-all. */
template <typename Pool, size_t NSet, size_t NList>
constexpr std::array<cs_comm_c2m_t, CS_COMM_C2M_COUNT> pack_set_table(const Pool &text,
								      const SetRow (&set)[NSet],
								      const ListRow (&lists)[NList])
{
	static_assert(NSet + CS_LIST_COMMANDS * NList == CS_COMM_C2M_COUNT,
		      "the set table has 153 records");
	std::array<cs_comm_c2m_t, CS_COMM_C2M_COUNT> out{};
	size_t n = 0;
	for (const SetRow &r : set)
		out[n++] = pack(text, r);
	for (const ListRow &l : lists) {
		for (int command = 0; command < CS_LIST_COMMANDS; command++) {
			cs_comm_c2m_t &c = out[n++];
			c.name = text.at(l.cmd_name[command]);
			c.kind = l.kind;
			c.number = l.cmd_number[command];
		}
	}
	return out;
}

template <typename Pool>
constexpr cgc2m_t get_row(const Pool &text, const char *name, uint32_t number, uint8_t kind,
			  uint8_t flags)
{
	cgc2m_t g{};
	g.name = text.at(name);
	g.number = narrow16(number);
	g.get_kind = kind;
	g.bare = (flags & B) != 0;
	g.minutes = (flags & M) != 0;
	return g;
}

template <size_t NList>
constexpr const ListRow &list_named(const ListRow (&lists)[NList], const char *name)
{
	for (const ListRow &l : lists)
		if (cs_pool::same(l.name, name))
			return l;
	table_error("no such list");
	return lists[0];
}

/* The rows in dump order, a list's count row and entry rows for its lst(). */
template <typename Pool, size_t NGet, size_t NList>
constexpr std::array<cgc2m_t, CGC2M_COUNT> pack_get_table(const Pool &text, const GetRow (&get)[NGet],
							  const ListRow (&lists)[NList])
{
	std::array<cgc2m_t, CGC2M_COUNT> out{};
	size_t n = 0;
	for (const GetRow &g : get) {
		if (n + (g.list ? 2 : 1) > CGC2M_COUNT)
			break;
		if (!g.list) {
			out[n++] = get_row(text, g.name, g.number, g.kind, g.flags);
			continue;
		}
		const ListRow &l = list_named(lists, g.name);
		out[n++] = get_row(text, l.count_name, l.count_number, l.get_kind, 0);
		out[n++] = get_row(text, l.name, l.read_number, l.get_kind, 0);
	}
	if (n != CGC2M_COUNT)
		table_error("the get table has 146 records");
	return out;
}

template <typename Pool, size_t NList>
constexpr std::array<cs_list_t, NList> pack_lists(const Pool &text, const ListRow (&lists)[NList])
{
	std::array<cs_list_t, NList> out{};
	for (size_t i = 0; i < NList; i++) {
		const ListRow &r = lists[i];
		cs_list_t &l = out[i];
		l.name = text.at(r.name);
		l.count_name = text.at(r.count_name);
		for (int c = 0; c < CS_LIST_COMMANDS; c++) {
			l.cmd_name[c] = text.at(r.cmd_name[c]);
			l.cmd_number[c] = r.cmd_number[c];
		}
		l.count_number = r.count_number;
		l.read_number = r.read_number;
		l.kind = r.kind;
		l.capacity = r.capacity;
		l.n_fields = r.n_fields;
		l.entry_size = r.entry_size;
		if (r.entry_size > CS_ENTRY_MAX || (size_t)r.capacity * r.entry_size > CS_LIST_MAX_BYTES)
			table_error("an entry or a list beyond the room kept for it");
		l.fields = r.fields;
		l.ops = r.ops;
		for (size_t f = 0; f < CS_LIST_MAX_FIELDS; f++) {
			l.field_offset[f] = r.offset[f];
			l.field_width[f] = r.width[f];
			l.field_room[f] = r.room[f];
		}
	}
	return out;
}

/* The lists as the text restore empties and refills them. */
template <typename Pool, size_t NList>
constexpr std::array<cs_restor_mib_t, NList> pack_restore_table(const Pool &text,
							       const ListRow (&lists)[NList])
{
	std::array<cs_restor_mib_t, NList> out{};
	for (size_t i = 0; i < NList; i++) {
		const ListRow &l = lists[i];
		out[i] = {text.at(l.name), text.at(l.cmd_name[CS_LIST_DELALL]),
			  text.at(l.cmd_name[CS_LIST_ADD]), text.at(l.count_name), 0};
	}
	return out;
}

template <typename Pool, size_t NZone>
constexpr std::array<cs_timezoneval_t, NZone> pack_zones(const Pool &text, const ZoneRow (&zones)[NZone])
{
	std::array<cs_timezoneval_t, NZone> out{};
	for (size_t i = 0; i < NZone; i++) {
		const ZoneRow &z = zones[i];
		if (z.zone != i)
			table_error("a zone's number is its position");
		out[i].zone = z.zone;
		for (size_t c = 0; c < sizeof(z.value); c++)
			out[i].value[c] = z.value[c];
		out[i].desc = text.at(z.desc);
	}
	return out;
}

}  // namespace cs_rows

#endif
