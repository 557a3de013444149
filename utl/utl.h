/*
 * utl.h - the utility library shared by kp7cui, syscheck and romfetch.
 *
 * One static library, one global control block.  Grouped by area; every
 * area keeps to its own section of this header.  Commands run through the
 * platform layer's shell, files are router paths under the sandbox root,
 * and messages go to syslog under the calling program's identity.
 */
#ifndef KP7_UTL_H
#define KP7_UTL_H

#include <stdio.h>

/* ---- control block ---- */

/* Bits of utl_soft_t::flags. */
#define UTL_F_USB_MOUNTED 0x80	/* this program mounted the USB memory */

struct utl_soft_t {
	/* Scratch space of the library: command lines built for the shell and
	 * lines read back.  Every call that uses it overwrites it, so a caller
	 * copies out what it wants to keep before the next call. */
	char work_buf[512];
	unsigned char flags;
	unsigned char debug_level;
};

extern utl_soft_t utl_soft;
/* Always points at utl_soft; kept as a pointer so every program reaches
 * its control block the same way. */
extern utl_soft_t *utl_sc;

/* ---- debug level and signals ---- */

/* Keeps the low byte of `level`.  No library message depends on it. */
void utl_set_dlevel(int level);

/*
 * Blocks quit, termination, broken pipe, interrupt, file-size, hang-up and
 * both user signals for the rest of the run, so a command is never stopped
 * half-way; commands started through the shell inherit the mask.  Nothing
 * unblocks them again.  Returns sigprocmask()'s result.
 */
int utl_sigset(void);

/* ---- commands through a pipe ---- */

/*
 * Runs `command` through the shell with one of its descriptors joined to
 * a pipe, chosen by the first character of `mode`: 'r' its standard
 * output (the stream reads it), 'e' its standard error (read; its standard
 * output stays the caller's), 'w' its standard input (the stream writes
 * it).  Any other mode, or a failure, returns null with nothing left open.
 * Several streams may be open at once; the pipes never leak into later
 * children, so closing one always gives its child end of file.
 */
FILE *utl_popen(const char *command, const char *mode);

/* Closes the stream and waits for its child: the raw wait status, or -1
 * for a stream utl_popen() did not make (still closed) or a failed wait. */
int utl_pclose(FILE *stream);

/* ---- processes (found through the process table, by name) ---- */

/* The first process whose name is exactly `name` (names longer than the
 * kernel's 15 characters never match); 0 if none.  Zombies do not count. */
int utl_get_pid_from_pname(const char *name);

/* The first process whose command line (arguments separated by NUL bytes)
 * starts with the first min(n, bytes read) bytes of `prefix`, which must
 * hold n bytes; empty command lines never match, the caller may.  0 if none. */
int utl_get_pid_from_cmdline(int n, const char *prefix);

/* Finds the process as above, prints "kill NAME signum N", signals it and
 * sleeps a second: 1.  0 (nothing printed, no sleep) when none runs; 0
 * after the line when the signal could not be sent. */
int utl_kill_proc(const char *name, int signum);
int utl_kill_proc_from_cmdline(int n, const char *prefix, int signum);

/* Repeat the above until nothing is found: 0.  The signal must be one that
 * ends the process, or this never returns. */
int utl_kill_proc_all(const char *name, int signum);
int utl_kill_proc_all_from_cmdline(int n, const char *prefix, int signum);

/* 1 when another process (never the caller) has a name starting with
 * `name` and an argv[0] starting with `cmd`; 0 if none; -1 when the
 * process table cannot be read. */
int utl_check_duplicate_proc(const char *name, const char *cmd);

/* ---- settings through the flash command ---- */

/*
 * set != 0: runs "flash set NAME VALUE"; 0 once it ran, whatever it said.
 * set == 0: runs "flash get NAME" and copies the value of the last output
 * line into `value` (room for 511 characters): the text after the name up
 * to the first blank, tab, double quote, equals sign or newline.  0, or -1
 * with `value` emptied when that line carries no value (an empty quoted
 * value included) or there was no output.  -1 with `value` untouched when
 * the command could not be started.
 */
int utl_flash(const char *name, char *value, char set);

/* ---- downloads ---- */

/*
 * Downloads `url` into `outfile` with wget when its size, asked first,
 * is known and at most `quota` bytes.  `options` (may be null) is added to
 * both wget command lines as it stands.  -1 with a notice in syslog when
 * the size is unknown or over the quota or wget cannot be run; 0 once the
 * download ran to its end, whether or not it succeeded: the caller checks
 * the file.
 */
int utl_wget(const char *options, const char *url, const char *outfile, int read_timeout,
	     unsigned quota);

/* ---- state and counter files ---- */

/* Replaces the file with `len` bytes of `data` (whole, never half
 * written; a device or proc file is written in place).  0, also when the
 * file cannot be made; -1 when writing it failed. */
int utl_putfile(const char *path, const void *data, int len);

/* Reads up to `len` bytes into `buf`, which is not terminated (callers
 * clear it first).  0, also when the file cannot be opened; -1 when
 * reading failed. */
int utl_getfile(const char *path, void *buf, int len);

/* Adds one to the decimal count in the file: a missing or empty file
 * counts 1; a file holding anything after the number (a newline included)
 * or a count that cannot grow restarts at 0.  Written back whole, no
 * newline.  0, or -1 when it could not be written. */
int utl_countupfile(const char *path);

/* 1 when the NTP client has set the clock ("/tmp/ntp_tmp" readable). */
int utl_check_date_sync(void);

/* ---- USB devices ---- */

/* 1 when a usb_modeswitch configuration exists for vendor:product (each 1
 * to 4 hex digits): the device is a modem that may show up as storage. */
int utl_is_usb3g_device(const char *vendor, const char *product);

/* Active USB storage interfaces: 0 none, 1 a storage device, 2 a modem
 * still in its storage mode. */
int utl_check_usb_storage(void);

/* Mount /dev/sda1 (vfat) on /var/usbmem, retrying for up to 20 seconds,
 * and unmount it again; UTL_F_USB_MOUNTED tells whether this program holds
 * the mount.  Unmounting does nothing unless this program mounted it. */
void utl_mount_usbmem(void);
void utl_umount_usbmem(void);

/* ---- line reader over a descriptor or a TLS connection ---- */

/*
 * Bytes are read in blocks of at most 1451 and handed out one line at a
 * time.  A line keeps its line feed and is NUL-terminated.  Short lines
 * are assembled in the record itself; a longer one moves to the heap
 * (4096 bytes, then 65535), and a line that does not fit even then is an
 * error.
 */

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
 * end of input (a read of 0 bytes, ECONNRESET, or the peer's TLS close)
 * with nothing pending, or -1 on a read error with nothing pending, on a
 * line longer than 65534 characters (the rest of it is read as the next
 * line), on a failed allocation, and on any TLS read in a build without
 * TLS.  The text is at utl_line_text(). */
int utl_read_line(int fd, SSL *ssl, utl_line_t *rl);

/* The line last returned: the inline buffer or the heap buffer. */
const char *utl_line_text(const utl_line_t *rl);

/* Frees the heap buffer, if any; the record is then as after init. */
void utl_read_line_free(utl_line_t *rl);

#endif
