/*
 * textconf.h - the text configuration backup: both settings sets saved as
 * their dumps before a firmware change, replayed line by line through
 * `kp7cui -s` after it.
 *
 * The backup lives in TEXTCONF_DIR: cur.txt and def.txt (the dumps) and
 * cur_ver (the store's layout version at save time).  cur_ver is written
 * last, and only after both dumps are complete, so it is the claim that
 * the backup is whole.
 */
#ifndef KP7_TEXTCONF_H
#define KP7_TEXTCONF_H

#include <stddef.h>

#include "cui.h"

#define TEXTCONF_DIR "/var/mnt/text_conf"

/* The longest saved line the replay reads, its line feed not counted:
 * room for the longest dump line, a host entry whose name and comment are
 * escaped bytes throughout (about 1320 characters). */
#define TEXTCONF_LINE_MAX 2047

/* Room for the longest replay command: "kp7cui -s -t c ", then NAME and
 * the value text of one line with every character escaped, a closing
 * quote, the line feed and the NUL. */
#define TEXTCONF_CMD_MAX (16 + 2 * TEXTCONF_LINE_MAX + 3)

/* The rewritten value text of a hex-key or time-zone line. */
#define TEXTCONF_VALUE_MAX 128

/*
 * Splits a saved line in place into NAME (its first word, ended by one
 * blank, TAB or line feed, which is consumed) and the value text (from
 * there past further blanks and TABs to the end of the line, line feed
 * included).  Returns 0, or -1 when the line has no NAME or an empty value
 * text.
 */
int cui_text_split(char *line, char **name, char **value);

/*
 * The command "kp7cui -s -t LETTER NAME VALUE" into `out`, quoted so that
 * the shell can neither run anything nor change a word: kp7cui receives
 * exactly the words the dump line holds.  Inside a quoted string the
 * dump's escapes become their bytes and `$` and backquote get a backslash
 * (\" and \\ stay as they are); outside, every character but
 * [0-9A-Za-z._:/+,=@%-] and the blank gets one; a quote left open is
 * closed before the final line feed.  An ordinary line gives the command
 * text unchanged.  Returns its length, -1 when it does not fit in `size`,
 * or TEXTCONF_LINE_FEED when a string holds a line feed (\n): a value no
 * set command takes, which is never handed to the shell.
 */
#define TEXTCONF_LINE_FEED (-2)
int cui_text_set_command(char *out, size_t size, char letter, const char *name, const char *value);

/* A hex-key line's value text "INDEX DIGITS..." as "INDEX 0xDIGITS" into
 * `out` (TEXTCONF_VALUE_MAX bytes); -1 when either word is missing. */
int cui_text_hex_value(const char *value, char *out);

/* A time-zone line's value text `INDEX "ZONE"` as "INDEX NUMBER" into
 * `out` (TEXTCONF_VALUE_MAX bytes), or INDEX alone for an unknown zone;
 * -1 when either part is missing. */
int cui_text_zone_value(const char *value, char *out);

/* The handlers behind `kp7cui -T -o s` and `-o l`. */
int cui_conf_text_save(cui_soft_t *sc, int argc, char **argv);
int cui_text_conf_load(cui_soft_t *sc, int argc, char **argv);

/* Replays cur.txt (area 1) or def.txt (any other area) into its set;
 * 0, or 11 with the message in sc->msg. */
int cui_load_text_config_area(cui_soft_t *sc, int area);

#endif
