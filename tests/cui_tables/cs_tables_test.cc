/* The parameter tables against their documented contents, record by
 * record, and against each other and the store. */
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "apmib.h"
#include "cs.h"
#include "easydns.h"
#include "table_text.h"

namespace {

using std::regex;
using std::smatch;
using std::string;
using std::vector;

vector<string> lines_of(const char *text)
{
	vector<string> out;
	const char *p = text;
	while (*p) {
		const char *nl = strchr(p, '\n');
		size_t n = nl ? (size_t)(nl - p) : strlen(p);
		out.emplace_back(p, n);
		p += n + (nl ? 1 : 0);
	}
	return out;
}

vector<string> split(const string &s, const char *separator)
{
	regex re(separator);
	return vector<string>(std::sregex_token_iterator(s.begin(), s.end(), re, -1), {});
}

/* The cells of a table row "| a | b |", trimmed. */
vector<string> cells_of(const string &row)
{
	vector<string> out;
	for (const string &c : split(row, R"(\s*\|\s*)"))
		if (!c.empty())
			out.push_back(c);
	return out;
}

uint32_t number_of(const string &s)
{
	return (uint32_t)strtoul(s.c_str(), nullptr, 0);
}

vector<string> quoted_names(const string &s)
{
	vector<string> out;
	regex re("`(\\w+)`");
	for (std::sregex_iterator it(s.begin(), s.end(), re), end; it != end; ++it)
		out.push_back((*it)[1]);
	return out;
}

std::map<string, uint32_t> kind_codes()
{
	std::map<string, uint32_t> codes;
	string text = KINDS_TEXT;
	regex re(R"((\d+) \| `(\w+)`)");
	for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it)
		codes[(*it)[2]] = number_of((*it)[1]);
	return codes;
}

struct Checker {
	const char *name;
	cs_checker_t *fn;
};
constexpr Checker CHECKERS[] = {
	{"CsChkWlanBand", CsChkWlanBand},
	{"CsChkWLanFixRate", CsChkWLanFixRate},
	{"CsChkWlanEncrypt", CsChkWlanEncrypt},
	{"CsChkDhcp", CsChkDhcp},
	{"CsChkWanDhcp", CsChkWanDhcp},
	{"CsChkUsb3gCarrierSelect", CsChkUsb3gCarrierSelect},
	{"CsChkUsb3gIdleTime", CsChkUsb3gIdleTime},
	{"CsChkKp7PingMonInterval", CsChkKp7PingMonInterval},
	{"CsChkTimeZone", CsChkTimeZone},
	{"CsChkScrlogEnabled", CsChkScrlogEnabled},
	{"CsChkQosRuleMode", CsChkQosRuleMode},
};

cs_checker_t *checker_named(const string &name)
{
	for (const Checker &c : CHECKERS)
		if (name == c.name)
			return c.fn;
	return nullptr;
}

/* One record as the text has it. */
struct Rec {
	string name;
	uint32_t number = 0, kind = 0, min = 0, max = 0, hex_min = 0, hex_max = 0;
	bool wlan = false;
	string checker;
};

void expect_record(const Rec &want, const cs_comm_c2m_t &got, const string &where)
{
	SCOPED_TRACE(where + " " + want.name);
	EXPECT_STREQ(cs_text(got.name), want.name.c_str());
	EXPECT_EQ(got.number, want.number);
	EXPECT_EQ(got.kind, want.kind);
	EXPECT_EQ(got.wlan, want.wlan);
	EXPECT_EQ(got.min, want.min);
	EXPECT_EQ(got.max, want.max);
	EXPECT_EQ(got.hex_min, want.hex_min);
	EXPECT_EQ(got.hex_max, want.hex_max);
	EXPECT_EQ(cs_checker(&got), checker_named(want.checker)) << want.checker;
	/* a name fits its 64 characters with the NUL */
	EXPECT_LT(strlen(cs_text(got.name)), 64u);
}

