/*
 * -s: write one parameter, or add or delete one list entry.  Called by the
 * dispatcher with NAME and INDEX present.
 */
#include "cui.h"

#include <stdio.h>
#include <string.h>

#include "apmib.h"
#include "cs.h"

int cui_set(cui_soft_t *sc, int argc, char **argv)
{
	const char *name = argv[sc->n_arg];
	int32_t index;
	if (!cui_parse_int(argv[sc->n_arg + 1], &index))
		return cui_fail(sc, 7, "illegal index\n");
	sc->n_arg += 2;

	const cs_comm_c2m_t *rec = cs_find_set_name(name);
	if (!rec)
		return cui_fail(sc, 5, "illegal name\n");

	/* The value is built in the message buffer itself: zeroed, so that
	 * strings need no terminator of their own. */
	memset(sc->msg, 0, sizeof(sc->msg));
	int result = CsCheckAndMakeData(sc, argc, argv, index, rec, sc->msg);
	if (result) {
		size_t len = strnlen(sc->msg, sizeof(sc->msg) - 1);
		if (len < sizeof(sc->msg) - 1)
			sc->msg[len] = '\n';
		return result;
	}

	/* The index is looked at only after the value passed, so a bad value
	 * is reported ahead of a bad index. */
	if (rec->wlan) {
		if (index != 0 && index != 1) {
			cui_trace("illegal index(%d).\n", index);
			return cui_fail(sc, 7, "illegal index\n");
		}
		vwlan_idx = index;
	} else {
		vwlan_idx = 0;
	}

	/* a list command is carried out where the list keeps its entries */
	const cs_list_t *list = cs_find_list_by_kind(rec->kind);
	bool written = list ? list->ops->apply(sc, list, rec, index) :
			      CuiApmibSet(sc->set_type, (int)rec->number, sc->msg) > 0;
	return written ? 0 : cui_fail(sc, 10, "set MIB failed\n");
}
