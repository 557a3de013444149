/*
 * cs.h - parameter names and the checking of set values.
 *
 * Constant tables map each symbolic name to its store number and say how
 * a value given on the command line is checked and turned into the form
 * the store takes:
 *
 *   CS_COMM_C2M        the set table: every name `kp7cui -s` accepts
 *   CGC2M              the get table, in dump order
 *   CS_*_TBL           the fields of one entry of each list, in add order
 *   CS_LISTS           per list: its numbers, capacity and entry layout
 *   CS_RESTOR_MIB_TBL  the lists as the text restore replays them
 *   CS_TIMEZONEVAL     the time zones by number
 */
#ifndef KP7_CS_H
#define KP7_CS_H

#include <stddef.h>
#include <stdint.h>

#include "cui.h"

/* cs_comm_c2m_t::kind, bits 0-8: the value kind */
enum : uint32_t {
	CUI_SET_TYPE_NUM = 1,
	CUI_SET_TYPE_STR = 2,
	CUI_SET_TYPE_STR_NUM = 3,
	CUI_SET_TYPE_IPA = 5,
	CUI_SET_TYPE_MAC = 6,
	CUI_SET_TYPE_STR_HEX = 7,
	CUI_SET_TYPE_STR_PSK = 8,
	CUI_SET_TYPE_TBL_MACAC = 9,
	CUI_SET_TYPE_TBL_DHCPRSV = 10,
	CUI_SET_TYPE_TBL_STCRT = 11,
	CUI_SET_TYPE_TBL_EDNS = 12,
	CUI_SET_TYPE_TBL_PFL = 13,
	CUI_SET_TYPE_TBL_PFW = 14,
	CUI_SET_TYPE_TBL_QOS = 64,
	CUI_SET_TYPE_OTHER = 256,
};
#define CUI_SET_TYPE_MASK 0x1ffu
#define CUI_SET_F_EDNS (1u << 30)	/* host-name list, kept in the hosts file */
#define CUI_SET_F_WLAN (1u << 31)	/* per wireless network: INDEX picks vwlan_idx */

/* A checker of the kind OTHER: 0 and the converted value in `out`, or -1
 * (and `out` untouched). */
typedef int cs_checker_t(const char *value, void *out);

/* Set-table and field-table record. */
struct cs_comm_c2m_t {
	char name[64];		/* empty in field tables */
	uint32_t number;	/* store number; a list's add/delete/delete-all number */
	uint32_t kind;		/* value kind | CUI_SET_F_* */
	uint32_t min, max;	/* length range, or value range of STR_NUM */
	uint32_t hex_min, hex_max;	/* STR_HEX: length of the 0x form */
	cs_checker_t *checker;	/* kind OTHER */
};

/* cgc2m_t::get_kind */
enum { CG_KIND_PLAIN = 0, CG_KIND_WLAN = 1, CG_KIND_EDNS = 2 };

/* Get-table record. */
struct cgc2m_t {
	char name[64];
	uint32_t number;	/* 0 for the two host-name rows */
	int32_t get_kind;
};

/* The text restore's view of one list. */
struct cs_restor_mib_t {
	char get_name[64];	/* NAME of the list's dump lines */
	char delall_name[64];
	char add_name[64];
	char count_name[64];
	uint8_t zero;
};

struct cs_timezoneval_t {
	uint8_t zone;		/* == position in the table */
	char desc[72];
	char value[7];		/* what the store keeps, e.g. "-9 1" */
};

/*
 * One list parameter.  Entries are exchanged with the store as byte
 * records of `entry_size` bytes; field i of the add goes to
 * field_offset[i] with field_width[i] bytes (1 and 2 take the number's low
 * bits, most significant byte first; 4 is an address or a 32-bit number,
 * 6 a MAC; a width of 0 marks a NUL-terminated text that runs to the end
 * of its room, field_room[i] bytes).
 */
