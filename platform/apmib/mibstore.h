/*
 * mibstore.h - store operations for the store's own tools (flash,
 * cfgburn, mibtool) and for apmib_updateFlash; not part of apmib.h.
 */
#ifndef KP7_APMIB_MIBSTORE_H
#define KP7_APMIB_MIBSTORE_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

#include "mibset.h"

/* The layout version in force: /etc/mib_version of the root, if any. */
uint32_t mib_layout_version(void);

/* The set as the store sees it now, in file form; 0 or -1. */
int mib_export(int kind, std::vector<uint8_t> &out);

/*
 * Writes a settings file as the flash copy of `kind` (0: the kind the
 * file names) and drops that set's working copy.  A file of the default
 * set may go to the current set and back; the hardware set takes only
 * hardware files.  Returns 0, or -1 with a reason in *why.
 */
int mib_install(int kind, const uint8_t *data, size_t len, const char **why);

/* Factory values into the flash copies of the current and default sets,
 * working copies dropped; 0 or -1. */
int mib_reset(void);

/* Reads a whole file (at most MIB_FILE_MAX bytes) by router path; 0, or
 * -1 when it is missing, unreadable or larger. */
int mib_read_file(const char *path, std::vector<uint8_t> &out);

#endif
