#include "records.h"

#include <stdlib.h>
#include <string.h>

namespace {

enum Kind { NUM, MAC, IP, TEXT, SLOT };

struct Field {
	const char *key;
	unsigned offset, width;
	Kind kind;
};

constexpr Field STATION[] = {
	{"aid", 0, 2, NUM},    {"mac", 2, 6, MAC},   {"tx", 8, 4, NUM},  {"rx", 12, 4, NUM},
	{"timer", 16, 4, NUM}, {"flags", 20, 2, NUM}, {"rate", 22, 1, NUM}, {"net", 40, 1, NUM},
	{"ht", 41, 1, NUM},    {"slot", 0, 0, SLOT},
};
constexpr Field BSS[] = {{"channel", 1, 1, NUM}, {"bssid", 3, 6, MAC}, {"ssid", 11, 32, TEXT}};
constexpr Field NETWORK[] = {
	{"bssid", 0, 6, MAC},     {"ssid", 6, 32, TEXT},   {"ssidlen", 44, 2, NUM},
	{"security", 96, 4, NUM}, {"cap", 106, 2, NUM},    {"channel", 108, 1, NUM},
	{"rssi", 126, 1, NUM},    {"type", 128, 1, NUM},
};
constexpr Field LEASE[] = {{"mac", 0, 6, MAC}, {"ip", 16, 4, IP}, {"expires", 20, 4, NUM}};

constexpr size_t STA_SIZE = 48, STA_SLOTS = 64, BSS_SIZE = 44, NET_SIZE = 132, NET_MAX = 64;
constexpr size_t LEASE_SIZE = 24;

void put_be(std::string &rec, unsigned off, unsigned width, unsigned long long v)
{
	for (unsigned i = width; i-- > 0; v >>= 8)
		rec[off + i] = (char)(v & 0xff);
}

bool number(const std::string &text, unsigned width, unsigned long long *v)
{
	char *end;
	*v = strtoull(text.c_str(), &end, 0);
	return !text.empty() && !*end && (width >= 8 || *v >> (8 * width) == 0);
}

/* "a:b:c:d:e:f" (hex) or "a.b.c.d" (decimal) into `n` bytes. */
bool bytes(const std::string &text, char sep, int base, unsigned n, std::string &rec, unsigned off)
{
	const char *p = text.c_str();
	for (unsigned i = 0; i < n; i++) {
		char *end;
		unsigned long b = strtoul(p, &end, base);
		if (end == p || b > 255 || *end != (i + 1 < n ? sep : '\0'))
			return false;
		rec[off + i] = (char)b;
		p = end + 1;
	}
	return true;
}

/* Fills `rec` from a field list; `slot` and `ssidlen` tell what was given. */
template <size_t N>
bool fill(const std::string &text, const Field (&fields)[N], std::string &rec, long *slot,
	  bool *ssidlen, std::string *error)
{
	size_t at = 0;
	while (at < text.size()) {
		size_t eq = text.find('=', at);
		if (eq == std::string::npos)
			return *error = "no value in \"" + text.substr(at) + "\"", false;
		std::string key = text.substr(at, eq - at);
		size_t comma = key == "ssid" ? text.size() : text.find(',', eq);
		if (comma == std::string::npos)
			comma = text.size();
		std::string value = text.substr(eq + 1, comma - eq - 1);
		at = comma + 1;
		const Field *f = nullptr;
		for (const Field &c : fields)
			if (key == c.key)
				f = &c;
		unsigned long long v = 0;
		bool ok = f != nullptr;
		if (ok && f->kind == NUM)
			ok = number(value, f->width, &v) && (put_be(rec, f->offset, f->width, v), true);
		else if (ok && f->kind == SLOT)
			ok = number(value, 1, &v) && v >= 1 && v <= STA_SLOTS && (*slot = (long)v, true);
		else if (ok && f->kind == MAC)
			ok = bytes(value, ':', 16, 6, rec, f->offset);
		else if (ok && f->kind == IP)
			ok = bytes(value, '.', 10, 4, rec, f->offset);
		else if (ok && f->kind == TEXT)
			ok = value.size() <= f->width && (rec.replace(f->offset, value.size(), value), true);
		if (!ok)
			return *error = "bad field \"" + key + "=" + value + "\"", false;
		if (key == "ssidlen")
			*ssidlen = true;
		else if (key == "ssid" && !*ssidlen && N == sizeof(NETWORK) / sizeof(NETWORK[0]))
			put_be(rec, 44, 2, value.size());
	}
	return true;
}

}  // namespace

bool rec_stations(const std::vector<std::string> &stations, std::string *out, std::string *error)
{
	std::string table((STA_SLOTS + 1) * STA_SIZE, '\0');
	long next = 1;
	for (const std::string &s : stations) {
		std::string rec(STA_SIZE, '\0');
		long slot = next;
		bool unused = false;
		if (!fill(s, STATION, rec, &slot, &unused, error))
			return false;
		if (slot > (long)STA_SLOTS)
			return *error = "more than 64 stations", false;
		table.replace(slot * STA_SIZE, STA_SIZE, rec);
		next = slot + 1;
	}
	*out = table;
	return true;
}

bool rec_bss(const std::string &bss, std::string *out, std::string *error)
{
	std::string rec(BSS_SIZE, '\0');
	long slot = 0;
	bool unused = false;
	if (!fill(bss, BSS, rec, &slot, &unused, error))
		return false;
	*out = rec;
	return true;
}

bool rec_scan(const std::vector<std::string> &networks, int count, std::string *out,
	      std::string *error)
{
	if (networks.size() > NET_MAX)
		return *error = "more than 64 networks", false;
	std::string result(4 + NET_MAX * NET_SIZE, '\0');
	result[0] = (char)(count >= 0 ? count : (int)networks.size());
	for (size_t i = 0; i < networks.size(); i++) {
		std::string rec(NET_SIZE, '\0');
		long slot = 0;
		bool ssidlen = false;
		if (!fill(networks[i], NETWORK, rec, &slot, &ssidlen, error))
			return false;
		result.replace(4 + i * NET_SIZE, NET_SIZE, rec);
	}
	*out = result;
	return true;
}

bool rec_leases(const std::vector<std::string> &leases, std::string *out, std::string *error)
{
	out->clear();
	for (const std::string &l : leases) {
		std::string rec(LEASE_SIZE, '\0');
		long slot = 0;
		bool unused = false;
		if (!fill(l, LEASE, rec, &slot, &unused, error))
			return false;
		*out += rec;
	}
	return true;
}

std::string rec_count(unsigned count)
{
	std::string rec(2, '\0');
	put_be(rec, 0, 2, count);
	return rec;
}
