/* List commands against a real store and hosts file in a private root:
 * entries built byte for byte, counts, capacities, field positions, the
 * entry read back for a delete. */
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "roots.h"
#include "apmib.h"
#include "check_util.h"
#include "cs.h"
#include "easydns.h"

using std::string;

namespace {

/* An entry as the store keeps it, written field by field. */
struct Entry {
	Bytes b;
	explicit Entry(size_t size) : b(size) {}
	Entry &at(size_t off, const Bytes &v)
	{
		memcpy(&b[off], v.data(), v.size());
		return *this;
	}
};

/* Checks the add and hands the entry to the store, as the set command does. */
void add(const char *name, const std::vector<string> &values)
{
	Outcome o = check(name, values);
	ASSERT_EQ(o.code, 0) << name << ": " << o.msg;
	ASSERT_NE(apmib_set((int)cs_find_set_name(name)->number, cui_soft.msg), 0) << name;
}

uint32_t count_of(uint32_t count_number)
{
	uint32_t n = 0;
	EXPECT_NE(apmib_get((int)count_number, &n), 0);
	return n;
}

void write_hosts(const TempRoot &root, const string &text)
{
	make_dirs(root / "var/mnt/etc");
	write_all(root / "var/mnt/etc/hosts", Bytes(text.begin(), text.end()));
}

string ip_of(int i)
{
	return "10.0." + std::to_string(i / 200) + "." + std::to_string(i % 200 + 1);
}

}  // namespace

TEST(CsList, AddsBuildTheStoreEntryFieldByField)
{
	TempRoot root;
	ASSERT_TRUE(in_root(root, [] {
		struct Case {
			const char *add;
			std::vector<string> values;
			Bytes want;
			uint32_t count_number;
		};
		const Case cases[] = {
			{"WLAN_MACAC_ADDR_ADD", {"001122aabbCC", "printer"},
			 Entry(27).at(0, hx("001122aabbcc")).at(6, txt("printer")).b, 53},
			{"DHCPRSVDIP_ADD", {"192.168.0.20", "a0b1c2d3e4f5", "nas box"},
			 Entry(42).at(0, hx("c0a80014")).at(4, hx("a0b1c2d3e4f5")).at(10, txt("nas box")).b, 293},
			/* one-byte fields take the low 8 bits */
			{"STATICROUTE_ADD", {"10.1.0.0", "255.255.0.0", "192.168.0.254", "258", "0x1ff"},
			 Entry(14).at(0, hx("0a010000" "ffff0000" "c0a800fe" "02" "ff")).b, 217},
			/* two-byte fields the low 16 bits, most significant first */
			{"PORTFILTER_ADD", {"1", "80", "70000", "ssh"},
			 Entry(26).at(0, hx("0050" "1170" "01")).at(5, txt("ssh")).b, 129},
			{"PORTFW_ADD", {"192.168.0.10", "257", "80", "65536", "8080", "web"},
			 Entry(32).at(0, hx("c0a8000a" "0050" "0000" "01" "1f90")).at(11, txt("web")).b, 111},
			/* four-byte numbers most significant first */
			{"QOS_ADD", {"1", "001122334455", "9", "10.0.0.1", "10.0.0.2", "0x12345678", "-1", "voip"},
			 Entry(40).at(0, txt("voip")).at(16, hx("01001122334455090a0000010a00000212345678ffffffff")).b, 310},
		};
		for (const Case &c : cases) {
			Outcome o = check(c.add, c.values, 7);	/* an add's INDEX is not used */
			expect_value(o, c.want, c.add);
			/* n_arg is left on the last value */
			EXPECT_EQ(o.n_arg, FIRST_VALUE + (int)c.values.size() - 1) << c.add;
			add(c.add, c.values);
			EXPECT_EQ(count_of(c.count_number), 1u) << c.add;
		}
	}));
}

