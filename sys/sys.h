/*
 * sys.h - the platform layer: the only place the programs reach the world.
 *
 * With KP7_ROOT=DIR in the environment every program works inside DIR as
 * if it were "/": files, the settings store, devices and /proc data files
 * are taken under DIR, commands run through DIR/bin/sh, and syslog lines
 * are also appended to DIR/var/log/messages.  Process lookups (the /proc
 * listing and /proc/<pid>/...) and signals stay real.  Unset, everything
 * is the router's own.
 *
 * KP7_TIME_START (epoch seconds at program start) and KP7_TIME_RATE
 * (simulated seconds per real second) make the clock run fast for tests;
 * every clock reading and every sleep goes through sys_time()/sys_sleep().
 *
 * Calls return what the system call they wrap returns (-1 and errno on
 * failure), unless a comment says otherwise.
 */
#ifndef KP7_SYS_H
#define KP7_SYS_H

#include <dirent.h>
#include <signal.h>
#include <stdarg.h>
#include <stddef.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <termios.h>
#include <time.h>

/* ---- paths ---- */

/* The root directory without trailing '/', "" for the router's own "/". */
const char *sys_root(void);

/* True when KP7_ROOT is set, even to "/" (inside the sandbox's own shell). */
bool sys_sandboxed(void);

/* A router path made real: `path` taken under the root.  A result that
 * would not fit is left empty, so that using it fails with ENOENT. */
struct SysPath {
	char buf[512];
	explicit SysPath(const char *path);
	const char *c_str() const { return buf; }
	operator const char *() const { return buf; }
};

/* Where the process table is: KP7_PROCFS or "/proc", never under the root. */
const char *sys_procfs(void);

/* ---- files (router paths) ---- */

int sys_open(const char *path, int flags, mode_t mode = 0);
FILE *sys_fopen(const char *path, const char *mode);
int sys_unlink(const char *path);
int sys_access(const char *path, int mode);
int sys_mkdir_p(const char *path, mode_t mode);
int sys_stat(const char *path, struct stat *st);
int sys_lstat(const char *path, struct stat *st);
DIR *sys_opendir(const char *path);
/* Both paths are router paths. */
int sys_rename(const char *from, const char *to);

/* Reads at most `size` bytes of a file; returns the count or -1. */
ssize_t sys_read_file(const char *path, void *buf, size_t size);

/* Replaces a file whole: temporary file beside it, write, fsync, rename,
 * fsync of the directory.  On failure the old file is untouched and the
 * temporary removed; `made`, when given, tells whether the temporary file
 * could be created at all (a caller that reports the two apart). */
int sys_write_atomic(const char *path, const void *data, size_t len, mode_t mode,
		     bool *made = nullptr);

/* The same without the fsyncs, for files in RAM that a power cut wipes
 * anyway (the store's working copies under /var): still whole or old
 * after a crash of the writer, at a fraction of the cost. */
int sys_write_volatile(const char *path, const void *data, size_t len, mode_t mode);

/* Puts a file finished under a temporary name in place: fsync of `from`,
 * rename over `to` (same directory), fsync of the directory. */
int sys_commit_file(const char *from, const char *to);

/* ---- descriptors ---- */

int sys_fstat(int fd, struct stat *st);
int sys_flock(int fd, int op);
ssize_t sys_pread(int fd, void *buf, size_t n, off_t off);
ssize_t sys_pwrite(int fd, const void *buf, size_t n, off_t off);

/* Reads until end of file or `size` bytes, retrying interrupted reads;
 * returns the count or -1. */
ssize_t sys_read_all(int fd, void *buf, size_t size);

/* ---- devices and terminals ---- */

int sys_ioctl(int fd, unsigned long req, void *arg);
int sys_tcgetattr(int fd, struct termios *t);
int sys_tcsetattr(int fd, int when, const struct termios *t);
int sys_tcflush(int fd, int queue);

/* Waits until `fd` has input, at most `usec` microseconds of simulated
 * time: 1 when it has, 0 on the time-out, -1 on an error. */
int sys_wait_readable(int fd, unsigned long usec);

/* ---- processes (the real process table, see sys_procfs) ---- */

int sys_kill(pid_t pid, int sig);

/* The process table as a directory: one entry per pid, among others. */
DIR *sys_proc_opendir(void);

/* The table's file `file` of process `pid` (an entry name of the table),
 * "/proc/PID/FILE": as a stream, or up to `size` bytes of it (the count).
 * Null or -1 also when the path would not fit in 256 bytes. */
FILE *sys_proc_fopen(const char *pid, const char *file);
ssize_t sys_proc_read(const char *pid, const char *file, void *buf, size_t size);

