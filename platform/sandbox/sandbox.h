/*
 * sandbox.h - what the sandbox's own programs share: kp7init (the
 * namespaces of a run), kp7sh (the root's recording shell) and
 * kp7standin (the root's stand-in firmware commands and daemons).
 *
 * These are tools of this development machine, not router programs: they
 * reach the system directly, and each guards the machine itself.
 */
#ifndef KP7_SANDBOX_H
#define KP7_SANDBOX_H

#include <stddef.h>
#include <sys/types.h>
#include <string>

/* Name of the first process of every kp7box namespace. */
#define SANDBOX_INIT_NAME "kp7init"

/* Alias of the loopback of every network namespace kp7init makes. */
#define SANDBOX_NET_ALIAS "kp7box"

/* The host path of the router path `path` (absolute) in the sandbox root
 * `root`: symbolic links are followed inside the root (an absolute target
 * from the root's "/") and ".." never leaves it.  False when a link
 * cannot be read or links loop. */
bool sandbox_root_path(const std::string &root, const char *path, std::string *out);

/* Inode of the calling process's network namespace, 0 if unknown. */
unsigned long sandbox_net_inode(void);

/* Loopback up in the calling process's network namespace, with the alias
 * that marks a network kp7init made.  0 or errno. */
int sandbox_mark_net(void);

/* True when the calling process's network namespace is one kp7init made
 * (its loopback carries the alias): never the machine's own network. */
bool sandbox_in_own_net(void);

/* True when `procfs` (a procfs mount) belongs to our own PID namespace
 * and its pid 1 is a kp7init: signals to the pids it lists stay among
 * the sandbox's processes. */
bool sandbox_in_own_pid_ns(const char *procfs);

/* Appends `text` to `out` escaped for a one-line record (backslash as
 * "\\", newline as "\n"); returns the new end.  `out` needs room for
 * twice the length of `text`. */
char *sandbox_escape(char *out, const char *text);

/* Appends `len` bytes to the file in one O_APPEND write (created 0644),
 * so that records of concurrent writers never interleave.  0 or errno. */
int sandbox_append(const char *path, const char *data, size_t len);

#endif
