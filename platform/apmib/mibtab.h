/*
 * mibtab.h - the parameter table of the settings store.
 *
 * One constant record per parameter.  A list is one record under its read
 * number; its count, add, delete and delete-all numbers follow from it
 * (count = base - 1, add/del/delall = base + 1/2/3 with their command
 * bit, base being the read number without bit 15).
 */
#ifndef KP7_APMIB_MIBTAB_H
#define KP7_APMIB_MIBTAB_H

#include <stddef.h>
#include <stdint.h>

#include "apmib.h"

enum {
	MIB_F_WLAN = 1, /* one value per wireless network (vwlan_idx 0, 1) */
	MIB_F_HW = 2,   /* lives in the hardware set */
	MIB_F_RO = 4,   /* read only */
	MIB_F_LIST = 8, /* list of fixed-size entries */
};

struct MibRec {
	int id;             /* store number; lists: the read number */
	const char *name;   /* name known to the flash tool; lists: the list */
	uint8_t type;       /* store type code of apmib.h */
	uint16_t size;      /* value size; lists: entry size */
	uint8_t flags;      /* MIB_F_* */
	uint8_t cap;        /* lists: most entries */
	const char *def;    /* factory value as text (see mibval.h) */
	const char *def1;   /* factory value of network 1, null: same as def */
	const char *count_name; /* lists: name of the count */
};

/* What a store number addresses within its record. */
enum MibRole { MIB_VALUE, MIB_COUNT, MIB_READ, MIB_ADD, MIB_DEL, MIB_DELALL };

struct MibRef {
	const MibRec *rec;
	MibRole role;
};

#include "mibparams.h"

inline constexpr size_t MIB_PARAM_COUNT = sizeof(MIB_PARAMS) / sizeof(MIB_PARAMS[0]);

/* The layout version compiled in; the root's /etc/mib_version overrides. */
#define MIB_LAYOUT_VERSION 7

/* Sets: kind codes of apmib.h. */
inline bool mib_in_set(const MibRec *rec, int kind)
{
	bool hw = rec->flags & MIB_F_HW;
	return kind == HW_SETTING ? hw : !hw;
}

inline size_t mib_index(const MibRec *rec)
{
	return (size_t)(rec - MIB_PARAMS);
}

/* Store number -> record and role; rec null when unknown. */
MibRef mib_lookup(int id);
/* Name -> record and role (VALUE for plain names and lists, COUNT for a
 * list's count name); rec null when unknown. */
MibRef mib_lookup_name(const char *name);

int mib_list_count_id(const MibRec *rec);
int mib_list_cmd_id(const MibRec *rec, MibRole role);

#endif
