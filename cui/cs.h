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
 *   CS_LISTS           per list: its names, numbers, capacity, entry layout
 *                      and where it keeps its entries
 *   CS_RESTOR_MIB_TBL  the lists as the text restore replays them
 *   CS_TIMEZONEVAL     the time zones by number
 *
 * The tables are read-only data without a relocation per row: every text
 * is a 16-bit offset into one string pool that the compiler builds from
 * the rows (cs_text()), checkers are numbers (cs_checker()), and fields
 * are as narrow as their values.  Names are at most 63 characters, checked
 * when the tables are compiled.
 */
#ifndef KP7_CS_H
#define KP7_CS_H

#include <stddef.h>
#include <stdint.h>

#include <array>

#include "cui.h"

/* cs_comm_c2m_t::kind: the value kind */
enum : uint16_t {
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

/* A checker of the kind OTHER: 0 and the converted value in `out`, or -1
 * (and `out` untouched). */
typedef int cs_checker_t(const char *value, void *out);

/* cs_comm_c2m_t::checker: the checkers by number (CS_CHECKERS order). */
enum : uint8_t {
	CS_CHK_NONE,
	CS_CHK_WLAN_BAND,
	CS_CHK_WLAN_FIX_RATE,
	CS_CHK_WLAN_ENCRYPT,
	CS_CHK_DHCP,
	CS_CHK_WAN_DHCP,
	CS_CHK_USB3G_CARRIER_SELECT,
	CS_CHK_USB3G_IDLE_TIME,
	CS_CHK_PING_MON_INTERVAL,
	CS_CHK_TIME_ZONE,
	CS_CHK_SCRLOG_ENABLED,
	CS_CHK_QOS_RULE_MODE,
	CS_CHK_COUNT
};

/* cs_comm_c2m_t::restore: how the text restore turns the dump's value
 * text back into what the set command takes. */
enum : uint8_t {
	CS_RESTORE_AS_IS,	/* the dump's text is the set value */
	CS_RESTORE_HEX_KEY,	/* hex digits printed bare: the "0x" goes back */
	CS_RESTORE_ZONE,	/* the zone value printed: its number goes back */
	CS_RESTORE_COUNT
};

/* Set-table and field-table record. */
struct cs_comm_c2m_t {
	uint16_t name;		/* cs_text() offset; "" in field tables */
	uint16_t kind;		/* CUI_SET_TYPE_* */
	uint32_t number;	/* store number; a list's add/delete/delete-all number */
	uint16_t min, max;	/* length range, or value range of STR_NUM */
	uint8_t hex_min, hex_max;	/* STR_HEX: length of the 0x form */
	uint8_t checker;	/* CS_CHK_*: kind OTHER */
	uint8_t wlan : 1;	/* per wireless network: INDEX picks vwlan_idx */
	uint8_t minutes : 1;	/* given in minutes, kept in seconds */
	uint8_t restore : 2;	/* CS_RESTORE_* */
};
static_assert(sizeof(cs_comm_c2m_t) == 16, "set record grew");

/* cgc2m_t::get_kind */
enum : uint8_t { CG_KIND_PLAIN = 0, CG_KIND_WLAN = 1, CG_KIND_EDNS = 2 };

/* Get-table record. */
struct cgc2m_t {
	uint16_t name;		/* cs_text() offset */
	uint16_t number;	/* 0 for the rows of a list kept outside the store */
	uint8_t get_kind;	/* CG_KIND_PLAIN, _WLAN; _EDNS: served by its list's operations */
	uint8_t bare : 1;	/* a number kept as text: printed without quotes */
	uint8_t minutes : 1;	/* kept in seconds, shown in minutes */
};
static_assert(sizeof(cgc2m_t) == 6, "get record grew");

/* The text restore's view of one list: its get, delete-all, add and count
 * names (cs_text() offsets). */
struct cs_restor_mib_t {
	uint16_t get_name;
	uint16_t delall_name;
	uint16_t add_name;
	uint16_t count_name;
	uint8_t zero;
};
static_assert(sizeof(cs_restor_mib_t) == 10, "restore record grew");

struct cs_timezoneval_t {
	uint8_t zone;		/* == position in the table */
	char value[7];		/* what the store keeps, e.g. "-9 1" */
	uint16_t desc;		/* cs_text() offset, at most 71 characters */
};
static_assert(sizeof(cs_timezoneval_t) == 10, "zone record grew");

/* A list's commands, the index into cs_list_t::cmd_name and cmd_number. */
enum { CS_LIST_ADD, CS_LIST_DEL, CS_LIST_DELALL, CS_LIST_COMMANDS };

struct cs_list_t;

/*
 * Where a list keeps its entries: the store, or a file of its own (the
 * host names).  The set, get and dump code reach a list's entries only
 * through these.  Entries are byte records of the list's entry_size.
 */
struct cs_list_ops_t {
	/* The number of entries; false when it cannot be read. */
	bool (*count)(const cui_soft_t *sc, const cs_list_t *list, uint32_t *count);
	/* Entry `index` (from 1) into `entry`; false when there is none. */
	bool (*read)(const cui_soft_t *sc, const cs_list_t *list, unsigned index, uint8_t *entry);
	/* Every entry in one pass, the first `max` into `entries`; the count.
	 * nullptr when the list's rows are read through the store's types. */
	unsigned (*read_all)(const cui_soft_t *sc, const cs_list_t *list, uint8_t *entries, unsigned max);
	/* A built entry's check beyond its fields, in a replay of the text
	 * restore or not: 0, or the position (from 1) of the field refused.
	 * nullptr: nothing more to check. */
	unsigned (*check_add)(const cs_list_t *list, const uint8_t *entry, bool replay);
	/* Carries out a checked command with the value in sc->msg; false when
	 * the write failed. */
	bool (*apply)(cui_soft_t *sc, const cs_list_t *list, const cs_comm_c2m_t *rec, int index);
	/* The fields' names in the trace of an add; nullptr: no such trace. */
	const char *const *add_trace;
	bool zero_deletes_all;	/* a delete of entry 0 empties the list */
	bool delete_by_entry;	/* a delete hands over the entry, read back */
};

/*
 * One list parameter.  Field i of an add goes to field_offset[i] with
 * field_width[i] bytes (1 and 2 take the number's low bits, most
 * significant byte first; 4 is an address or a 32-bit number, 6 a MAC; a
 * width of 0 marks a NUL-terminated text that runs to the end of its room,
 * field_room[i] bytes).
 */
#define CS_LIST_MAX_FIELDS 8
#define CS_ENTRY_MAX 328	/* the largest entry of any list: a host name's */
#define CS_LIST_MAX_BYTES 4096	/* room for every entry of any list */
struct cs_list_t {
	uint16_t name;		/* cs_text(): NAME of its entry rows, e.g. "PORTFW_TBL" */
	uint16_t count_name;	/* cs_text(): its count row */
	uint16_t cmd_name[CS_LIST_COMMANDS];	/* cs_text(): add, delete, delete-all */
	uint32_t cmd_number[CS_LIST_COMMANDS];	/* 0 for a list outside the store */
	uint16_t count_number;	/* 0 for a list outside the store */
	uint16_t read_number;	/* 0 for a list outside the store */
	uint16_t kind;		/* CUI_SET_TYPE_TBL_* */
	uint8_t capacity;	/* 10 or 20 */
	uint8_t n_fields;
	uint16_t entry_size;	/* the zeroed buffer handed to the store */
	const cs_comm_c2m_t *fields;
	const cs_list_ops_t *ops;
	uint16_t field_offset[CS_LIST_MAX_FIELDS];	/* a host entry's comment is at 260 */
	uint8_t field_width[CS_LIST_MAX_FIELDS];
	uint16_t field_room[CS_LIST_MAX_FIELDS];
};

#define CS_COMM_C2M_COUNT 153
#define CGC2M_COUNT 146
#define CS_RESTOR_MIB_COUNT 7
#define CS_TIMEZONE_COUNT 65
#define CS_LIST_COUNT 7

extern const std::array<cs_comm_c2m_t, CS_COMM_C2M_COUNT> CS_COMM_C2M;
extern const std::array<cgc2m_t, CGC2M_COUNT> CGC2M;
extern const std::array<cs_restor_mib_t, CS_RESTOR_MIB_COUNT> CS_RESTOR_MIB_TBL;
extern const std::array<cs_timezoneval_t, CS_TIMEZONE_COUNT> CS_TIMEZONEVAL;
extern const std::array<cs_list_t, CS_LIST_COUNT> CS_LISTS;

extern const std::array<cs_comm_c2m_t, 2> CS_MACAC_TBL;
extern const std::array<cs_comm_c2m_t, 3> CS_DHCPRSV_TBL;
extern const std::array<cs_comm_c2m_t, 5> CS_STATICROUTE_TBL;
extern const std::array<cs_comm_c2m_t, 3> CS_EASYDNS_TBL;
extern const std::array<cs_comm_c2m_t, 4> CS_PORTFIL_TBL;
extern const std::array<cs_comm_c2m_t, 6> CS_PORTFW_TBL;
extern const std::array<cs_comm_c2m_t, 8> CS_QOS_RULE_TBL;

/* Where the lists live (cui_store.cc, easydns.cc). */
extern const cs_list_ops_t CS_STORE_LIST_OPS;
extern const cs_list_ops_t CS_HOSTS_LIST_OPS;

/* The text at a pool offset of the tables. */
const char *cs_text(uint16_t at);

/* The checker of a kind-OTHER record; nullptr for none. */
cs_checker_t *cs_checker(const cs_comm_c2m_t *rec);

/* ---- lookups: whole name, case-sensitive; nullptr when not found ---- */

const cs_comm_c2m_t *cs_find_set_name(const char *name);
const cgc2m_t *cs_find_get_name(const char *name);
/* The list of a CUI_SET_TYPE_TBL_* kind, of a read number, or whose entry
 * or count row `row` is; nullptr for anything else. */
const cs_list_t *cs_find_list_by_kind(uint32_t kind);
const cs_list_t *cs_find_list_by_read_number(uint32_t read_number);
const cs_list_t *cs_find_list_by_row(const cgc2m_t *row);

/* Which of the list's commands `rec` is (CS_LIST_ADD...), or -1: its name
 * and number must both be the list's. */
int cs_list_command_of(const cs_list_t *list, const cs_comm_c2m_t *rec);

/* 1 when `name` is a set-table record of the kind STR_HEX, else 0. */
int CsChkStrHexMIB(const char *name);

/* ---- value checking and conversion ---- */

/*
 * In the environment of the set commands that the text restore runs: a
 * list entry is then taken back as the list held it, without the rules
 * that keep what a person types tidy (a host-name comment that lacks its
 * "#", or is longer than 64 characters).
 */
#define CS_REPLAY_ENV "KP7_TEXTCONF_REPLAY"

/* True in a set command that the text restore runs. */
bool cs_replaying(void);

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
 * per-network row) as dump text in sc->msg, as far as it holds it (the
 * get and the dump build theirs in a buffer of their own, long enough for
 * any); 0 or an error code. */
int cui_get_entry(cui_soft_t *sc, uint8_t index, const cgc2m_t *rec);

#endif
