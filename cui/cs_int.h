/*
 * cs_int.h - shared by the value-checking sources (cs_check.cc,
 * cs_checkers.cc, cs_list.cc) and nothing else.
 */
#ifndef KP7_CS_INT_H
#define KP7_CS_INT_H

#include <stdint.h>

#include "cs.h"

/*
 * `text` read as the router's 32-bit strtoul() reads it, whatever the
 * width of long here: base detection, leading blanks and a sign allowed
 * ("-1" is 4294967295), a magnitude beyond 32 bits stands at 4294967295.
 * `*end` (when wanted) points after the number, or at `text` when there
 * is none.
 */
uint32_t cs_str_to_u32(const char *text, const char **end);

/* cs_str_to_u32() of a text that is all number ("" is 0); false otherwise. */
bool cs_whole_u32(const char *text, uint32_t *value);

/* The list kinds of CsCheckAndMakeData(), after its trace. */
int cs_list_command(cui_soft_t *sc, int argc, char **argv, int index, const cs_comm_c2m_t *rec,
		    void *out);

#endif
