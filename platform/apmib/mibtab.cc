/* Lookups in the parameter table. */
#include "mibtab.h"

#include <string.h>

#include "apmib.h"

namespace {

constexpr bool has_list_ids(const MibRec &r)
{
	return r.flags & MIB_F_LIST;
}

constexpr int list_base(const MibRec &r)
{
	return r.id & ~MIB_TABLE_READ;
}

constexpr MibRole LIST_ROLES[] = {MIB_READ, MIB_COUNT, MIB_ADD, MIB_DEL, MIB_DELALL};
constexpr size_t ROLE_COUNT = sizeof(LIST_ROLES) / sizeof(LIST_ROLES[0]);

/* The number of a list's role; what mib_list_cmd_id() returns. */
constexpr int list_id(const MibRec &r, MibRole role)
{
	switch (role) {
	case MIB_ADD:
		return MIB_TABLE_ADD | (list_base(r) + 1);
	case MIB_DEL:
		return MIB_TABLE_DEL | (list_base(r) + 2);
	case MIB_DELALL:
		return MIB_TABLE_DELALL | (list_base(r) + 3);
	case MIB_COUNT:
		return list_base(r) - 1;
	default:
		return r.id;
	}
}

constexpr size_t count_ids()
{
	size_t n = 0;
	for (const MibRec &r : MIB_PARAMS)
		n += has_list_ids(r) ? ROLE_COUNT : 1;
	return n;
}

/*
 * Every store number with what it addresses, sorted by number, so that a
 * lookup is a binary search.  One word an entry: the number in the high
 * bits, then the role, then the record's index.
 */
constexpr unsigned REC_BITS = 8, ROLE_BITS = 3, ID_SHIFT = REC_BITS + ROLE_BITS;
constexpr size_t ID_COUNT = count_ids();
static_assert(MIB_PARAM_COUNT <= 1u << REC_BITS && MIB_DELALL < 1 << ROLE_BITS,
	      "record index or role does not fit the lookup key");

struct IdIndex {
	uint32_t key[ID_COUNT];
};

constexpr uint32_t make_key(int id, MibRole role, size_t rec)
{
	return (uint32_t)id << ID_SHIFT | (uint32_t)role << REC_BITS | (uint32_t)rec;
}

constexpr IdIndex make_index()
{
	IdIndex x{};
	size_t n = 0;
	for (size_t i = 0; i < MIB_PARAM_COUNT; i++) {
		const MibRec &r = MIB_PARAMS[i];
		if (!has_list_ids(r)) {
			x.key[n++] = make_key(r.id, MIB_VALUE, i);
			continue;
		}
		for (MibRole role : LIST_ROLES)
			x.key[n++] = make_key(list_id(r, role), role, i);
	}
	for (size_t i = 1; i < n; i++) /* insertion sort: the compiler runs it */
		for (size_t j = i; j > 0 && x.key[j - 1] > x.key[j]; j--) {
			uint32_t t = x.key[j];
			x.key[j] = x.key[j - 1];
			x.key[j - 1] = t;
		}
	return x;
}

constexpr IdIndex ID_INDEX = make_index();

constexpr bool id_fits(int id)
{
	return id > 0 && id < 1 << (32 - ID_SHIFT);
}

constexpr bool index_sound()
{
	for (const MibRec &r : MIB_PARAMS) {
		if (!id_fits(r.id))
			return false;
		for (MibRole role : LIST_ROLES)
			if (has_list_ids(r) && !id_fits(list_id(r, role)))
				return false;
	}
	for (size_t i = 1; i < ID_COUNT; i++)
		if (ID_INDEX.key[i - 1] >> ID_SHIFT == ID_INDEX.key[i] >> ID_SHIFT)
			return false;
	return true;
}
static_assert(index_sound(), "store numbers must be unique and fit the lookup key");

}  // namespace

int mib_list_count_id(const MibRec *rec)
{
	return list_id(*rec, MIB_COUNT);
}

int mib_list_cmd_id(const MibRec *rec, MibRole role)
{
	return list_id(*rec, role);
}

MibRef mib_lookup(int id)
{
	if (!id_fits(id))
		return {nullptr, MIB_VALUE};
	uint32_t want = (uint32_t)id;
	size_t lo = 0, hi = ID_COUNT;
	while (lo < hi) {
		size_t mid = (lo + hi) / 2;
		uint32_t key = ID_INDEX.key[mid];
		if (key >> ID_SHIFT == want)
			return {&MIB_PARAMS[key & ((1u << REC_BITS) - 1)],
				(MibRole)(key >> REC_BITS & ((1u << ROLE_BITS) - 1))};
		if (key >> ID_SHIFT < want)
			lo = mid + 1;
		else
			hi = mid;
	}
	return {nullptr, MIB_VALUE};
}

MibRef mib_lookup_name(const char *name)
{
	for (size_t i = 0; i < MIB_PARAM_COUNT; i++) {
		const MibRec *r = &MIB_PARAMS[i];
		if (!strcmp(r->name, name))
			return {r, MIB_VALUE};
		if (r->count_name && !strcmp(r->count_name, name))
			return {r, MIB_COUNT};
	}
	return {nullptr, MIB_VALUE};
}
