/*
 * utl_int.h - inside the utility library: the parsers of what other
 * programs print, reachable for the fuzz drivers.  Not for the programs.
 */
#ifndef KP7_UTL_INT_H
#define KP7_UTL_INT_H

#include <stdio.h>

/* The value of the last line of `flash get` output, as utl_flash(). */
int utl_flash_parse(FILE *in, char *value);

/* Reads wget's progress output (utl_wget's line rules).  want_size: stops
 * at the first "Length:" line and returns the size it gives (0 when none
 * or not a number); else reads to the end and returns 0. */
unsigned long utl_wget_scan(FILE *in, bool want_size);

/* The USB device list as utl_check_usb_storage(). */
int utl_usb_scan(FILE *in);

/* The new count of a counter file holding `text` (NUL-terminated). */
int utl_count_next(const char *text);

#endif