struct ListRow {
	string get_name, count_name;
	string cmd[3];
	uint32_t number[3] = {}, count_number = 0, read_number = 0, capacity = 0, n_values = 0, kind = 0;
};

vector<ListRow> expected_lists()
{
	vector<ListRow> out;
	std::map<string, uint32_t> codes = kind_codes();
	vector<string> kinds = quoted_names(LIST_KINDS_TEXT);
	for (const string &row : lines_of(LISTS_TEXT)) {
		vector<string> c = cells_of(row);
		ListRow l;
		l.get_name = quoted_names(c[0])[0];
		regex cmd_re(R"(`(\w+)`(?: (0x[0-9A-F]+))?)");
		int i = 0;
		for (std::sregex_iterator it(c[1].begin(), c[1].end(), cmd_re), end; it != end; ++it, ++i) {
			l.cmd[i] = (*it)[1];
			l.number[i] = number_of((*it)[2]);
		}
		l.count_number = number_of(c[2]);	/* 0 when the row gives none */
		l.count_name = quoted_names(c[2])[0];
		l.read_number = number_of(c[3]);
		l.capacity = number_of(c[4]);
		l.n_values = number_of(c[5]);
		string kind = kinds[out.size()];
		l.kind = codes.at(kind.rfind("CUI_SET_TYPE", 0) == 0 ? kind : "CUI_SET_TYPE" + kind);
		out.push_back(l);
	}
	return out;
}

vector<Rec> expected_set_table()
{
	std::map<string, uint32_t> codes = kind_codes();
	vector<Rec> out;
	regex bullet(R"(^- `(\w+)` \((\d+)([^:]*)\): (.*)\.$)");
	regex item(R"(^`(\w+)` (\d+)(?: \((\d+)\.\.(\d+)\))?(?: `(\w+)`)?( \(w\))?(?: \([^)]*\))?$)");
	regex group_limits(R"(^(.*) \((\d+) / (\d+)\)$)");
	regex range(R"((\d+)\.\.(\d+))");
	for (const string &line : lines_of(SET_TEXT)) {
		smatch b;
		if (!regex_match(line, b, bullet))
			continue;
		uint32_t kind = codes.at(b[1]);
		string head = b[3];
		bool all_w = head.find("(w)") != string::npos;
		smatch r;
		bool head_range = regex_search(head, r, range);
		size_t before = out.size();
		for (string group : split(b[4], "; ")) {
			smatch g;
			uint32_t text_len = 0, hex_len = 0;
			if (regex_match(group, g, group_limits)) {
				text_len = number_of(g[2]);
				hex_len = number_of(g[3]);
				group = g[1];
			}
			for (const string &it : split(group, ", (?=`)")) {
				smatch m;
				EXPECT_TRUE(regex_match(it, m, item)) << it;
				Rec rec;
				rec.name = m[1];
				rec.number = number_of(m[2]);
				rec.kind = kind;
				rec.wlan = all_w || m[6].matched;
				if (m[3].matched) {
					rec.min = number_of(m[3]);
					rec.max = number_of(m[4]);
				} else if (head_range) {
					rec.min = number_of(r[1]);
					rec.max = number_of(r[2]);
				}
				if (hex_len) {
					rec.min = rec.max = text_len;
					rec.hex_min = rec.hex_max = hex_len;
				}
				rec.checker = m[5];
				out.push_back(rec);
			}
		}
		EXPECT_EQ(out.size() - before, number_of(b[2])) << b[1];
	}
	for (const ListRow &l : expected_lists()) {
		for (int i = 0; i < 3; i++) {
			Rec rec;
			rec.name = l.cmd[i];
			rec.number = l.number[i];
			rec.kind = l.kind;
			out.push_back(rec);
		}
	}
	return out;
}

struct GetRow {
	string name;
	uint32_t number;
	int32_t kind;
};

