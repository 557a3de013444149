/* Line reader: one byte at a time from a refillable block buffer. */
#include "utl.h"

#include <errno.h>
#include <stdlib.h>
#include <string.h>
#include <syslog.h>
#include <unistd.h>

#include "sys.h"

#ifdef KP7_TLS
#include <openssl/err.h>
#include <openssl/ssl.h>
#endif

namespace {

#ifdef KP7_TLS
/* 0 only for the peer's close notify; a connection cut without one is
 * an error, since the data may have been cut short on purpose. */
int tls_read(SSL *ssl, char *buf, int len)
{
	/* SSL_read leaves errno alone on some failures: never let an old
	 * ECONNRESET turn an error into an end of input.  Errors of earlier
	 * calls must not be taken for this one's either. */
	errno = 0;
	ERR_clear_error();
	return SSL_read(ssl, buf, len);
}
#else
int tls_read(SSL *, char *, int)
{
	errno = ENOTSUP;
	return -1;
}
#endif

/* Fills the empty raw buffer: bytes read, 0 at the end, -1 and errno. */
int refill(int fd, SSL *ssl, utl_line_t *rl)
{
	int len = UTL_LINE_RAW_SIZE - 1;
	int n = ssl ? tls_read(ssl, rl->raw, len) : (int)read(fd, rl->raw, len);
	if (n > 0) {
		rl->raw_cur = rl->raw;
		rl->raw_left = n;
	}
	return n;
}

char *line_buf(utl_line_t *rl)
{
	return rl->heap_line ? rl->heap_line : rl->inline_line;
}

int line_size(const utl_line_t *rl)
{
	return rl->heap_line ? rl->heap_size : UTL_LINE_INLINE_SIZE;
}

void line_start(utl_line_t *rl)
{
	rl->line_len = 0;
	rl->line_cur = line_buf(rl);
}

/* Moves the line to a bigger buffer: inline, 4096, 65535, then no more. */
int line_grow(utl_line_t *rl)
{
	if (rl->heap_size >= UTL_LINE_HEAP_MAX)
		return -1;
	int size = rl->heap_line ? UTL_LINE_HEAP_MAX : UTL_LINE_HEAP_FIRST;
	char *p = (char *)realloc(rl->heap_line, size);
	if (!p) {
		sys_syslog(LOG_ERR, "%s expand line bufffer allocate error errno %d",
			   "utl_read_line", errno);
		return -1;
	}
	if (!rl->heap_line)
		memcpy(p, rl->inline_line, rl->line_len);
	rl->heap_line = p;
	rl->heap_size = size;
	rl->line_cur = p + rl->line_len;
	return 0;
}

int line_end(utl_line_t *rl)
{
	*rl->line_cur = '\0';
	return rl->line_len;
}

}  // namespace

char *utl_read_line_init(utl_line_t *rl, int value)
{
	rl->raw_cur = rl->raw;
	rl->raw_left = 0;
	rl->heap_line = nullptr;
	rl->heap_size = 0;
	rl->line_len = 0;
	rl->line_cur = rl->inline_line;
	rl->inline_line[0] = '\0';
	rl->user = value;
	return rl->inline_line;
}

int utl_read_line(int fd, SSL *ssl, utl_line_t *rl)
{
	line_start(rl);
	for (;;) {
		if (rl->raw_left == 0) {
			int n = refill(fd, ssl, rl);
			if (n <= 0) {
				/* A reset peer has simply gone: that is an end too. */
				bool end = n == 0 || errno == ECONNRESET;
				if (rl->line_len)
					return line_end(rl);
				line_end(rl);
				return end ? 0 : -1;
			}
		}
		/* Keep room for the terminating NUL. */
		if (rl->line_len >= line_size(rl) - 1 && line_grow(rl) < 0) {
			/* The rest of the overlong line is read as the next one. */
			line_start(rl);
			line_end(rl);
			return -1;
		}
		char c = *rl->raw_cur++;
		rl->raw_left--;
		*rl->line_cur++ = c;
		rl->line_len++;
		if (c == '\n')
			return line_end(rl);
	}
}

const char *utl_line_text(const utl_line_t *rl)
{
	return rl->heap_line ? rl->heap_line : rl->inline_line;
}

void utl_read_line_free(utl_line_t *rl)
{
	free(rl->heap_line);
	utl_read_line_init(rl, rl->user);
}
