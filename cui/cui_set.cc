/* -s: write one parameter, or add or delete one list entry. */
#include "cui.h"

#include <stdio.h>
#include <string.h>

#include "apmib.h"
#include "cs.h"
#include "easydns.h"

namespace {

/* The host-name list lives in the hosts file, not in the store. */
int set_easydns(cui_soft_t *sc, const cs_comm_c2m_t *rec, int index)
{
	int result;
	if (!strcmp(rec->name, "EASYDNS_ADD"))
		result = SetEasyDns(reinterpret_cast<const cs_easydns_t *>(sc->msg));
	else if (!strcmp(rec->name, "EASYDNS_DEL"))
		result = DelEasyDns(index & 0xff);
	else if (!strcmp(rec->name, "EASYDNS_DELALL"))
		result = DelEasyDns(0);
	else
		return cui_fail(sc, 6, "illegal name\n");
	return result ? cui_fail(sc, 10, "set MIB failed\n") : 0;
}

}  // namespace

int cui_set(cui_soft_t *sc, int argc, char **argv)
{
	if (argc - sc->n_arg < 2)
		return cui_fail(sc, 7, "illegal index\n");
	if (sc->debug_level >= CUI_DL_TRACE) {
		printf("cui_set\n");
		cui_trace_operands(sc, argc, argv);
	}
	const char *name = argv[sc->n_arg];
	int32_t index;
	if (!cui_parse_int(argv[sc->n_arg + 1], &index))
		return cui_fail(sc, 7, "illegal index\n");
	sc->n_arg += 2;

	const cs_comm_c2m_t *rec = CsFindSetName(name);
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
	if (rec->kind & CUI_SET_F_WLAN) {
		if (index != 0 && index != 1) {
			cui_trace("illegal index(%d).\n", index);
			return cui_fail(sc, 7, "illegal index\n");
		}
		vwlan_idx = index;
	} else {
		vwlan_idx = 0;
	}

	if (rec->kind & CUI_SET_F_EDNS)
		return set_easydns(sc, rec, index);
	if (CuiApmibSet(sc->set_type, rec->number, sc->msg) <= 0)
		return cui_fail(sc, 10, "set MIB failed\n");
	return 0;
}