vector<GetRow> expected_get_table()
{
	vector<GetRow> out;
	string text = GET_TEXT;
	regex re(R"((\d+)\. `(\w+)`(?: (0x[0-9A-F]+|\d+))?(?: \((\w)\))?[;.])");
	for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it) {
		const smatch &m = *it;
		EXPECT_EQ(number_of(m[1]), out.size() + 1);
		string mark = m[4];
		out.push_back({m[2], number_of(m[3]), mark == "w" ? CG_KIND_WLAN : mark == "h" ? CG_KIND_EDNS : CG_KIND_PLAIN});
	}
	return out;
}

}  // namespace

TEST(CsTables, SetTableHoldsEveryDocumentedRecordInOrder)
{
	vector<Rec> want = expected_set_table();
	ASSERT_EQ(want.size(), (size_t)CS_COMM_C2M_COUNT);
	ASSERT_EQ(std::size(CS_COMM_C2M), (size_t)153);
	for (size_t i = 0; i < want.size(); i++)
		expect_record(want[i], CS_COMM_C2M[i], "set record " + std::to_string(i));
}

TEST(CsTables, GetTableHoldsEveryDocumentedRowInDumpOrder)
{
	vector<GetRow> want = expected_get_table();
	ASSERT_EQ(want.size(), (size_t)146);
	ASSERT_EQ(std::size(CGC2M), want.size());
	for (size_t i = 0; i < want.size(); i++) {
		SCOPED_TRACE("get row " + std::to_string(i + 1));
		EXPECT_STREQ(cs_text(CGC2M[i].name), want[i].name.c_str());
		EXPECT_EQ(CGC2M[i].number, want[i].number);
		EXPECT_EQ(CGC2M[i].get_kind, want[i].kind);
	}

	/* texts printed bare, and values the store keeps in seconds */
	const std::set<uint32_t> bare = {680, 1405, 1406, 1407, 16001}, minutes = {108, 1406, 16001};
	for (const cgc2m_t &g : CGC2M) {
		EXPECT_EQ(g.bare, bare.count(g.number)) << cs_text(g.name);
		EXPECT_EQ(g.minutes, minutes.count(g.number)) << cs_text(g.name);
	}
}

