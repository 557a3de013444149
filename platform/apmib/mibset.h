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

struct MibSet {
	int kind = 0;
	/* two slots per record (network 0 and 1); a list keeps its entries,
	 * back to back, in slot 0; numbers are kept big-endian */
	std::vector<std::vector<uint8_t>> slot;

	std::vector<uint8_t> &at(const MibRec *rec, int net) { return slot[2 * mib_index(rec) + net]; }
	const std::vector<uint8_t> &at(const MibRec *rec, int net) const
	{
		return slot[2 * mib_index(rec) + net];
	}
};

void mibset_factory(MibSet &set, int kind);

/* apmib_set buffer -> slot; -1 when the buffer is no valid value. */
int mib_slot_from_api(const MibRec *rec, const void *buf, std::vector<uint8_t> &slot);
/* slot -> apmib_get buffer (the record's size; 4 bytes for numbers). */
void mib_slot_to_api(const MibRec *rec, const std::vector<uint8_t> &slot, void *buf);

uint32_t mib_crc32(const uint8_t *data, size_t len);

void mibset_serialize(const MibSet &set, uint32_t layout, std::vector<uint8_t> &out);

/* Checks and loads a settings file of any kind; the set starts from the
 * factory values of the file's kind.  Returns 0, or -1 when the file is
 * not a whole, intact settings file (the set is then undefined). */
int mibset_parse(const uint8_t *data, size_t len, MibSet &set, uint32_t *layout);

#endif
