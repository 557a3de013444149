/* The two commands that work on a whole settings set: flush and load. */
#include "cui.h"

#include <stdio.h>

#include "apmib.h"
#include "sys.h"
#include "text.h"

namespace {

/*
 * The cfgburn command for `filename` in sc->msg, the file name one word
 * of it whatever it holds.  Returns false when the command does not fit.
 */
bool cfgburn_command(cui_soft_t *sc)
{
	SysText cmd(sc->msg);
	return cmd.text("/bin/cfgburn -f ").word(sc->filename).put('\n').ok();
}

}  // namespace

int cui_flush(cui_soft_t *sc, int, char **)
{
	int which = sc->set_type == CUI_SET_CURRENT ? CURRENT_SETTING :
		    sc->set_type == CUI_SET_DEFAULT ? DEFAULT_SETTING : 0;
	/* a refused write has no text: the exit status alone tells */
	if (!which || !apmib_update(which))
		return -1;
	return 0;
}

int cui_load(cui_soft_t *sc, int, char **)
{
	/* the traces come before whatever the command prints */
	fflush(stdout);
	if (sc->set_type == CUI_SET_DEFAULT) {
		sys_system("/bin/flash reset\n");
	} else if (sc->set_type == CUI_SET_FILE) {
		if (!cfgburn_command(sc)) {
			sc->msg[0] = '\0';
			return -1;
		}
		sys_system(sc->msg);
	}
	/* flash and cfgburn report their own trouble */
	return 0;
}