#define CS_LIST_MAX_FIELDS 8
struct cs_list_t {
	uint32_t kind;		/* CUI_SET_TYPE_TBL_* */
	const char *get_name;	/* e.g. "PORTFW_TBL" */
	uint32_t add, del, delall;	/* 0 for the host-name list */
	uint32_t count_number;	/* 0 for the host-name list */
	uint32_t read_number;	/* 0 for the host-name list */
	uint32_t capacity;	/* 10 or 20 */
	uint32_t entry_size;	/* the zeroed buffer handed to the store */
	const cs_comm_c2m_t *fields;
	uint8_t n_fields;
	uint16_t field_offset[CS_LIST_MAX_FIELDS];	/* a host entry's comment is at 260 */
	uint8_t field_width[CS_LIST_MAX_FIELDS];
	uint16_t field_room[CS_LIST_MAX_FIELDS];
};

#define CS_COMM_C2M_COUNT 153
#define CGC2M_COUNT 146
#define CS_RESTOR_MIB_COUNT 7
#define CS_TIMEZONE_COUNT 65
#define CS_LIST_COUNT 7

extern const cs_comm_c2m_t CS_COMM_C2M[CS_COMM_C2M_COUNT];
extern const cgc2m_t CGC2M[CGC2M_COUNT];
extern const cs_restor_mib_t CS_RESTOR_MIB_TBL[CS_RESTOR_MIB_COUNT];
extern const cs_timezoneval_t CS_TIMEZONEVAL[CS_TIMEZONE_COUNT];
extern const cs_list_t CS_LISTS[CS_LIST_COUNT];

extern const cs_comm_c2m_t CS_MACAC_TBL[2];
extern const cs_comm_c2m_t CS_DHCPRSV_TBL[3];
extern const cs_comm_c2m_t CS_STATICROUTE_TBL[5];
extern const cs_comm_c2m_t CS_EASYDNS_TBL[3];
extern const cs_comm_c2m_t CS_PORTFIL_TBL[4];
extern const cs_comm_c2m_t CS_PORTFW_TBL[6];
extern const cs_comm_c2m_t CS_QOS_RULE_TBL[8];

/* ---- lookups: whole name, case-sensitive; nullptr when not found ---- */

const cs_comm_c2m_t *CsFindSetName(const char *name);
const cgc2m_t *CsFindGetName(const char *name);
/* The list of a CUI_SET_TYPE_TBL_* kind, or of a get-table list row's
 * read number; nullptr for anything else. */
const cs_list_t *CsFindListByKind(uint32_t kind);
const cs_list_t *CsFindListByReadNumber(uint32_t read_number);
const cs_list_t *CsFindListByGetName(const char *get_name);

/* 1 when `name` is a set-table record of the kind STR_HEX, else 0. */
int CsChkStrHexMIB(const char *name);

/* ---- value checking and conversion ---- */

/*
 * Checks the value operand(s) argv[sc->n_arg]... against `rec` and writes
 * the store's form of the value into `out` (the zeroed 1024-byte message
 * buffer).  `index` is the command's INDEX (list deletes use it).  A list
 * add advances sc->n_arg past all but its last field.  Returns 0, or an
 * error code with its message (no trailing newline) in sc->msg.
 */
int CsCheckAndMakeData(cui_soft_t *sc, int argc, char **argv, int index,
		       const cs_comm_c2m_t *rec, void *out);

/* Checkers of the kind OTHER. */
cs_checker_t CsChkWlanBand;
cs_checker_t CsChkWLanFixRate;
cs_checker_t CsChkWlanEncrypt;
cs_checker_t CsChkDhcp;
cs_checker_t CsChkWanDhcp;
cs_checker_t CsChkUsb3gCarrierSelect;
cs_checker_t CsChkUsb3gIdleTime;
cs_checker_t CsChkKp7PingMonInterval;
cs_checker_t CsChkTimeZone;
cs_checker_t CsChkScrlogEnabled;
cs_checker_t CsChkQosRuleMode;

/* The zone number (0..64) whose value is exactly `value`, or -1. */
int CsChkTimeZoneFromVal(const char *value);

/* ---- the get command (cui_get.cc) ---- */

/* The value of `rec` (entry `index` of a list, network `index` of a
 * per-network row) as dump text in sc->msg; 0 or an error code. */
int cui_get_entry(cui_soft_t *sc, uint8_t index, const cgc2m_t *rec);

#endif
