/* Big-endian load/store: every multi-byte number in a store file or a
 * configuration section goes through these, never through a cast. */
#ifndef KP7_SYS_BE_H
#define KP7_SYS_BE_H

#include <stdint.h>

static inline uint32_t be_get(const uint8_t *p, unsigned width)
{
	uint32_t v = 0;
	for (unsigned i = 0; i < width; i++)
		v = v << 8 | p[i];
	return v;
}

static inline void be_put(uint8_t *p, unsigned width, uint32_t v)
{
	for (unsigned i = width; i-- > 0; v >>= 8)
		p[i] = (uint8_t)v;
}

static inline uint16_t be16(const uint8_t *p) { return (uint16_t)be_get(p, 2); }
static inline uint32_t be32(const uint8_t *p) { return be_get(p, 4); }
static inline void put_be16(uint8_t *p, uint16_t v) { be_put(p, 2, v); }
static inline void put_be32(uint8_t *p, uint32_t v) { be_put(p, 4, v); }

#endif
