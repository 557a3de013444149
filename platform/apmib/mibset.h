/*
 * mibset.h - one settings set in memory and its file form.
 *
 * A settings file:
 *   0  4  magic "KP7M"
 *   4  2  file format version (1)
 *   6  1  set kind (1 hardware, 2 default, 4 current)
 *   7  1  zero
 *   8  4  layout version of the writer
 *  12  4  length L of the records
 *  16  L  records: number (4), network (1), length N (2), N value bytes
 *  16+L 4 CRC-32 of bytes 0 .. 16+L-1
 * All numbers big-endian.  Records of numbers this store does not know are
 * skipped, so files of another layout version load what both sides know.
 *
 * In memory a set is one flat byte area, the same size for every kind of
 * set: each record has a slot at a fixed offset worked out from the
 * parameter table while compiling.  A value takes its size once per
 * network; a list one count byte, then room for all its entries.  Numbers
 * are kept big-endian, strings zero-padded, unused list entries zeroed, so
 * two sets with the same settings hold the same bytes.
 */
#ifndef KP7_APMIB_MIBSET_H
#define KP7_APMIB_MIBSET_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "mibtab.h"

#define MIB_FILE_HEADER 16
#define MIB_FILE_FORMAT 1
/* No valid settings file is larger; anything bigger is refused unread. */
#define MIB_FILE_MAX 65536

constexpr size_t mib_nets(const MibRec &r)
{
	return r.flags & MIB_F_WLAN ? 2 : 1;
}

/* Bytes a record takes in a set; read-only records are not kept. */
constexpr size_t mib_slot_bytes(const MibRec &r)
{
	if (r.flags & MIB_F_RO)
		return 0;
	if (r.flags & MIB_F_LIST)
		return 1 + (size_t)r.cap * r.size;
	return mib_nets(r) * r.size;
}

struct MibLayout {
	uint16_t off[MIB_PARAM_COUNT]; /* slot offset of each record */
	size_t set_bytes;        /* the whole area */
	size_t file_max;         /* the largest file a set can make */
};

constexpr MibLayout mib_make_layout()
{
	MibLayout l{};
	size_t records = 0;
	for (size_t i = 0; i < MIB_PARAM_COUNT; i++) {
		const MibRec &r = MIB_PARAMS[i];
		l.off[i] = (uint16_t)l.set_bytes;
		l.set_bytes += mib_slot_bytes(r);
		records += r.flags & MIB_F_RO ? 0 : mib_nets(r);
	}
	l.file_max = MIB_FILE_HEADER + 7 * records + l.set_bytes + 4;
	return l;
}

inline constexpr MibLayout MIB_LAYOUT = mib_make_layout();
static_assert(MIB_LAYOUT.set_bytes <= 0xffff && MIB_LAYOUT.file_max <= MIB_FILE_MAX,
	      "the parameter table outgrew the settings file");

/* A slot's value as apmib_get sees it: a list's entries, count x size
 * bytes; any other value its size in bytes. */
struct MibView {
	const uint8_t *data;
	size_t size;

	/* A copy, for the tools and tests that want one. */
	operator std::vector<uint8_t>() const { return std::vector<uint8_t>(data, data + size); }
};

/* Where a value of network `net` starts in a set; a list's first entry. */
inline size_t mib_value_off(const MibRec *rec, int net)
{
	return MIB_LAYOUT.off[mib_index(rec)] + (rec->flags & MIB_F_LIST ? 1 : (size_t)net * rec->size);
}

struct MibSet {
	int kind;
	uint8_t bytes[MIB_LAYOUT.set_bytes];

	uint8_t *value(const MibRec *rec, int net) { return bytes + mib_value_off(rec, net); }
	const uint8_t *value(const MibRec *rec, int net) const { return bytes + mib_value_off(rec, net); }
	/* A list's entry count. */
	uint8_t &count(const MibRec *rec) { return bytes[MIB_LAYOUT.off[mib_index(rec)]]; }
	uint8_t count(const MibRec *rec) const { return bytes[MIB_LAYOUT.off[mib_index(rec)]]; }

	MibView at(const MibRec *rec, int net) const
	{
		if (rec->flags & MIB_F_LIST)
			return {value(rec, 0), (size_t)count(rec) * rec->size};
		return {value(rec, net), rec->flags & MIB_F_RO ? 0u : rec->size};
	}
};

void mibset_factory(MibSet &set, int kind);

/* apmib_set buffer -> the record's slot; -1 (slot untouched) when the
 * buffer is no valid value. */
int mib_slot_from_api(const MibRec *rec, const void *buf, uint8_t *slot);
/* slot -> apmib_get buffer (the record's size; 4 bytes for numbers). */
void mib_slot_to_api(const MibRec *rec, MibView slot, void *buf);

/* List edits.  Entries stay packed from the first and the room after them
 * zeroed.  Adding fails when the list is full, deleting (the first entry
 * equal to `entry`) when there is none. */
bool mibset_list_add(MibSet &set, const MibRec *rec, const uint8_t *entry);
bool mibset_list_del(MibSet &set, const MibRec *rec, const uint8_t *entry);
void mibset_list_clear(MibSet &set, const MibRec *rec);

uint32_t mib_crc32(const uint8_t *data, size_t len);

/* The set in file form into `out`, which holds MIB_LAYOUT.file_max bytes;
 * returns the length. */
size_t mibset_write(const MibSet &set, uint32_t layout, uint8_t *out);
void mibset_serialize(const MibSet &set, uint32_t layout, std::vector<uint8_t> &out);

/* Checks and loads a settings file of any kind; the set starts from the
 * factory values of the file's kind.  Returns 0, or -1 when the file is
 * not a whole, intact settings file (the set is then undefined). */
int mibset_parse(const uint8_t *data, size_t len, MibSet &set, uint32_t *layout);

#endif
