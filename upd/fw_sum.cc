/*
 * Checksums over a whole image: the one pass that reads every byte, so
 * it is written for the vectoriser (this file is compiled for speed, the
 * rest of the program for size).  Words are read big-endian byte by byte.
 */
#include "fw_image.h"

uint16_t fw_word_sum(const uint8_t *p, size_t len)
{
	/* 16-bit lanes wrap exactly as the sum modulo 65536 does. */
	uint16_t s = 0;
	for (size_t i = 0; i + 1 < len; i += 2)
		s = (uint16_t)(s + (uint16_t)(p[i] << 8 | p[i + 1]));
	return s;
}

uint8_t fw_byte_sum(const uint8_t *p, size_t len)
{
	uint8_t s = 0;
	for (size_t i = 0; i < len; i++)
		s = (uint8_t)(s + p[i]);
	return s;
}

int fwChecksumOk(const unsigned char *data, int len)
{
	if (len <= 0)
		return 1;
	if (len % 2)
		return 0;
	return fw_word_sum(data, (size_t)len) == 0;
}
