/*
 * apmib.h - the router's settings store.
 *
 * Every setting is a numbered parameter kept in a current and a default
 * set (and a small hardware set).  Each set has a flash copy and a
 * working copy: apmib_set*() change the working copy, which later
 * processes see, until apmib_update() writes it to flash.
 *
 * Buffer forms (what `value` points at):
 *   byte, word, dword parameters  one 32-bit unsigned integer (host order)
 *   address parameters            4 bytes, IPv4, network byte order
 *   strings                       NUL-terminated; size from get_mibtype()
 *   5-, 6-, 13-byte strings       that many raw bytes
 *   list parameters               one entry, multi-byte fields big-endian.
 *     Read entry n (1-based): zero the buffer, put n in its first byte and
 *     pass the list's read number (bit 15).  Add (bit 16) passes the new
 *     entry, delete (bit 17) the entry as read back, delete-all (bit 18)
 *     ignores the buffer.  The plain count number holds the entry count.
 *
 * apmib_get/getDef/set/setDef/update return non-zero on success and 0 on
 * failure; get_mibtype() returns 0 on success.
 */
#ifndef KP7_APMIB_H
#define KP7_APMIB_H

#ifdef __cplusplus
extern "C" {
#endif

/* apmib_update() and apmib_updateFlash() kinds */
#define HW_SETTING 1
#define DEFAULT_SETTING 2
#define CURRENT_SETTING 4

/* list command bits */
#define MIB_TABLE_READ 0x8000
#define MIB_TABLE_ADD 0x10000
#define MIB_TABLE_DEL 0x20000
#define MIB_TABLE_DELALL 0x40000

/* store type codes reported by get_mibtype() */
enum {
	BYTE_T = 0,
	WORD_T = 1,
	STRING_T = 2,
	BYTE5_T = 3,
	BYTE6_T = 4,
	BYTE13_T = 5,
	IA_T = 6,
	DWORD_T = 7,
	BYTE_ARRAY_T = 8,
	TABLE_LIST_T = 9,
	WLAC_ARRAY_T = 10,
	DHCPRSVDIP_ARRY_T = 11,
	PORTFW_ARRAY_T = 12,
	IPFILTER_ARRAY_T = 13,
	PORTFILTER_ARRAY_T = 14,
	MACFILTER_ARRAY_T = 15,
	URLFILTER_ARRAY_T = 16,
	TRIGGERPORT_ARRAY_T = 17,
	STATICROUTE_ARRAY_T = 18,
	WDS_ARRAY_T = 19,
	QOS_ARRAY_T = 20,
	MESH_ACL_ARRAY_T = 21,
	SCHEDULE_ARRAY_T = 22,
	VLANCONFIG_ARRAY_T = 23,
};

/* the store's layout version (read only) */
#define MIB_VER 655

/* wireless selectors: radio (always 0 here) and network (0 own, 1 virtual) */
extern int wlan_idx;
extern int vwlan_idx;

int apmib_init(void);
int apmib_get(int id, void *value);
int apmib_getDef(int id, void *value);
int apmib_set(int id, void *value);
int apmib_setDef(int id, void *value);
int apmib_update(int which);
int get_mibtype(int id, int *type, int *size);

/*
 * Write a settings block taken from a firmware image into flash.
 * `block` starts with the 12-byte configuration section header
 * ("COMPCS"/"COMPDS"/"COMPHS", 16-bit rate, 32-bit compressed length,
 * both big-endian), `length` counts the header.  `kind` is one of the
 * *_SETTING values, `variant` 0..2, `version` the block's version or -1.
 * Returns non-zero when the block was valid and written.
 */
int apmib_updateFlash(int kind, char *block, int length, int variant, int version);

/*
 * Expand a compressed settings block.  Returns the expanded length or -1
 * on a malformed input.  Decode() never writes more than the length the
 * stream announces, and refuses streams announcing more than
 * APMIB_DECODE_MAX bytes (the largest possible config block).
 */
#define APMIB_DECODE_MAX (6 + 65535)
int Decode(const unsigned char *src, unsigned int length, unsigned char *dst);

#ifdef __cplusplus
}
#endif

#endif