TEST(CsList, AddRefusalsNameTheField)
{
	TempRoot root;
	ASSERT_TRUE(in_root(root, [] {
		const char *illegal = "ERROR 8: illegal value";
		const std::vector<string> qos = {"1", "001122334455", "9", "10.0.0.1", "10.0.0.2", "1", "2", "voip"};
		struct Case {
			const char *add;
			std::vector<string> values;
			string msg;
		};
		std::vector<Case> cases = {
			{"DHCPRSVDIP_ADD", {"10.0.0.256", "a0b1c2d3e4f5", "x"}, string(illegal) + "(1)"},
			{"DHCPRSVDIP_ADD", {"10.0.0.5", "a0:b1:c2:d3:e4:f5", "x"}, string(illegal) + "(2)"},
			{"DHCPRSVDIP_ADD", {"10.0.0.5", "a0b1c2d3e4f5", repeat('c', 21)}, string(illegal) + "(3)"},
			{"WLAN_MACAC_ADDR_ADD", {"001122aabbcc", "two\nlines"}, string(illegal) + "(2)"},
			{"STATICROUTE_ADD", {"10.1.0.0", "255.255.0.0", "gateway", "0", "1"}, string(illegal) + "(3)"},
			{"PORTFW_ADD", {"192.168.0.10", "1", "80", "80", "8080", repeat('w', 21)}, string(illegal) + "(6)"},
			{"QOS_ADD", {"1", "001122334455", "9", "10.0.0.1", "10.0.0.2", "1", "2", ""}, string(illegal) + "(8)"},
			{"QOS_ADD", {"1", "001122334455", "9", "10.0.0.1", "10.0.0.2", "1", "2", repeat('q', 16)},
			 string(illegal) + "(8)"},
			{"QOS_ADD", {"1", "001122334455", "9", "10.0.0.1", "10.0.0.2", "1", "2"}, "ERROR 8: shortarg of value"},
			{"PORTFILTER_ADD", {}, "ERROR 8: shortarg of value"},
		};
		/* mode, then the two addresses: positions 3 to 5 */
		for (unsigned k : {3u, 4u, 5u}) {
			std::vector<string> v = qos;
			v[k - 1] = k == 3 ? "7" : "10.0.0";
			cases.push_back({"QOS_ADD", v, string(illegal) + "(" + std::to_string(k) + ")"});
		}
		for (const Case &c : cases) {
			Outcome o = check(c.add, c.values);
			expect_refused(o, 8, c.msg, c.add + string(" ") + c.msg);
		}
		/* the edges of a rule name still fit */
		for (const string &name : {string("q"), repeat('q', 15)}) {
			std::vector<string> v = qos;
			v[7] = name;
			EXPECT_EQ(check("QOS_ADD", v).code, 0) << name;
		}
		/* the count comes from the set the command names */
		expect_refused(check("PORTFW_ADD", {}, 0, 0, CUI_SET_FILE), 11, "ERROR 11: get MIB failed", "set type 3");

		/* a full list refuses before it looks at the values */
		for (int i = 0; i < 20; i++)
			add("DHCPRSVDIP_ADD", {ip_of(i), "a0b1c2d3e4f5", "pc" + std::to_string(i)});
		for (int i = 0; i < 10; i++)
			add("WLAN_MACAC_ADDR_ADD", {"00112233440" + std::to_string(i), ""});
		expect_refused(check("DHCPRSVDIP_ADD", {}), 9, "ERROR 9: table entry full", "dhcp");
		expect_refused(check("WLAN_MACAC_ADDR_ADD", {"001122334499", "x"}), 9, "ERROR 9: table entry full",
			       "macac");
		/* the default set's lists are still empty */
		EXPECT_EQ(check("DHCPRSVDIP_ADD", {ip_of(0), "a0b1c2d3e4f5", ""}, 0, 0, CUI_SET_DEFAULT).code, 0);
	}));
}

