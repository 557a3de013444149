/*
 * easydns.h - the router's local host names, kept in the hosts file
 * "/var/mnt/etc/hosts" rather than in the settings store.
 *
 * Entries are the file's lines "ADDRESS<TAB>HOST NAME<TAB>COMMENT",
 * numbered from 1 in file order.  Comment lines, foreign lines and the
 * loopback line are never counted, listed or touched.
 */
#ifndef KP7_EASYDNS_H
#define KP7_EASYDNS_H

#include <stdint.h>

#define EASYDNS_FILE "/var/mnt/etc/hosts"
#define EASYDNS_MAX_ENTRIES 10	/* the set command adds no more */

struct cs_easydns_t {
	uint8_t addr[4];	/* IPv4, network byte order */
	char host[256];		/* at most 255 characters */
	char comment[68];	/* at most 67 characters; "" when none */
};

extern const cs_easydns_t ExcludedEasyDnsEntry;	/* 127.0.0.1 localhost.localdomain */

/* index 0: the number of entries (`rec` may be null).  index n >= 1:
 * entry n into `rec` and n, or 0 when there is none.  0 also when the
 * file cannot be read. */
int GetEasyDns(int index, cs_easydns_t *rec);

/* Appends the entry; 0, or -1 when the file cannot be written. */
int SetEasyDns(const cs_easydns_t *rec);

/* Removes entry `index`, or every entry for 0; 0, or -1 with the file
 * as it was. */
int DelEasyDns(int index);

#endif
