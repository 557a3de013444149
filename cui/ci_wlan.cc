/* WLAN_CLIENT: the stations associated with wlan0 or its first virtual
 * access point, from the driver's station table. */
#include "ci.h"

#include <stdlib.h>

#include "be.h"

namespace {

/* An 802.11n rate: the driver's code (0x80 + MCS) and its Mbit/s. */
struct CiRate {
	uint32_t id;
	char rate[20];
};

/* Offsets in a station record. */
enum {
	STA_AID = 0, STA_MAC = 2, STA_TX = 8, STA_RX = 12, STA_TIMER = 16, STA_FLAGS = 20,
	STA_RATE = 22, STA_NET = 40, STA_HT = 41,
};
constexpr unsigned STA_ASSOC = 0x0004, STA_PS = 0x0008;
constexpr unsigned HT_40MHZ = 0x01, HT_SHORT_GI = 0x02;
constexpr unsigned RATE_11N = 0x80;

}  // namespace

/* MCS 0-15 at 20 and 40 MHz, long and short guard interval; the last
 * record ends a table. */
constexpr CiRate rate_11n_table_20M_LONG[17] = {
	{0x80, "6.5"}, {0x81, "13"}, {0x82, "19.5"}, {0x83, "26"}, {0x84, "39"}, {0x85, "52"},
	{0x86, "58.5"}, {0x87, "65"}, {0x88, "13"}, {0x89, "26"}, {0x8A, "39"}, {0x8B, "52"},
	{0x8C, "78"}, {0x8D, "104"}, {0x8E, "117"}, {0x8F, "130"}, {0, ""},
};
constexpr CiRate rate_11n_table_20M_SHORT[17] = {
	{0x80, "7.2"}, {0x81, "14.4"}, {0x82, "21.7"}, {0x83, "28.9"}, {0x84, "43.3"},
	{0x85, "57.8"}, {0x86, "65"}, {0x87, "72.2"}, {0x88, "14.4"}, {0x89, "28.9"},
	{0x8A, "43.3"}, {0x8B, "57.8"}, {0x8C, "86.7"}, {0x8D, "115.6"}, {0x8E, "130"},
	{0x8F, "144.5"}, {0, ""},
};
constexpr CiRate rate_11n_table_40M_LONG[17] = {
	{0x80, "13.5"}, {0x81, "27"}, {0x82, "40.5"}, {0x83, "54"}, {0x84, "81"}, {0x85, "108"},
	{0x86, "121.5"}, {0x87, "135"}, {0x88, "27"}, {0x89, "54"}, {0x8A, "81"}, {0x8B, "108"},
	{0x8C, "162"}, {0x8D, "216"}, {0x8E, "243"}, {0x8F, "270"}, {0, ""},
};
constexpr CiRate rate_11n_table_40M_SHORT[17] = {
	{0x80, "15"}, {0x81, "30"}, {0x82, "45"}, {0x83, "60"}, {0x84, "90"}, {0x85, "120"},
	{0x86, "135"}, {0x87, "150"}, {0x88, "30"}, {0x89, "60"}, {0x8A, "90"}, {0x8B, "120"},
	{0x8C, "180"}, {0x8D, "240"}, {0x8E, "270"}, {0x8F, "300"}, {0, ""},
};

namespace {

/* By the HT flags: [40 MHz][short guard interval]. */
constexpr const CiRate *RATE_TABLES[2][2] = {
	{rate_11n_table_20M_LONG, rate_11n_table_20M_SHORT},
	{rate_11n_table_40M_LONG, rate_11n_table_40M_SHORT},
};

/* The band column: the first network bit that is set, in this order. */
constexpr struct {
	uint8_t bit;
	char text[5];
} BANDS[] = {{0x08, " 11n"}, {0x02, " 11g"}, {0x01, " 11b"}, {0x04, " 11a"}};

const char *band_text(uint8_t net)
{
	for (const auto &b : BANDS)
		if (net & b.bit)
			return b.text;
	return " ---";
}

/* The speed column in Mbit/s: an 802.11n code by the channel width and
 * guard interval, else the legacy rate in units of 500 kbit/s. */
const char *speed_text(uint8_t rate, uint8_t ht, char *buf, size_t size)
{
	if (!(rate & RATE_11N)) {
		snprintf(buf, size, "%d%s", rate / 2, rate & 1 ? ".5" : "");
		return buf;
	}
	const CiRate *table = RATE_TABLES[ht & HT_40MHZ ? 1 : 0][ht & HT_SHORT_GI ? 1 : 0];
	for (int i = 0; i < 16; i++)
		if (table[i].id == rate)
			return table[i].rate;
	/* an MCS index beyond the tables: no rate known */
	return "---";
}

void print_station(const uint8_t *s)
{
	char mac[18], speed[8];
	printf("%s\t%s\t%lu\t%lu\t%s\t%s\t%lu\n", ci_mac_text(s + STA_MAC, mac), band_text(s[STA_NET]),
	       (unsigned long)be32(s + STA_TX), (unsigned long)be32(s + STA_RX),
	       speed_text(s[STA_RATE], s[STA_HT], speed, sizeof(speed)),
	       be16(s + STA_FLAGS) & STA_PS ? "yes" : "no", (unsigned long)be32(s + STA_TIMER) / 100);
}

}  // namespace

int CiWlanClient(cui_soft_t *sc, int argc, char **argv)
{
	(void)argc;
	long index = strtol(argv[sc->n_arg + 1], nullptr, 10);
	if (index != 0 && index != 1)
		return cui_fail(sc, CI_ERR_INDEX, "illegal index\n");
	uint8_t *table = (uint8_t *)calloc(1, CI_STA_TABLE_SIZE);
	if (!table || CigetWlStaTable(index ? "wlan0-va0" : "wlan0", table) < 0) {
		free(table);
		return cui_fail(sc, CI_ERR_WLAN, "get wlan status failed\n");
	}
	puts("MAC Address\t\tBand\tSend\tRecv\tSpeed\tSleep\ttime");
	puts("-------------------------------------------------------------------------------");
	bool shown = false;
	for (size_t slot = 1; slot <= CI_STA_SLOTS; slot++) {
		const uint8_t *s = table + slot * CI_STA_SIZE;
		unsigned aid = be16(s + STA_AID), flags = be16(s + STA_FLAGS);
		cui_trace("aid=%u,flag=%u(%u)\n", aid, flags, STA_ASSOC);
		if (aid && (flags & STA_ASSOC)) {
			print_station(s);
			shown = true;
		}
	}
	if (!shown)
		puts("None\t\t\t---\t---\t---\t---\t---\t---");
	free(table);
	return 0;
}
