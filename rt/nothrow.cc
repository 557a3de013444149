/*
 * nothrow.cc - the C++ run-time support our programs need, without
 * exceptions.
 *
 * The programs are built without exceptions, yet the library's containers
 * still call the throwing helpers below and the library's operator new
 * throws bad_alloc.  Taken from the static C++ library, those pull in the
 * exception machinery: unwinder, personality routine, thread-local
 * exception globals and the demangler of the verbose terminate handler,
 * about 70 KiB of the router's flash.  Defined here instead, each of them
 * ends the program with a message, as an uncaught exception would have.
 *
 * Linked into every program (not into the tests, nor into sanitizer
 * builds, whose run-time replaces operator new itself).
 */
#include <bits/functexcept.h>
#include <new>

#include <stdlib.h>
#include <unistd.h>

namespace {

[[noreturn]] void fatal(const char *what)
{
	static const char head[] = "fatal: ";
	ssize_t r = write(2, head, sizeof(head) - 1);
	r = write(2, what, __builtin_strlen(what));
	r = write(2, "\n", 1);
	(void)r;
	abort();
}

void *allocate(size_t size)
{
	void *p = malloc(size ? size : 1);
	if (!p)
		fatal("out of memory");
	return p;
}

}  // namespace

void *operator new(size_t size) { return allocate(size); }
void *operator new[](size_t size) { return allocate(size); }
void *operator new(size_t size, const std::nothrow_t &) noexcept { return malloc(size ? size : 1); }
void *operator new[](size_t size, const std::nothrow_t &) noexcept { return malloc(size ? size : 1); }
void operator delete(void *p) noexcept { free(p); }
void operator delete[](void *p) noexcept { free(p); }
void operator delete(void *p, size_t) noexcept { free(p); }
void operator delete[](void *p, size_t) noexcept { free(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { free(p); }

/* Every helper of the library's object that holds them, so that it is
 * never linked: a second definition would be a link error, not a silent
 * return of the exception machinery. */
namespace std {
void __throw_bad_exception() { fatal("bad exception"); }
void __throw_bad_alloc() { fatal("out of memory"); }
void __throw_bad_array_new_length() { fatal("bad array new length"); }
void __throw_bad_cast() { fatal("bad cast"); }
void __throw_bad_typeid() { fatal("bad typeid"); }
void __throw_logic_error(const char *s) { fatal(s); }
void __throw_domain_error(const char *s) { fatal(s); }
void __throw_invalid_argument(const char *s) { fatal(s); }
void __throw_length_error(const char *s) { fatal(s); }
void __throw_out_of_range(const char *s) { fatal(s); }
void __throw_out_of_range_fmt(const char *s, ...) { fatal(s); }
void __throw_runtime_error(const char *s) { fatal(s); }
void __throw_range_error(const char *s) { fatal(s); }
void __throw_overflow_error(const char *s) { fatal(s); }
void __throw_underflow_error(const char *s) { fatal(s); }
}  // namespace std
