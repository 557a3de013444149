/* The two commands that work on a whole settings set: flush and load. */
#include "cui.h"

#include <stdio.h>
#include <string.h>

#include "apmib.h"
#include "sys.h"

namespace {

/* Characters a file name may hold and still stand bare in a command. */
bool shell_plain(const char *s)
{
	if (!*s)
		return false;	/* an empty name must still be one word */
	for (; *s; s++)
		if (!strchr("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
			    "0123456789/._-+,:@%=", *s))
			return false;
	return true;
}

/*
 * The cfgburn command for `filename` in sc->msg.  Anything but a plain
 * name is single-quoted, so that a file name can never add a command of
 * its own.  Returns false when the command does not fit.
 */
bool cfgburn_command(cui_soft_t *sc)
{
	if (shell_plain(sc->filename)) {
		snprintf(sc->msg, sizeof(sc->msg), "/bin/cfgburn -f %s\n", sc->filename);
		return true;
	}
	size_t n = (size_t)snprintf(sc->msg, sizeof(sc->msg), "/bin/cfgburn -f '");
	for (const char *s = sc->filename; *s; s++) {
		const char *piece = *s == '\'' ? "'\\''" : nullptr;
		size_t len = piece ? strlen(piece) : 1;
		if (n + len + 3 > sizeof(sc->msg))
			return false;
		memcpy(sc->msg + n, piece ? piece : s, len);
		n += len;
	}
	memcpy(sc->msg + n, "'\n", 3);
	return true;
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
