/* The settings store, by set type: 1 the current set, 2 the default set. */
#include "cui.h"

#include "apmib.h"

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
