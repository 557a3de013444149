/*
 * TRANSFER_STATUS: packet counters of the wireless networks and eth0,
 * from /proc/net/dev in any of the three layouts the file has had.
 */
#include "ci.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

#include "sys.h"

namespace {

constexpr char NET_DEV[] = "/proc/net/dev";
constexpr size_t LINE_MAX_LEN = 512;

/* The counter columns after "name:" of each layout, in file order. */
constexpr uint8_t LAYOUT_3[] = {
	CI_RX_BYTES, CI_RX_PACKETS, CI_RX_ERRORS, CI_RX_DROPS, CI_RX_FIFO, CI_RX_FRAME,
	CI_RX_COMPRESSED, CI_RX_MULTICAST, CI_TX_BYTES, CI_TX_PACKETS, CI_TX_ERRORS, CI_TX_DROPS,
	CI_TX_FIFO, CI_COLLISIONS, CI_TX_CARRIER, CI_TX_COMPRESSED,
};
constexpr uint8_t LAYOUT_2[] = {
	CI_RX_BYTES, CI_RX_PACKETS, CI_RX_ERRORS, CI_RX_DROPS, CI_RX_FIFO, CI_RX_FRAME,
	CI_TX_BYTES, CI_TX_PACKETS, CI_TX_ERRORS, CI_TX_DROPS, CI_TX_FIFO, CI_COLLISIONS,
	CI_TX_CARRIER,
};
constexpr uint8_t LAYOUT_1[] = {
	CI_RX_PACKETS, CI_RX_ERRORS, CI_RX_DROPS, CI_RX_FIFO, CI_RX_FRAME, CI_TX_PACKETS,
	CI_TX_ERRORS, CI_TX_DROPS, CI_TX_FIFO, CI_COLLISIONS, CI_TX_CARRIER,
};

struct Layout {
	const uint8_t *columns;
	size_t count;
};

template <size_t N> constexpr Layout layout(const uint8_t (&columns)[N]) { return {columns, N}; }

/* The second header line tells the layout. */
Layout layout_of(const char *header)
{
	if (strstr(header, "compressed"))
		return layout(LAYOUT_3);
	if (strstr(header, "bytes"))
		return layout(LAYOUT_2);
	return layout(LAYOUT_1);
}

/*
 * The interface name of a line into `name`; returns where its counters
 * start.  A colon ends the name, unless digits and a second colon follow
 * it (an alias, eth0:1): then those belong to the name too.
 */
const char *split_name(const char *p, char *name, size_t size)
{
	size_t n = 0;
	while (isspace((unsigned char)*p))
		p++;
	while (*p && !isspace((unsigned char)*p)) {
		if (*p == ':') {
			const char *q = p + 1;
			while (isdigit((unsigned char)*q))
				q++;
			if (q == p + 1 || *q != ':') {
				p++;
				break;
			}
			for (; p < q && n + 1 < size; p++)
				name[n++] = *p;
			p = q + 1;
			break;
		}
		if (n + 1 < size)
			name[n++] = *p;
		p++;
	}
	name[n] = '\0';
	return p;
}

/* The counters as the layout orders them; a counter missing or not a
 * number ends the parse, as scanf would.  All but the byte and packet
 * counters are 32 bits wide. */
void parse_counters(const char *p, Layout layout, CiIfStats *st)
{
	for (size_t i = 0; i < layout.count; i++) {
		char *end;
		unsigned long long v = strtoull(p, &end, 10);
		if (end == p)
			return;
		uint8_t field = layout.columns[i];
		st->c[field] = field <= CI_TX_BYTES ? v : (uint32_t)v;
		p = end;
	}
}

bool read_line(FILE *f, char *line)
{
	if (!fgets(line, LINE_MAX_LEN, f))
		return false;
	line[strcspn(line, "\n")] = '\0';
	return true;
}

}  // namespace

int ci_parse_ifstats(FILE *dev, const char *ifname, CiIfStats *st)
{
	char line[LINE_MAX_LEN];
	if (!read_line(dev, line) || !read_line(dev, line))
		return -1;
	Layout layout = layout_of(line);
	while (read_line(dev, line)) {
		char name[LINE_MAX_LEN];
		const char *counters = split_name(line, name, sizeof(name));
		if (!strcmp(name, ifname)) {
			parse_counters(counters, layout, st);
			return 0;
		}
	}
	return -1;
}

int CiReadIfStats(const char *ifname, CiIfStats *st)
{
	FILE *f = sys_fopen(NET_DEV, "r");
	if (!f) {
		printf("Warning: cannot open %s\n", NET_DEV);
		return -1;
	}
	int rc = ci_parse_ifstats(f, ifname, st);
	fclose(f);
	return rc;
}

namespace {

/* One line of the report: sent and received packets, 0 and 0 when the
 * interface's counters cannot be had. */
void print_counters(const char *label, const char *ifname)
{
	CiIfStats st;
	memset(&st, 0, sizeof(st));
	if (CiReadIfStats(ifname, &st) < 0)
		memset(&st, 0, sizeof(st));
	printf("%s%llu\t%llu\n", label, (unsigned long long)st.c[CI_TX_PACKETS],
	       (unsigned long long)st.c[CI_RX_PACKETS]);
}

bool wlan_enabled(int vwlan)
{
	int disabled;
	ci_select_wlan(vwlan);
	return ci_mib(CI_MIB_WLAN_DISABLED, &disabled) && disabled != 1;
}

}  // namespace

int CiTransferStatus(cui_soft_t *sc, int argc, char **argv)
{
	(void)sc;
	(void)argc;
	(void)argv;
	puts("I/F\t\tSend\tRecv");
	if (wlan_enabled(0)) {
		print_counters("Primary SSID\t", "wlan0");
		if (wlan_enabled(1))
			print_counters("SecondarySSID\t", "wlan0-va0");
	}
	print_counters("ETH0\t\t", "eth0");
	return 0;
}
