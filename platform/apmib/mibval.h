/*
 * mibval.h - parameter values as text, in the forms the flash tool prints
 * and takes: numbers in decimal (base prefixes accepted on input),
 * addresses dotted, strings as they are, 5/6/13-byte strings as two hex
 * digits a byte.  The binary side is the apmib_get/apmib_set buffer form.
 */
#ifndef KP7_APMIB_MIBVAL_H
#define KP7_APMIB_MIBVAL_H

#include <stddef.h>

#include "mibtab.h"

/* Large enough for the API buffer of any plain parameter. */
#define MIB_API_MAX 512

/* Text -> buffer form; 0, or -1 when the text is not a valid value. */
int mib_text_to_api(const MibRec *rec, const char *text, void *buf);

/* Buffer form -> text (strings without quotes); 0 or -1 for lists. */
int mib_api_to_text(const MibRec *rec, const void *buf, char *out, size_t len);

#endif