TEST(CsTables, ListsFieldTablesAndEntryLayouts)
{
	std::map<string, uint32_t> codes = kind_codes();
	struct FieldTable {
		const char *name;
		const cs_comm_c2m_t *recs;
		size_t n;
	};
	const FieldTable field_tables[] = {
		{"CS_MACAC_TBL", CS_MACAC_TBL.data(), CS_MACAC_TBL.size()},
		{"CS_DHCPRSV_TBL", CS_DHCPRSV_TBL.data(), CS_DHCPRSV_TBL.size()},
		{"CS_STATICROUTE_TBL", CS_STATICROUTE_TBL.data(), CS_STATICROUTE_TBL.size()},
		{"CS_EASYDNS_TBL", CS_EASYDNS_TBL.data(), CS_EASYDNS_TBL.size()},
		{"CS_PORTFIL_TBL", CS_PORTFIL_TBL.data(), CS_PORTFIL_TBL.size()},
		{"CS_PORTFW_TBL", CS_PORTFW_TBL.data(), CS_PORTFW_TBL.size()},
		{"CS_QOS_RULE_TBL", CS_QOS_RULE_TBL.data(), CS_QOS_RULE_TBL.size()},
	};
	/* layout rows are named by what the entry is, not by the list */
	const std::map<string, string> layout_of = {
		{"access-control MAC", "WLAN_MACAC_ADDR"}, {"reserved DHCP address", "DHCPRSVDIP_TBL"},
		{"static route", "STATICROUTE_TBL"},	   {"port filter", "PORTFILTER_TBL"},
		{"port forward", "PORTFW_TBL"},		   {"QoS rule", "QOS_RULE_TBL"},
		{"host name (not in the store)", "EASYDNS"},
	};
	struct Place {
		uint32_t offset, width;
		bool sized;
	};
	std::map<string, std::map<string, Place>> places;
	std::map<string, uint32_t> entry_sizes;
	for (const string &row : lines_of(LAYOUTS_TEXT)) {
		vector<string> c = cells_of(row);
		string list = layout_of.at(c[0]);
		entry_sizes[list] = c[2] == "—" ? (uint32_t)sizeof(cs_easydns_t) : number_of(c[2]);
		regex re(R"(^(\d+): (.+?)(?: \((\d+)\))?$)");
		for (const string &it : split(c[1], "; ")) {
			smatch m;
			ASSERT_TRUE(regex_match(it, m, re)) << it;
			places[list][m[2]] = {number_of(m[1]), number_of(m[3]), m[3].matched};
		}
	}

	vector<ListRow> lists = expected_lists();
	vector<string> field_rows = lines_of(FIELDS_TEXT);
	ASSERT_EQ(lists.size(), (size_t)CS_LIST_COUNT);
	ASSERT_EQ(field_rows.size(), lists.size());
	regex field_re(R"(^(.+?) \(`_(\w+)`(?:, (\d+)\.\.(\d+))?(?:, `(\w+)`)?(?:, [^)]*)?\)$)");
	for (size_t li = 0; li < lists.size(); li++) {
		const ListRow &want = lists[li];
		const cs_list_t &got = CS_LISTS[li];
		SCOPED_TRACE(want.get_name);
		EXPECT_STREQ(cs_text(got.name), want.get_name.c_str());
		EXPECT_STREQ(cs_text(got.count_name), want.count_name.c_str());
		EXPECT_EQ(got.kind, want.kind);
		for (int c = 0; c < CS_LIST_COMMANDS; c++) {
			EXPECT_STREQ(cs_text(got.cmd_name[c]), want.cmd[c].c_str());
			EXPECT_EQ(got.cmd_number[c], want.number[c]);
		}
		/* a list without a count number is kept by the host-name code */
		EXPECT_EQ(got.ops, want.count_number ? &CS_STORE_LIST_OPS : &CS_HOSTS_LIST_OPS);
		EXPECT_EQ(got.count_number, want.count_number);
		EXPECT_EQ(got.read_number, want.read_number);
		EXPECT_EQ(got.capacity, want.capacity);
		EXPECT_EQ(got.entry_size, entry_sizes.at(want.get_name));

		vector<string> c = cells_of(field_rows[li]);
		const FieldTable &ft = field_tables[li];
		EXPECT_EQ(quoted_names(c[0])[0], ft.name);
		EXPECT_EQ(got.fields, ft.recs);
		vector<string> values = split(c[1], "; ");
		ASSERT_EQ(values.size(), want.n_values);
		ASSERT_EQ(ft.n, values.size());
		ASSERT_EQ(got.n_fields, values.size());
		for (size_t i = 0; i < values.size(); i++) {
			smatch m;
			ASSERT_TRUE(regex_match(values[i], m, field_re)) << values[i];
			Rec rec;
			rec.kind = codes.at("CUI_SET_TYPE_" + string(m[2]));
			rec.min = number_of(m[3]);
			rec.max = number_of(m[4]);
			rec.checker = m[5];
			expect_record(rec, ft.recs[i], string(ft.name) + " " + string(m[1]));

			const Place &p = places.at(want.get_name).at(m[1]);
			bool text = rec.kind == CUI_SET_TYPE_STR;
			EXPECT_EQ(got.field_offset[i], p.offset) << m[1];
			EXPECT_EQ(got.field_width[i], text ? 0 : p.width) << m[1];
			EXPECT_EQ(got.field_room[i], p.sized ? p.width : got.entry_size - p.offset) << m[1];
			if (text) {	/* the longest text still has its NUL */
				EXPECT_LT(rec.max, got.field_room[i]) << m[1];
			}
		}
	}
}