TEST(CsList, DeleteReadsTheEntryBack)
{
	TempRoot root;
	ASSERT_TRUE(in_root(root, [] {
		add("PORTFW_ADD", {"192.168.0.10", "1", "80", "80", "8080", "web"});
		add("PORTFW_ADD", {"192.168.0.11", "2", "53", "53", "5353", "dns"});
		const Bytes second = Entry(32).at(0, hx("c0a8000b" "0035" "0035" "02" "14e9")).at(11, txt("dns")).b;

		expect_value(check("PORTFW_DEL", {}, 2), second, "entry 2");
		for (int index : {3, 0, -1, 256 + 2})
			expect_refused(check("PORTFW_DEL", {"ignored"}, index), 7, "ERROR 7: illegal index",
				       std::to_string(index));
		/* counted in the set the command names */
		expect_refused(check("PORTFW_DEL", {}, 1, 0, CUI_SET_DEFAULT), 7, "ERROR 7: illegal index", "default");
		expect_refused(check("PORTFW_DEL", {}, 1, 0, CUI_SET_FILE), 11, "ERROR 11: get MIB failed", "file");

		/* what the check leaves is what the store's delete takes */
		Outcome o = check("PORTFW_DEL", {}, 1);
		ASSERT_EQ(o.code, 0);
		ASSERT_NE(apmib_set(0x20072, cui_soft.msg), 0);
		EXPECT_EQ(count_of(111), 1u);
		expect_value(check("PORTFW_DEL", {}, 1), second, "former entry 2");

		/* delete-all: no value, nothing checked, nothing built */
		Outcome all = check("PORTFW_DELALL", {}, 99, 7);
		expect_value(all, {}, "delete-all");
		EXPECT_EQ(all.trace, "PORTFW_DELALL(262259) CUI_SET_TYPE_TBL_PFW: ");
		expect_value(check("QOS_DELALL", {}, -5, 0, CUI_SET_FILE), {}, "delete-all of any set");
	}));
}

