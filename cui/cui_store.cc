/* The settings store, by set type: 1 the current set, 2 the default set;
 * and the lists it keeps. */
#include "cui.h"

#include "apmib.h"
#include "cs.h"

int CuiApmibGet(int set_type, int id, void *value)
{
	if (set_type == CUI_SET_CURRENT)
		return apmib_get(id, value);
	if (set_type == CUI_SET_DEFAULT)
		return apmib_getDef(id, value);
	return -1;
}

int CuiApmibSet(int set_type, int id, void *value)
{
	if (set_type == CUI_SET_CURRENT)
		return apmib_set(id, value);
	if (set_type == CUI_SET_DEFAULT)
		return apmib_setDef(id, value);
	return -1;
}

namespace {

/* CuiApmibGet() answers -1 for a set type it does not serve. */
bool store_get(const cui_soft_t *sc, uint32_t id, void *buf)
{
	return CuiApmibGet(sc->set_type, (int)id, buf) > 0;
}

bool store_count(const cui_soft_t *sc, const cs_list_t *list, uint32_t *count)
{
	uint32_t n = 0;
	if (!store_get(sc, list->count_number, &n))
		return false;
	*count = n;
	return true;
}

/* The store reads the entry whose number stands in the first byte. */
bool store_read(const cui_soft_t *sc, const cs_list_t *list, unsigned index, uint8_t *entry)
{
	entry[0] = (uint8_t)index;
	return store_get(sc, list->read_number, entry);
}

/* An add, delete or delete-all is a write of the command's number. */
bool store_apply(cui_soft_t *sc, const cs_list_t *, const cs_comm_c2m_t *rec, int)
{
	return CuiApmibSet(sc->set_type, (int)rec->number, sc->msg) > 0;
}

}  // namespace

/* The store's lists: their rows are read through the store's types, a
 * delete names the entry it removes. */
const cs_list_ops_t CS_STORE_LIST_OPS = {
	store_count, store_read, nullptr, nullptr, store_apply, nullptr, false, true,
};
