/*
 * cs_pool.h - a string pool the compiler builds: each distinct text once,
 * NUL-terminated, one after the other, addressed by 16-bit offsets.
 *
 * The parameter tables name their texts through it: a pointer per text
 * would cost a relocation each in a position-independent program and keep
 * the tables out of read-only data, and a fixed 64-character array per
 * name is mostly padding.  Only cs_tables.cc includes this.
 */
#ifndef KP7_CS_POOL_H
#define KP7_CS_POOL_H

#include <stddef.h>
#include <stdint.h>

namespace cs_pool {

/* Reached only while the compiler evaluates a table that is wrong, which
 * makes that table's constant evaluation, and so the build, fail. */
void table_error(const char *why);

constexpr size_t length(const char *s)
{
	size_t n = 0;
	while (s[n])
		n++;
	return n;
}

constexpr bool same(const char *a, const char *b)
{
	size_t i = 0;
	while (a[i] && a[i] == b[i])
		i++;
	return a[i] == b[i];
}

/* Sums the room every text would take without sharing: the pool's bound. */
struct Bound {
	size_t size = 0;
	constexpr void add(const char *s) { size += length(s) + 1; }
};

/* The pool while it is built, in a buffer of the bound. */
template <size_t Max>
struct Builder {
	char text[Max] = {};
	size_t size = 0;

	/* The offset of `s`, or Max when the pool does not hold it. */
	constexpr size_t find(const char *s) const
	{
		for (size_t at = 0; at < size; at += length(text + at) + 1)
			if (same(text + at, s))
				return at;
		return Max;
	}

	constexpr void add(const char *s)
	{
		if (find(s) != Max)
			return;
		for (size_t i = 0; i <= length(s); i++)
			text[size + i] = s[i];
		size += length(s) + 1;
	}
};

/* The finished pool, exactly as large as its texts. */
template <size_t N>
struct Pool {
	char text[N];

	template <size_t Max>
	static constexpr Pool from(const Builder<Max> &b)
	{
		Pool p{};
		for (size_t i = 0; i < N; i++)
			p.text[i] = b.text[i];
		return p;
	}

	/* The offset of a text the pool must hold. */
	constexpr uint16_t at(const char *s) const
	{
		static_assert(N <= UINT16_MAX, "pool beyond 16-bit offsets");
		for (size_t at = 0; at < N; at += length(text + at) + 1)
			if (same(text + at, s))
				return (uint16_t)at;
		table_error("text not in the pool");
		return 0;
	}
};

}  // namespace cs_pool

#endif
