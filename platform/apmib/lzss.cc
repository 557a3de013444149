/* Compression of configuration blocks; the decoder trusts nothing. */
#include "lzss.h"

#include <string.h>

#include "apmib.h"
#include "be.h"

namespace {

constexpr unsigned WINDOW_SIZE = 4096;
constexpr unsigned MIN_MATCH = 3;
constexpr unsigned MAX_MATCH = 18;
constexpr unsigned HASH_BITS = 12;
constexpr unsigned CHAIN_DEPTH = 64;

unsigned hash3(const uint8_t *p)
{
	return ((p[0] << 8 ^ p[1] << 4 ^ p[2]) * 2654435761u) >> (32 - HASH_BITS);
}

struct Match {
	unsigned dist, len;
};

/* Longest earlier match for position i, walking the hash chain. */
Match find_match(const uint8_t *src, size_t len, size_t i, const std::vector<int> &head,
		 const std::vector<int> &prev)
{
	Match best = {0, 0};
	if (len - i < MIN_MATCH)
		return best;
	size_t limit = len - i < MAX_MATCH ? len - i : MAX_MATCH;
	int cand = head[hash3(src + i)];
	for (unsigned depth = 0; cand >= 0 && depth < CHAIN_DEPTH; depth++, cand = prev[cand]) {
		if (i - cand > WINDOW_SIZE)
			break;
		unsigned n = 0;
		while (n < limit && src[cand + n] == src[i + n])
			n++;
		if (n > best.len)
			best = {(unsigned)(i - cand), n};
		if (n == limit)
			break;
	}
	if (best.len < MIN_MATCH)
		best.len = 0;
	return best;
}

}  // namespace

void mib_encode(const uint8_t *src, size_t len, std::vector<uint8_t> &out)
{
	out.assign(4, 0);
	put_be32(out.data(), (uint32_t)len);
	std::vector<int> head(1u << HASH_BITS, -1), prev(len, -1);
	size_t flag_at = 0;
	unsigned items = 8;
	auto insert = [&](size_t pos) {
		if (len - pos >= MIN_MATCH) {
			unsigned h = hash3(src + pos);
			prev[pos] = head[h];
			head[h] = (int)pos;
		}
	};
	for (size_t i = 0; i < len;) {
		if (items == 8) {
			flag_at = out.size();
			out.push_back(0);
			items = 0;
		}
		Match m = find_match(src, len, i, head, prev);
		if (m.len) {
			unsigned code = (m.dist - 1) << 4 | (m.len - MIN_MATCH);
			out.push_back((uint8_t)(code >> 8));
			out.push_back((uint8_t)code);
		} else {
			out[flag_at] |= (uint8_t)(1u << items);
			out.push_back(src[i]);
			m.len = 1;
		}
		for (unsigned k = 0; k < m.len; k++)
			insert(i + k);
		i += m.len;
		items++;
	}
}

int mib_decode_bound(const unsigned char *src, unsigned int length, unsigned char *dst,
		     unsigned int capacity)
{
	if (!src || !dst || length < 4)
		return -1;
	uint32_t want = be32(src);
	if (want > APMIB_DECODE_MAX || want > capacity)
		return -1;
	size_t in = 4, out = 0;
	while (out < want) {
		if (in >= length)
			return -1;
		unsigned flags = src[in++];
		for (unsigned bit = 0; bit < 8 && out < want; bit++) {
			if (flags >> bit & 1) {
				if (in >= length)
					return -1;
				dst[out++] = src[in++];
				continue;
			}
			if (length - in < 2)
				return -1;
			unsigned code = src[in] << 8 | src[in + 1];
			in += 2;
			size_t dist = (code >> 4) + 1, n = (code & 15) + MIN_MATCH;
			if (dist > out || n > want - out)
				return -1;
			for (size_t k = 0; k < n; k++, out++)
				dst[out] = dst[out - dist];
		}
	}
	return in == length ? (int)want : -1;
}

int Decode(const unsigned char *src, unsigned int length, unsigned char *dst)
{
	return mib_decode_bound(src, length, dst, APMIB_DECODE_MAX);
}