TEST(CsList, HostNameList)
{
	TempRoot root;
	write_hosts(root, "# local names\n127.0.0.1\tlocalhost.localdomain\tlocalhost\n"
			  "192.168.0.2\tprinter\t#office\n192.168.0.3\tnas\t#disk\n");
	ASSERT_TRUE(in_root(root, [&root] {
		cs_easydns_t want = {};
		memcpy(want.addr, "\x0a\x00\x00\x05", 4);
		strcpy(want.host, "media server");
		strcpy(want.comment, "#living room");
		const Bytes want_bytes((uint8_t *)&want, (uint8_t *)&want + sizeof(want));

		Outcome o = check("EASYDNS_ADD", {"10.0.0.5", "media server", "#living room"}, 0, 7);
		expect_value(o, want_bytes, "add");
		/* the count is read from the hosts file, which traces its lines */
		EXPECT_EQ(o.trace, "EASYDNS_ADD(0) CUI_SET_TYPE_TBL_EDNS: "
				   "127.0.0.1 localhost.localdomain localhost\n"
				   "192.168.0.2 printer #office\n192.168.0.3 nas #disk\n"
				   "  param count = 3\n"
				   "  ip:10.0.0.5->(0) CUI_SET_TYPE_IPA: \n"
				   "  hostname:media server->(0) CUI_SET_TYPE_STR: \n"
				   "  comment:#living room->(0) CUI_SET_TYPE_STR: \n");
		EXPECT_EQ(o.n_arg, FIRST_VALUE + 2);

		const char *illegal = "ERROR 8: illegal value";
		struct Case {
			std::vector<string> values;
			string msg;
		};
		const Case refused[] = {
			{{"10.0.0.256", "pc", "#x"}, string(illegal) + "(1)"},
			{{"10.0.0.5", "", "#x"}, string(illegal) + "(2)"},
			{{"10.0.0.5", "a\tb", "#x"}, string(illegal) + "(2)"},
			{{"10.0.0.5", "a\nb", "#x"}, string(illegal) + "(2)"},
			{{"10.0.0.5", repeat('h', 256), "#x"}, string(illegal) + "(2)"},
			{{"10.0.0.5", "pc", "note"}, string(illegal) + "(3)"},
			{{"10.0.0.5", "pc", "#a\tb"}, string(illegal) + "(3)"},
			{{"10.0.0.5", "pc", "#a\nb"}, string(illegal) + "(3)"},
			{{"10.0.0.5", "pc", "#" + repeat('c', 64)}, string(illegal) + "(3)"},
			{{"10.0.0.5", "pc"}, "ERROR 8: shortarg of value"},
		};
		for (const Case &c : refused)
			expect_refused(check("EASYDNS_ADD", c.values), 8, c.msg, c.msg);
		EXPECT_EQ(check("EASYDNS_ADD", {"10.0.0.5", repeat('h', 255), "#" + repeat('c', 63)}).code, 0);
		/* a hosts line without a comment is ordinary */
		EXPECT_EQ(check("EASYDNS_ADD", {"10.0.0.5", "pc", ""}).code, 0);

		/* the text restore takes back any comment field the file held:
		 * no "#", up to the record's 67 characters; never a separator */
		setenv(CS_REPLAY_ENV, "1", 1);
		cs_easydns_t held = {{10, 0, 0, 4}, "nas", ""};
		memcpy(held.comment, string(67, 'c').c_str(), 67);
		expect_value(check("EASYDNS_ADD", {"10.0.0.4", "nas", string(67, 'c')}),
			     Bytes((uint8_t *)&held, (uint8_t *)&held + sizeof(held)), "replayed comment");
		EXPECT_EQ(check("EASYDNS_ADD", {"10.0.0.4", "nas", "storage box"}).code, 0);
		for (const Case &c : std::vector<Case>{{{"10.0.0.5", "pc", string(68, 'c')}, string(illegal) + "(3)"},
						      {{"10.0.0.5", "pc", "a\tb"}, string(illegal) + "(3)"},
						      {{"10.0.0.5", "a\tb", "x"}, string(illegal) + "(2)"},
						      {{"10.0.0.5", "", "x"}, string(illegal) + "(2)"}})
			expect_refused(check("EASYDNS_ADD", c.values), 8, c.msg, "replay: " + c.msg);
		/* the store's lists are held to their fields as ever */
		expect_refused(check("WLAN_MACAC_ADDR_ADD", {"001122334455", string(21, 'c')}), 8,
			       string(illegal) + "(2)", "replay: store list");
		unsetenv(CS_REPLAY_ENV);

		/* deletes only check the index against the file's count */
		expect_value(check("EASYDNS_DEL", {}, 2), {}, "entry 2");
		expect_value(check("EASYDNS_DEL", {}, 0), {}, "every entry");
		expect_value(check("EASYDNS_DELALL", {}, 0), {}, "delete-all");
		for (int index : {3, -1, 258})
			expect_refused(check("EASYDNS_DEL", {}, index), 7, "ERROR 7: illegal index", std::to_string(index));

		/* a file of ten entries is full */
		string ten = "127.0.0.1\tlocalhost.localdomain\t\n";
		for (int i = 0; i < 10; i++)
			ten += ip_of(i) + "\thost" + std::to_string(i) + "\t#\n";
		write_hosts(root, ten);
		expect_refused(check("EASYDNS_ADD", {}), 9, "ERROR 9: table entry full", "full");
		EXPECT_EQ(check("EASYDNS_DEL", {}, 10).code, 0);
	}));
}

TEST(CsList, CommandsTheListDoesNotHave)
{
	cs_comm_c2m_t rec = *cs_find_set_name("PORTFW_ADD");
	for (uint32_t number : {0x10037u, 0x10070u, 0x10074u, 0u}) {
		rec.number = number;
		expect_refused(check_rec(&rec, {"1"}), 6, "ERROR 6: illegal name", std::to_string(number));
	}
	/* the host-name commands carry no number: their names tell them apart */
	rec = *cs_find_set_name("EASYDNS_ADD");
	for (const char *name : {"EASYDNS", "EASYDNS_NUM", "PORTFW_ADD", "OP_MODE"}) {
		rec.name = cs_find_get_name(name) ? cs_find_get_name(name)->name : cs_find_set_name(name)->name;
		expect_refused(check_rec(&rec, {"1"}), 6, "ERROR 6: illegal name", name);
	}
}