TEST(CsTables, RestoreTableAndTimeZones)
{
	vector<string> rows = lines_of(RESTORE_TEXT);
	ASSERT_EQ(rows.size(), (size_t)CS_RESTOR_MIB_COUNT);
	for (size_t i = 0; i < rows.size(); i++) {
		vector<string> n = quoted_names(rows[i]);
		const cs_restor_mib_t &r = CS_RESTOR_MIB_TBL[i];
		EXPECT_STREQ(cs_text(r.get_name), n[0].c_str());
		EXPECT_STREQ(cs_text(r.delall_name), n[1].c_str());
		EXPECT_STREQ(cs_text(r.add_name), n[2].c_str());
		EXPECT_STREQ(cs_text(r.count_name), n[3].c_str());
		EXPECT_EQ(r.zero, 0);
	}

	string text = ZONES_TEXT;
	regex re(R"re((\d+) "([^"]*)" "([^"]*)")re");
	size_t n = 0;
	std::set<string> values;
	for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it, ++n) {
		ASSERT_LT(n, (size_t)CS_TIMEZONE_COUNT);
		const cs_timezoneval_t &tz = CS_TIMEZONEVAL[n];
		EXPECT_EQ(number_of((*it)[1]), n);
		EXPECT_EQ(tz.zone, n);
		EXPECT_STREQ(tz.value, string((*it)[2]).c_str());
		EXPECT_STREQ(cs_text(tz.desc), string((*it)[3]).c_str());
		EXPECT_TRUE(values.insert(tz.value).second) << tz.value;
	}
	EXPECT_EQ(n, (size_t)65);
	EXPECT_EQ(std::size(CS_TIMEZONEVAL), n);
}

TEST(CsTables, NamesAreUniqueAndTheTablesAgree)
{
	std::set<string> set_names, get_names;
	for (const cs_comm_c2m_t &r : CS_COMM_C2M)
		EXPECT_TRUE(set_names.insert(cs_text(r.name)).second) << cs_text(r.name);
	for (const cgc2m_t &r : CGC2M)
		EXPECT_TRUE(get_names.insert(cs_text(r.name)).second) << cs_text(r.name);

	/* the per-network rows are one run, rows 6 to 28 */
	for (int i = 0; i < CGC2M_COUNT; i++)
		EXPECT_EQ(CGC2M[i].get_kind == CG_KIND_WLAN, i + 1 >= 6 && i + 1 <= 28) << cs_text(CGC2M[i].name);

	/* rows that only get has: counts, lists, host-name rows, and one name
	 * spelt differently in the two tables */
	std::set<string> get_only = {"SSH_WAN_ACCESS_ENABLED"};
	for (const cs_list_t &l : CS_LISTS)
		get_only.insert(cs_text(l.name));
	for (const cs_restor_mib_t &r : CS_RESTOR_MIB_TBL)
		get_only.insert(cs_text(r.count_name));
	/* per network for set, but read for network 0 only */
	const std::set<string> set_only_wlan = {"WLAN_WSC_AUTH", "WLAN_WSC_SSID", "WLAN_WSC_PSK"};
	for (const cgc2m_t &g : CGC2M) {
		string name = cs_text(g.name);
		const cs_comm_c2m_t *s = cs_find_set_name(name.c_str());
		if (get_only.count(name)) {
			EXPECT_EQ(s, nullptr) << name;
			continue;
		}
		ASSERT_NE(s, nullptr) << name;
		EXPECT_EQ(s->number, g.number) << name;
		EXPECT_EQ(s->wlan, g.get_kind == CG_KIND_WLAN || set_only_wlan.count(name)) << name;
		/* minutes given are minutes shown */
		EXPECT_EQ(s->minutes, g.minutes) << name;
	}
	const cs_comm_c2m_t *ssh = cs_find_set_name("SSH_SSH_WAN_ACCESS_ENABLED");
	ASSERT_NE(ssh, nullptr);
	EXPECT_EQ(ssh->number, cs_find_get_name("SSH_WAN_ACCESS_ENABLED")->number);

	/* the restore table names each list's rows as the other tables do */
	for (size_t i = 0; i < CS_RESTOR_MIB_COUNT; i++) {
		const cs_restor_mib_t &r = CS_RESTOR_MIB_TBL[i];
		const char *get_name = cs_text(r.get_name);
		const cgc2m_t *count = cs_find_get_name(cs_text(r.count_name));
		const cgc2m_t *rows = cs_find_get_name(get_name);
		ASSERT_TRUE(count && rows) << get_name;
		const cs_list_t *l = cs_find_list_by_row(rows);
		ASSERT_EQ(l, &CS_LISTS[i]) << get_name;
		EXPECT_EQ(cs_find_list_by_row(count), l) << get_name;
		const cs_comm_c2m_t *add = cs_find_set_name(cs_text(r.add_name));
		const cs_comm_c2m_t *delall = cs_find_set_name(cs_text(r.delall_name));
		ASSERT_TRUE(add && delall) << get_name;
		EXPECT_EQ(cs_list_command_of(l, add), CS_LIST_ADD);
		EXPECT_EQ(cs_list_command_of(l, delall), CS_LIST_DELALL);
		EXPECT_EQ(add->kind, l->kind);
		EXPECT_EQ(count->number, l->count_number);
		EXPECT_EQ(rows->number, l->read_number);
		/* rows outside the store are served by the list's operations */
		EXPECT_EQ(rows->get_kind, l->read_number ? CG_KIND_PLAIN : CG_KIND_EDNS);
		EXPECT_EQ(count->get_kind, rows->get_kind);
		EXPECT_EQ(count + 1, rows) << "the count row comes just before the entries";
	}
}

