/*
 * line.h - line reader over a descriptor or a TLS connection.
 *
 * Bytes are read in blocks of at most 1451 and handed out one line at a
 * time.  A line keeps its line feed and is NUL-terminated.  Short lines
 * are assembled in the record itself; a longer one moves to the heap
 * (4096 bytes, then 65535), and a line that does not fit even then is an
 * error.
 */
#ifndef KP7_UTL_LINE_H
#define KP7_UTL_LINE_H

/* The TLS connection type, declared here so that callers and builds
 * without OpenSSL (the router has none) need not include its headers. */
struct ssl_st;
typedef struct ssl_st SSL;

enum {
	UTL_LINE_RAW_SIZE = 1452,	/* reads take at most one byte less */
	UTL_LINE_INLINE_SIZE = 1452,
	UTL_LINE_HEAP_FIRST = 4096,
	UTL_LINE_HEAP_MAX = 65535,
};

struct utl_line_t {
	char raw[UTL_LINE_RAW_SIZE];		/* received, not yet moved */
	char inline_line[UTL_LINE_INLINE_SIZE];	/* the line while short */
	char *heap_line;			/* the line once long; null at first */
	char *raw_cur;				/* next unread byte of raw */
	char *line_cur;				/* next free byte of the line */
	int heap_size;				/* 0, 4096 or 65535 */
	int raw_left;				/* unread bytes in raw */
	int line_len;				/* characters in the line */
	int user;				/* the caller's value, unused here */
};

/* Empties the record and stores `value`; returns the inline line buffer.
 * A record that grew a heap buffer must be released with
 * utl_read_line_free() before it is initialised again. */
char *utl_read_line_init(utl_line_t *rl, int value);

/* Reads the next line from `ssl` when it is not null, else from `fd`.
 * Returns its length (line feed included, when there was one), 0 at the
 * end of input (a read of 0 bytes or ECONNRESET) with nothing pending, or
 * -1 on a read error with nothing pending, on a line longer than 65534
 * characters, on a failed allocation, and on any TLS read in a build
 * without TLS.  The text is at utl_line_text(). */
int utl_read_line(int fd, SSL *ssl, utl_line_t *rl);

/* The line last returned: the inline buffer or the heap buffer. */
const char *utl_line_text(const utl_line_t *rl);

/* Frees the heap buffer, if any; the record is then as after init. */
void utl_read_line_free(utl_line_t *rl);

#endif
