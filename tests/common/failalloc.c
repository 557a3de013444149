/*
 * A library the tests preload into a program linked against the C
 * library (the router build, under the emulator): calloc() of exactly
 * KP7_FAIL_CALLOC bytes fails as it would when memory has run out; every
 * other allocation is the C library's.
 */
#include <errno.h>
#include <stdlib.h>

extern void *__libc_calloc(size_t n, size_t size);

void *calloc(size_t n, size_t size)
{
	const char *fail = getenv("KP7_FAIL_CALLOC");
	if (fail && n * size == strtoul(fail, NULL, 10)) {
		errno = ENOMEM;
		return NULL;
	}
	return __libc_calloc(n, size);
}