TEST(CsTables, TheStoreKnowsEveryNumberWithARoomyEnoughType)
{
	for (const cs_comm_c2m_t &r : CS_COMM_C2M) {
		uint32_t kind = r.kind;
		const char *name = cs_text(r.name);
		if (cs_find_list_by_kind(kind))
			continue;
		int type = -1, size = 0;
		ASSERT_EQ(get_mibtype((int)r.number, &type, &size), 0) << name;
		switch (kind) {
		case CUI_SET_TYPE_STR:
		case CUI_SET_TYPE_STR_PSK:
			EXPECT_EQ(type, STRING_T) << name;
			EXPECT_GT((uint32_t)size, r.max) << name;
			break;
		case CUI_SET_TYPE_STR_NUM:
			EXPECT_EQ(type, STRING_T) << name;
			break;
		case CUI_SET_TYPE_IPA:
			EXPECT_EQ(type, IA_T) << name;
			break;
		case CUI_SET_TYPE_STR_HEX:
			EXPECT_TRUE(type == BYTE5_T || type == BYTE13_T) << name;
			EXPECT_EQ((uint32_t)size, r.max) << name;
			EXPECT_EQ((uint32_t)size, (r.hex_max - 2) / 2) << name;
			break;
		case CUI_SET_TYPE_NUM:
			EXPECT_TRUE(type == BYTE_T || type == WORD_T || type == DWORD_T) << name;
			break;
		}
	}
	for (const cs_list_t &l : CS_LISTS) {
		if (!l.read_number)
			continue;
		int type = -1, size = 0;
		const char *name = cs_text(l.name);
		ASSERT_EQ(get_mibtype((int)l.read_number, &type, &size), 0) << name;
		EXPECT_EQ((uint32_t)size, l.entry_size) << name;
		EXPECT_LE(l.entry_size, CS_ENTRY_MAX) << name;
		for (uint32_t n : {(uint32_t)l.count_number, l.cmd_number[0], l.cmd_number[1], l.cmd_number[2]})
			EXPECT_EQ(get_mibtype((int)n, &type, &size), 0) << name << " " << n;
	}
}

