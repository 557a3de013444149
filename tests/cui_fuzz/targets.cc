/* kp7cui's parsers under fuzzing, each with its seeds and what it must
 * keep to whatever the input. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "ci.h"
#include "fuzz.h"
#include "records.h"

namespace {

std::string leases_seed(void)
{
	std::string out, error;
	rec_leases({"mac=00:1a:2b:3c:4d:5e,ip=192.168.0.100,expires=0xffffffff",
		    "mac=00:1a:2b:3c:4d:5f,ip=192.168.0.101,expires=0",
		    "mac=00:00:00:00:00:00,ip=192.168.0.102,expires=3600",
		    "mac=0a:0b:0c:0d:0e:0f,ip=192.168.0.103,expires=86400"},
		   &out, &error);
	return out;
}

/* One line per lease shown, three columns each, never more leases than
 * whole records. */
bool run_leases(const std::string &input)
{
	char *text = nullptr;
	size_t size = 0;
	FILE *out = open_memstream(&text, &size);
	int shown = ci_print_leases(out, (const uint8_t *)input.data(), input.size());
	fclose(out);
	std::string printed(text, size);
	free(text);
	size_t lines = 0, tabs = 0;
	for (char c : printed) {
		lines += c == '\n';
		tabs += c == '\t';
	}
	if (shown < 0 || (size_t)shown > input.size() / CI_LEASE_SIZE)
		return fail("more leases than records");
	if (lines != (size_t)shown || tabs != 2 * lines)
		return fail("lease lines", printed);
	return true;
}

const char DEV3[] =
	"Inter-|   Receive                                                |  Transmit\n"
	" face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs "
	"drop fifo colls carrier compressed\n"
	"    lo:    4312      52    0    0    0     0          0         0     4312      52    0    0    "
	"0     0       0          0\n"
	"eth0:1: 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16\n"
	"  eth0:912345    7210    0    0    0     0          0        31  1523408    8911    0    0    "
	"0     0       0          0\n";
const char DEV1[] =
	"Inter-|   Receive                  |  Transmit\n"
	" face |packets errs drop fifo frame|packets errs drop fifo colls carrier\n"
	"  eth0:    77    0    0    0     0      88    0    0    0     0       0\n";

/* Found only when the file names the interface; 32-bit counters stay 32
 * bits wide. */
bool run_netdev(const std::string &input)
{
	for (const char *name : {"eth0", "eth0:1", ""}) {
		CiIfStats st;
		memset(&st, 0, sizeof(st));
		FILE *f = stream_of(input);
		int rc = ci_parse_ifstats(f, name, &st);
		fclose(f);
		if (rc == 0 && *name && input.find(name) == std::string::npos)
			return fail("found an interface the file does not name", name);
		for (int i = CI_RX_ERRORS; i < CI_IF_COUNTERS; i++)
			if (st.c[i] > 0xFFFFFFFFu)
				return fail("a 32-bit counter beyond 32 bits");
		if (rc != 0)
			for (uint64_t c : st.c)
				if (c)
					return fail("counters of an interface not found");
	}
	return true;
}

const char ROUTE[] =
	"Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
	"br0\tC0A80100\t00000000\t0001\t0\t0\t0\tFFFFFF00\t0\t0\t0\n"
	"eth1\t00000000\tC0A80001\t0003\t0\t0\t0\t00000000\t0\t0\t0\n";

bool run_route(const std::string &input)
{
	for (const char *name : {"eth1", "ppp0"}) {
		uint32_t gw = 0;
		FILE *f = stream_of(input);
		bool found = ci_route_gateway(f, name, &gw);
		fclose(f);
		if (found && input.find(name) == std::string::npos)
			return fail("a route of an interface the file does not name", name);
	}
	return true;
}

/* A word is never empty, holds no delimiter, fits its buffer and stands
 * in the line; a level is 0 to 4. */
bool run_modem(const std::string &input)
{
	std::string line = input.substr(0, input.find('\0'));
	for (const char *prefix : {"+CSQ:", "+CNUM:"}) {
		char word[CI_ANSWER_SIZE + 8];
		memset(word, '#', sizeof(word));
		if (!ci_answer_word(line.c_str(), prefix, word, CI_ANSWER_SIZE))
			continue;
		size_t len = strnlen(word, sizeof(word));
		if (len == 0 || len >= CI_ANSWER_SIZE || word[CI_ANSWER_SIZE] != '#')
			return fail("answer word size");
		if (strpbrk(word, " \t:,\"\r\n") || line.find(word) == std::string::npos)
			return fail("answer word", word);
		int level = -1;
		if (ci_quality_level(word, &level) && (level < 0 || level > 4))
			return fail("signal level", word);
	}
	return true;
}

}  // namespace

void fuzz_setup(void) {}

const std::vector<FuzzTarget> &fuzz_targets(void)
{
	static const std::vector<FuzzTarget> targets = {
		{"leases", {leases_seed(), std::string(23, '\1'), ""}, run_leases},
		{"netdev", {DEV3, DEV1}, run_netdev},
		{"route", {ROUTE}, run_route},
		{"modem",
		 {"+CSQ: 18,99\r\n", "+CNUM: \"\",\"+819012345678\",145\r\n", "AT+CSQ\r\r\n", "+CSQ: 0x1f,0"},
		 run_modem},
	};
	return targets;
}