/* ---- commands ---- */

/* The shell that runs every command: DIR/bin/sh under a root, else /bin/sh. */
const char *sys_shell(void);

/* In a child process: exec the shell with "-c cmd".  Returns only on
 * failure.  The child's clock starts where the parent's stands. */
void sys_exec_shell(const char *cmd);

/* Starts `cmd` through sys_shell() in a child whose descriptor `target`
 * is `fd` (a close-on-exec pipe end of the caller's), and returns its pid
 * or -1.  The child is made with vfork(): nothing of the caller is copied,
 * which makes a short command markedly cheaper.  A shell that cannot be
 * started makes the child exit with 127.  The child's clock starts
 * where the caller's stands. */
pid_t sys_spawn_shell(const char *cmd, int fd, int target);

/* system(3) through sys_shell(): the wait status, or -1. */
int sys_system(const char *cmd);

/* Starts `cmd` through sys_shell() with its descriptor `target` joined
 * to a pipe: 0 its standard input (the stream writes it), 1 or 2 its
 * standard output or error (the stream reads it; the other stays the
 * caller's).  Null on failure, with nothing left open.  Any number may be
 * open at once, each in the one list of children that sys_pclose() reaps
 * from; the pipes never leak into later children. */
FILE *sys_popen_fd(const char *cmd, int target);

/* popen(3) through sys_shell(): mode "r" (its output) or "w" (its input),
 * by the first character. */
FILE *sys_popen(const char *cmd, const char *mode);

/* Closes the stream, always, then waits for its child: the raw wait
 * status, or -1 for a stream sys_popen*() did not make or a failed wait. */
int sys_pclose(FILE *stream);

/* ---- syslog ---- */

void sys_openlog(const char *ident, int option, int facility);
void sys_syslog(int priority, const char *fmt, ...) __attribute__((format(printf, 2, 3)));
void sys_vsyslog(int priority, const char *fmt, va_list ap);
void sys_closelog(void);

/* ---- clock ---- */

time_t sys_time(void);
/* Sleeps `seconds` of simulated time; returns the simulated seconds left
 * when a signal cut the sleep short, like sleep(3). */
unsigned sys_sleep(unsigned seconds);
/* Sleeps `usec` microseconds of simulated time. */
void sys_usleep(unsigned long usec);
/* A sleep that a signal cuts short however close to its start it lands:
 * the caller blocks the signals that should end it, looks at what their
 * handlers noted, and calls this with the mask it had before, which holds
 * only for the wait and is put in place in the same step as the wait
 * begins.  A signal that came in between is delivered here, at once.
 * 0 when the time ran out, -1 with EINTR when a signal cut it short; the
 * caller's mask is back on return. */
int sys_sleep_masked(unsigned seconds, const sigset_t *mask);
/* Simulated milliseconds since the program started (never goes back). */
long long sys_elapsed_ms(void);

/* Seconds since the system booted, or -1.  Under a root: the first number
 * of the root's /proc/uptime when it has one. */
long sys_uptime(void);

/* ---- sockets and the wireless driver ---- */

/* socket(2), close-on-exec, so that no command inherits it. */
int sys_socket(int domain, int type, int protocol);

/*
 * One request of the wireless driver (a wireless-extensions ioctl on a
 * socket).  Under a root the driver is files of the root:
 * DIR/proc/.wireless/IFNAME/ makes IFNAME wireless, and its file REQ (the
 * request number in four lower-case hex digits, "8b30") holds the bytes
 * the driver copies into the request's buffer; REQ.N answers the Nth
 * such request of this process instead, when it exists.  A request
 * without an answer fails (EOPNOTSUPP), an interface without a directory
 * is no wireless one (ENODEV).  Every request is appended to
 * DIR/var/log/wireless as "SECONDS IFNAME REQ LENGTH".
 */
struct iwreq;
int sys_wireless_ioctl(int fd, unsigned long req, struct iwreq *wrq);

/* ---- flash block devices and the firmware writer's signals (blockdev.cc) ---- */

/* Size in bytes of an open device or file (its end), or -1. */
long long sys_dev_size(int fd);
/* Everything written reaches the devices. */
void sys_sync(void);
/* The calling process leads a process group of its own. */
int sys_setpgrp(void);
/*
 * True when signals sent to the system's first processes can only reach
 * a sandbox: always on the router (no KP7_ROOT); under a root only when
 * this process is not in the machine's initial PID namespace, i.e. runs
 * inside "kp7box run".  The firmware writer stops pids 1 to 7.
 */
bool sys_signals_contained(void);

#endif