TEST(CsTables, Lookups)
{
	EXPECT_EQ(cs_find_set_name("WLAN_SSID"), &CS_COMM_C2M[74]);
	EXPECT_EQ(cs_find_set_name("wlan_ssid"), nullptr);
	EXPECT_EQ(cs_find_get_name("wlan_ssid"), nullptr);
	EXPECT_EQ(cs_find_set_name("WLAN_SSI"), nullptr);
	EXPECT_EQ(cs_find_set_name("WLAN_SSID "), nullptr);
	EXPECT_EQ(cs_find_set_name(""), nullptr);
	EXPECT_EQ(cs_find_get_name(""), nullptr);
	EXPECT_EQ(cs_find_set_name(nullptr), nullptr);
	EXPECT_EQ(cs_find_get_name(nullptr), nullptr);
	EXPECT_NE(cs_find_get_name("SSH_WAN_ACCESS_ENABLED"), nullptr);
	EXPECT_EQ(cs_find_set_name("SSH_WAN_ACCESS_ENABLED"), nullptr);
	EXPECT_NE(cs_find_set_name("SSH_SSH_WAN_ACCESS_ENABLED"), nullptr);
	EXPECT_EQ(cs_find_get_name("SSH_SSH_WAN_ACCESS_ENABLED"), nullptr);
	EXPECT_NE(cs_find_get_name("WLAN_MACAC_ADDR_NUM"), nullptr);
	EXPECT_EQ(cs_find_set_name("WLAN_MACAC_ADDR_NUM"), nullptr);
	EXPECT_NE(cs_find_set_name("WLAN_MACAC_ADDR_ADD"), nullptr);
	EXPECT_EQ(cs_find_get_name("WLAN_MACAC_ADDR_ADD"), nullptr);
	EXPECT_EQ(cs_find_get_name("SSH_ATTACK_LIMIT"), &CGC2M[145]);

	/* the text restore rewrites the hex keys' and the time zone's lines */
	for (const cs_comm_c2m_t &r : CS_COMM_C2M) {
		int want = r.kind == CUI_SET_TYPE_STR_HEX	    ? CS_RESTORE_HEX_KEY :
			   cs_checker(&r) == CsChkTimeZone ? CS_RESTORE_ZONE :
							     CS_RESTORE_AS_IS;
		EXPECT_EQ(r.restore, want) << cs_text(r.name);
	}

	EXPECT_EQ(CsChkStrHexMIB("WLAN_WEP128_KEY3"), 1);
	EXPECT_EQ(CsChkStrHexMIB("WLAN_WEP64_KEY1"), 1);
	EXPECT_EQ(CsChkStrHexMIB("WLAN_WPA_PSK"), 0);
	EXPECT_EQ(CsChkStrHexMIB("wlan_wep128_key3"), 0);
	EXPECT_EQ(CsChkStrHexMIB("NO_SUCH_NAME"), 0);
	EXPECT_EQ(CsChkStrHexMIB(nullptr), 0);

	for (const cs_list_t &l : CS_LISTS) {
		EXPECT_EQ(cs_find_list_by_kind(l.kind), &l);
		EXPECT_EQ(cs_find_list_by_row(cs_find_get_name(cs_text(l.name))), &l);
		if (l.read_number) {
			EXPECT_EQ(cs_find_list_by_read_number(l.read_number), &l);
		}
	}
	EXPECT_EQ(cs_find_list_by_kind(CUI_SET_TYPE_TBL_EDNS), cs_find_list_by_row(cs_find_get_name("EASYDNS")));
	EXPECT_EQ(cs_find_list_by_kind(CUI_SET_TYPE_STR), nullptr);
	EXPECT_EQ(cs_find_list_by_read_number(0), nullptr);
	EXPECT_EQ(cs_find_list_by_read_number(0x8071), nullptr);
	EXPECT_EQ(cs_find_list_by_row(cs_find_get_name("PORTFW_ENABLED")), nullptr);
	EXPECT_EQ(cs_find_list_by_row(cs_find_get_name("EASYDNS_NUM")), cs_find_list_by_kind(CUI_SET_TYPE_TBL_EDNS));
}
