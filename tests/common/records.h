/*
 * Binary records of the router's drivers and daemons, built from fields
 * for test fixtures: the wireless driver's station table, BSS information
 * and scan result (big-endian, as on the router), and udhcpd's leases.
 *
 * A record is described by "key=value" fields separated by commas; a
 * number may be decimal or 0x hex, a MAC address is six hex bytes with
 * colons, "ssid" (always the last field) takes the rest of the text,
 * commas included.  A key that the record does not know, or a value that
 * does not parse, makes the builder return false with `error` set.
 *
 *   station  aid mac tx rx timer flags rate net ht [slot]   (48 bytes)
 *   bss      channel bssid ssid                             (44 bytes)
 *   network  bssid ssid [ssidlen] security cap channel rssi type  (132 bytes)
 *   lease    mac ip expires                                 (24 bytes)
 */
#ifndef KP7_TESTS_COMMON_RECORDS_H
#define KP7_TESTS_COMMON_RECORDS_H

#include <string>
#include <vector>

/* The 3120-byte station table: the stations in slots 1, 2, ... unless a
 * station names its slot (1-64). */
bool rec_stations(const std::vector<std::string> &stations, std::string *out, std::string *error);
bool rec_bss(const std::string &bss, std::string *out, std::string *error);
/* The 8452-byte scan result; its count byte is the number of networks
 * unless `count` (0-255) is given. */
bool rec_scan(const std::vector<std::string> &networks, int count, std::string *out,
	      std::string *error);
/* Lease records one after the other. */
bool rec_leases(const std::vector<std::string> &leases, std::string *out, std::string *error);
/* The driver's 16-bit station count. */
std::string rec_count(unsigned count);

#endif
