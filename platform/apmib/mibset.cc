/* Settings sets: factory values, buffer conversions and the file form. */
#include "mibset.h"

#include <string.h>

#include "apmib.h"
#include "be.h"
#include "mibval.h"

namespace {

constexpr uint8_t kMagic[4] = {'K', 'P', '7', 'M'};

bool is_number(const MibRec *rec)
{
	return rec->type == BYTE_T || rec->type == WORD_T || rec->type == DWORD_T;
}

int nets_of(const MibRec *rec)
{
	return rec->flags & MIB_F_WLAN ? 2 : 1;
}

/* Whether a record has a stored value in a set of this kind. */
bool stored(const MibRec *rec, int kind)
{
	return mib_in_set(rec, kind) && !(rec->flags & MIB_F_RO);
}

void factory_slot(const MibRec *rec, const char *text, std::vector<uint8_t> &slot)
{
	if (rec->flags & MIB_F_LIST) {
		slot.clear();
		return;
	}
	unsigned char buf[MIB_API_MAX] = {0};
	/* The table is ours: a value it cannot parse is a build fault. */
	if (mib_text_to_api(rec, text, buf) < 0 || mib_slot_from_api(rec, buf, slot) < 0)
		__builtin_trap();
}

/* One record of a file applied to the set; values that no longer fit
 * this layout are skipped and keep their factory value. */
void apply_record(MibSet &set, const MibRec *rec, int net, const uint8_t *p, size_t n)
{
	std::vector<uint8_t> &slot = set.at(rec, net);
	if (rec->flags & MIB_F_LIST) {
		if (n % rec->size == 0 && n / rec->size <= rec->cap)
			slot.assign(p, p + n);
	} else if (is_number(rec)) {
		if (n >= 1 && n <= 4)
			be_put(slot.data(), rec->size, be_get(p, (unsigned)n));
	} else if (rec->type == STRING_T) {
		size_t keep = strnlen((const char *)p, n < rec->size ? n : rec->size - 1u);
		slot.assign(rec->size, 0);
		memcpy(slot.data(), p, keep);
	} else if (n == rec->size) {
		slot.assign(p, p + n);
	}
}

}  // namespace

void mibset_factory(MibSet &set, int kind)
{
	set.kind = kind;
	set.slot.assign(2 * kMibCount, {});
	for (size_t i = 0; i < kMibCount; i++) {
		const MibRec *rec = &kMibTab[i];
		if (!stored(rec, kind))
			continue;
		factory_slot(rec, rec->def, set.at(rec, 0));
		if (rec->flags & MIB_F_WLAN)
			factory_slot(rec, rec->def1 ? rec->def1 : rec->def, set.at(rec, 1));
	}
}

int mib_slot_from_api(const MibRec *rec, const void *buf, std::vector<uint8_t> &slot)
{
	if (is_number(rec)) {
		uint32_t v;
		memcpy(&v, buf, sizeof(v));
		slot.assign(rec->size, 0);
		be_put(slot.data(), rec->size, v); /* keeps the low bits */
		return 0;
	}
	const uint8_t *p = (const uint8_t *)buf;
	if (rec->type == STRING_T) {
		if (!memchr(p, 0, rec->size))
			return -1;
		slot.assign(rec->size, 0);
		memcpy(slot.data(), p, strlen((const char *)p));
		return 0;
	}
	slot.assign(p, p + rec->size);
	return 0;
}

void mib_slot_to_api(const MibRec *rec, const std::vector<uint8_t> &slot, void *buf)
{
	if (is_number(rec)) {
		uint32_t v = be_get(slot.data(), rec->size);
		memcpy(buf, &v, sizeof(v));
		return;
	}
	memcpy(buf, slot.data(), rec->size);
}

uint32_t mib_crc32(const uint8_t *data, size_t len)
{
	static uint32_t table[256];
	if (!table[1]) {
		for (uint32_t i = 0; i < 256; i++) {
			uint32_t c = i;
			for (int k = 0; k < 8; k++)
				c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
			table[i] = c;
		}
	}
	uint32_t crc = 0xffffffffu;
	for (size_t i = 0; i < len; i++)
		crc = table[(crc ^ data[i]) & 0xff] ^ (crc >> 8);
	return crc ^ 0xffffffffu;
}

void mibset_serialize(const MibSet &set, uint32_t layout, std::vector<uint8_t> &out)
{
	out.assign(MIB_FILE_HEADER, 0);
	for (size_t i = 0; i < kMibCount; i++) {
		const MibRec *rec = &kMibTab[i];
		if (!stored(rec, set.kind))
			continue;
		for (int net = 0; net < nets_of(rec); net++) {
			const std::vector<uint8_t> &v = set.at(rec, net);
			size_t n = rec->type == STRING_T ? strnlen((const char *)v.data(), v.size()) : v.size();
			uint8_t head[7];
			put_be32(head, (uint32_t)rec->id);
			head[4] = (uint8_t)net;
			put_be16(head + 5, (uint16_t)n);
			out.insert(out.end(), head, head + sizeof(head));
			out.insert(out.end(), v.begin(), v.begin() + n);
		}
	}
	memcpy(out.data(), kMagic, sizeof(kMagic));
	put_be16(&out[4], MIB_FILE_FORMAT);
	out[6] = (uint8_t)set.kind;
	put_be32(&out[8], layout);
	put_be32(&out[12], (uint32_t)(out.size() - MIB_FILE_HEADER));
	uint8_t crc[4];
	put_be32(crc, mib_crc32(out.data(), out.size()));
	out.insert(out.end(), crc, crc + 4);
}

static int check_header(const uint8_t *d, size_t len)
{
	if (len < MIB_FILE_HEADER + 4 || len > MIB_FILE_MAX || memcmp(d, kMagic, 4))
		return -1;
	if (be16(d + 4) != MIB_FILE_FORMAT || d[7] != 0)
		return -1;
	if (d[6] != HW_SETTING && d[6] != DEFAULT_SETTING && d[6] != CURRENT_SETTING)
		return -1;
	if (be32(d + 12) != len - MIB_FILE_HEADER - 4)
		return -1;
	return mib_crc32(d, len - 4) == be32(d + len - 4) ? 0 : -1;
}

int mibset_parse(const uint8_t *d, size_t len, MibSet &set, uint32_t *layout)
{
	if (check_header(d, len) < 0)
		return -1;
	mibset_factory(set, d[6]);
	if (layout)
		*layout = be32(d + 8);
	size_t pos = MIB_FILE_HEADER, end = len - 4;
	while (pos < end) {
		if (end - pos < 7)
			return -1;
		int id = (int)be32(d + pos);
		int net = d[pos + 4];
		size_t n = be16(d + pos + 5);
		pos += 7;
		if (end - pos < n)
			return -1;
		MibRef ref = mib_lookup(id);
		if (ref.rec && ref.role == (ref.rec->flags & MIB_F_LIST ? MIB_READ : MIB_VALUE) &&
		    stored(ref.rec, set.kind) && net < nets_of(ref.rec))
			apply_record(set, ref.rec, net, d + pos, n);
		pos += n;
	}
	return 0;
}
