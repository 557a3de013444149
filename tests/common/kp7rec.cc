/*
 * kp7rec - binary records for test fixtures and the demonstration, from
 * fields (records.h), on standard output:
 *
 *   kp7rec stations STATION...       the wireless driver's station table
 *   kp7rec count N                   its station count
 *   kp7rec bss BSS                   its BSS information
 *   kp7rec scan [count=N] NETWORK... its scan result
 *   kp7rec leases LEASE...           udhcpd's lease file
 *
 *   kp7rec bss 'channel=6,bssid=00:e0:4c:81:96:c1,ssid=home'
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "records.h"

int main(int argc, char **argv)
{
	if (argc < 2) {
		fprintf(stderr, "usage: kp7rec stations|count|bss|scan|leases FIELDS...\n");
		return 2;
	}
	std::string kind = argv[1], out, error;
	std::vector<std::string> args(argv + 2, argv + argc);
	int count = -1;
	if (kind == "scan" && !args.empty() && !args[0].compare(0, 6, "count=")) {
		count = atoi(args[0].c_str() + 6);
		args.erase(args.begin());
	}
	bool ok = true;
	if (kind == "stations")
		ok = rec_stations(args, &out, &error);
	else if (kind == "count" && args.size() == 1)
		out = rec_count((unsigned)strtoul(args[0].c_str(), nullptr, 0));
	else if (kind == "bss" && args.size() == 1)
		ok = rec_bss(args[0], &out, &error);
	else if (kind == "scan")
		ok = rec_scan(args, count, &out, &error);
	else if (kind == "leases")
		ok = rec_leases(args, &out, &error);
	else
		ok = false, error = "unknown record kind or wrong number of records";
	if (!ok) {
		fprintf(stderr, "kp7rec: %s\n", error.c_str());
		return 2;
	}
	return fwrite(out.data(), 1, out.size(), stdout) == out.size() ? 0 : 1;
}
