/* Settings sets: factory values, buffer conversions and the file form. */
#include "mibset.h"

#include <string.h>

#include "apmib.h"
#include "be.h"

namespace {

constexpr uint8_t FILE_MAGIC[4] = {'K', 'P', '7', 'M'};

constexpr bool is_number(const MibRec &r)
{
	return r.type == BYTE_T || r.type == WORD_T || r.type == DWORD_T;
}

/* Whether a record has a stored value in a set of this kind. */
bool stored(const MibRec *rec, int kind)
{
	return mib_in_set(rec, kind) && !(rec->flags & MIB_F_RO);
}

constexpr int hex_digit(char c)
{
	return c >= '0' && c <= '9' ? c - '0' :
	       c >= 'a' && c <= 'f' ? c - 'a' + 10 :
	       c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

/* Decimal digits up to `stop` (or the end); -1 on anything else. */
constexpr int64_t decimal(const char *&s, char stop)
{
	int64_t v = 0;
	if (*s < '0' || *s > '9')
		return -1;
	for (; *s && *s != stop; s++) {
		if (*s < '0' || *s > '9' || v > 0xffffffffll)
			return -1;
		v = v * 10 + (*s - '0');
	}
	return v;
}

constexpr bool dotted_quad(const char *s, uint8_t *out)
{
	for (int i = 0; i < 4; i++) {
		int64_t v = decimal(s, '.');
		if (v < 0 || v > 255 || (i < 3 ? *s++ != '.' : *s != 0))
			return false;
		out[i] = (uint8_t)v;
	}
	return true;
}

/*
 * A factory value as the table writes it (decimal numbers, dotted
 * addresses, plain strings, hex bytes) into its slot form.  The table is
 * checked with this while compiling, so at run time it cannot fail; it
 * stays this small so that building a factory set costs next to nothing.
 */
constexpr bool factory_value(const MibRec &r, const char *text, uint8_t *slot)
{
	if (is_number(r)) {
		int64_t v = decimal(text, 0);
		if (v < 0 || *text || (r.size < 4 && v >> (8 * r.size)))
			return false;
		for (unsigned i = r.size; i-- > 0; v >>= 8)
			slot[i] = (uint8_t)v;
		return true;
	}
	if (r.type == IA_T)
		return r.size == 4 && dotted_quad(text, slot);
	size_t n = 0;
	while (text[n])
		n++;
	if (r.type == STRING_T) {
		for (size_t i = 0; i < n && n < r.size; i++)
			slot[i] = (uint8_t)text[i];
		return n < r.size;
	}
	if (r.type != BYTE5_T && r.type != BYTE6_T && r.type != BYTE13_T)
		return false;
	for (size_t i = 0; i < r.size && 2 * i + 1 < n; i++) {
		int hi = hex_digit(text[2 * i]), lo = hex_digit(text[2 * i + 1]);
		if (hi < 0 || lo < 0)
			return false;
		slot[i] = (uint8_t)(hi << 4 | lo);
	}
	return n == 2u * r.size;
}

constexpr bool factory_values_sound()
{
	for (const MibRec &r : MIB_PARAMS) {
		uint8_t slot[1024] = {};
		if (r.size > sizeof(slot))
			return false;
		if ((r.flags & (MIB_F_LIST | MIB_F_RO)) == 0 &&
		    (!factory_value(r, r.def, slot) || (r.def1 && !factory_value(r, r.def1, slot))))
			return false;
	}
	return true;
}
static_assert(factory_values_sound(), "a factory value in the parameter table is malformed");

/* CRC-32 four bytes at a step: v[k][b] is the remainder of byte b
 * followed by k zero bytes. */
struct CrcTable {
	uint32_t v[4][256];
};

constexpr CrcTable make_crc_table()
{
	CrcTable t{};
	for (uint32_t i = 0; i < 256; i++) {
		uint32_t c = i;
		for (int k = 0; k < 8; k++)
			c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
		t.v[0][i] = c;
	}
	for (int k = 1; k < 4; k++)
		for (uint32_t i = 0; i < 256; i++)
			t.v[k][i] = (t.v[k - 1][i] >> 8) ^ t.v[0][t.v[k - 1][i] & 0xff];
	return t;
}

constexpr CrcTable CRC_TABLE = make_crc_table();

/* One record of a file applied to the set; values that no longer fit
 * this layout are skipped and keep their factory value. */
void apply_record(MibSet &set, const MibRec *rec, int net, const uint8_t *p, size_t n)
{
	uint8_t *slot = set.value(rec, net);
	if (rec->flags & MIB_F_LIST) {
		size_t room = (size_t)rec->cap * rec->size;
		if (n % rec->size == 0 && n <= room) {
			memcpy(slot, p, n);
			memset(slot + n, 0, room - n);
			set.count(rec) = (uint8_t)(n / rec->size);
		}
	} else if (is_number(*rec)) {
		if (n >= 1 && n <= 4)
			be_put(slot, rec->size, be_get(p, (unsigned)n));
	} else if (rec->type == STRING_T) {
		size_t keep = strnlen((const char *)p, n < rec->size ? n : rec->size - 1u);
		memcpy(slot, p, keep);
		memset(slot + keep, 0, rec->size - keep);
	} else if (n == rec->size) {
		memcpy(slot, p, n);
	}
}

}  // namespace

void mibset_factory(MibSet &set, int kind)
{
	set.kind = kind;
	memset(set.bytes, 0, sizeof(set.bytes));
	for (size_t i = 0; i < MIB_PARAM_COUNT; i++) {
		const MibRec &r = MIB_PARAMS[i];
		if (!stored(&r, kind) || (r.flags & MIB_F_LIST))
			continue;
		uint8_t *v = set.bytes + MIB_LAYOUT.off[i];
		factory_value(r, r.def, v);
		if (r.flags & MIB_F_WLAN)
			factory_value(r, r.def1 ? r.def1 : r.def, v + r.size);
	}
}

int mib_slot_from_api(const MibRec *rec, const void *buf, uint8_t *slot)
{
	if (is_number(*rec)) {
		uint32_t v;
		memcpy(&v, buf, sizeof(v));
		be_put(slot, rec->size, v); /* keeps the low bits */
		return 0;
	}
	const uint8_t *p = (const uint8_t *)buf;
	if (rec->type == STRING_T) {
		const uint8_t *end = (const uint8_t *)memchr(p, 0, rec->size);
		if (!end)
			return -1;
		memcpy(slot, p, (size_t)(end - p));
		memset(slot + (end - p), 0, rec->size - (size_t)(end - p));
		return 0;
	}
	memcpy(slot, p, rec->size);
	return 0;
}

void mib_slot_to_api(const MibRec *rec, MibView slot, void *buf)
{
	if (is_number(*rec)) {
		uint32_t v = be_get(slot.data, rec->size);
		memcpy(buf, &v, sizeof(v));
		return;
	}
	memcpy(buf, slot.data, rec->size);
}

bool mibset_list_add(MibSet &set, const MibRec *rec, const uint8_t *entry)
{
	uint8_t &count = set.count(rec);
	if (count >= rec->cap)
		return false;
	memcpy(set.value(rec, 0) + count++ * rec->size, entry, rec->size);
	return true;
}

bool mibset_list_del(MibSet &set, const MibRec *rec, const uint8_t *entry)
{
	uint8_t *e = set.value(rec, 0);
	uint8_t &count = set.count(rec);
	size_t size = rec->size;
	for (size_t i = 0; i < count; i++) {
		if (memcmp(e + i * size, entry, size))
			continue;
		memmove(e + i * size, e + (i + 1) * size, (count - 1 - i) * size);
		memset(e + --count * size, 0, size);
		return true;
	}
	return false;
}

void mibset_list_clear(MibSet &set, const MibRec *rec)
{
	memset(set.value(rec, 0), 0, (size_t)set.count(rec) * rec->size);
	set.count(rec) = 0;
}

uint32_t mib_crc32(const uint8_t *data, size_t len)
{
	uint32_t crc = 0xffffffffu;
	for (; len >= 4; data += 4, len -= 4) {
		crc ^= (uint32_t)data[0] | (uint32_t)data[1] << 8 | (uint32_t)data[2] << 16 |
		       (uint32_t)data[3] << 24;
		crc = CRC_TABLE.v[3][crc & 0xff] ^ CRC_TABLE.v[2][crc >> 8 & 0xff] ^
		      CRC_TABLE.v[1][crc >> 16 & 0xff] ^ CRC_TABLE.v[0][crc >> 24];
	}
	for (; len; data++, len--)
		crc = CRC_TABLE.v[0][(crc ^ *data) & 0xff] ^ (crc >> 8);
	return crc ^ 0xffffffffu;
}

size_t mibset_write(const MibSet &set, uint32_t layout, uint8_t *out)
{
	uint8_t *p = out + MIB_FILE_HEADER;
	for (size_t i = 0; i < MIB_PARAM_COUNT; i++) {
		const MibRec &r = MIB_PARAMS[i];
		if (!stored(&r, set.kind))
			continue;
		const uint8_t *v = set.bytes + MIB_LAYOUT.off[i];
		size_t list = r.flags & MIB_F_LIST ? (size_t)*v++ * r.size : 0;
		for (unsigned net = 0; net < mib_nets(r); net++, v += r.size) {
			size_t n = r.flags & MIB_F_LIST ? list :
				   r.type == STRING_T ? strnlen((const char *)v, r.size) : r.size;
			put_be32(p, (uint32_t)r.id);
			p[4] = (uint8_t)net;
			put_be16(p + 5, (uint16_t)n);
			memcpy(p + 7, v, n);
			p += 7 + n;
		}
	}
	size_t len = (size_t)(p - out);
	memcpy(out, FILE_MAGIC, sizeof(FILE_MAGIC));
	put_be16(out + 4, MIB_FILE_FORMAT);
	out[6] = (uint8_t)set.kind;
	out[7] = 0;
	put_be32(out + 8, layout);
	put_be32(out + 12, (uint32_t)(len - MIB_FILE_HEADER));
	put_be32(out + len, mib_crc32(out, len));
	return len + 4;
}

void mibset_serialize(const MibSet &set, uint32_t layout, std::vector<uint8_t> &out)
{
	out.resize(MIB_LAYOUT.file_max);
	out.resize(mibset_write(set, layout, out.data()));
}

static int check_header(const uint8_t *d, size_t len)
{
	if (len < MIB_FILE_HEADER + 4 || len > MIB_FILE_MAX || memcmp(d, FILE_MAGIC, 4))
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
		    stored(ref.rec, set.kind) && net < (int)mib_nets(*ref.rec))
			apply_record(set, ref.rec, net, d + pos, n);
		pos += n;
	}
	return 0;
}
