/*
 * lzss.h - the compressed form of configuration blocks.
 *
 * Stream: the decoded length (4 bytes, big-endian), then groups of one
 * flag byte and up to eight items, flag bits taken from the lowest: a set
 * bit is one literal byte, a clear bit a back reference of two bytes
 * (distance - 1 in the high 12 bits, length - 3 in the low 4 bits), so
 * distances run 1..4096 and lengths 3..18.  The stream ends exactly where
 * the decoded length is reached.  Decode() of apmib.h and
 * mib_decode_bound() expand it.
 */
#ifndef KP7_APMIB_LZSS_H
#define KP7_APMIB_LZSS_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

void mib_encode(const uint8_t *src, size_t len, std::vector<uint8_t> &out);

/* Decode() into a buffer of `capacity` bytes: -1 also for a stream that
 * announces more. */
int mib_decode_bound(const unsigned char *src, unsigned int length, unsigned char *dst,
		     unsigned int capacity);

#endif
