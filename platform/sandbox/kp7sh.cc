/*
 * kp7sh - the recording shell of a router sandbox root (installed as its
 * bin/sh).
 *
 *   sh -c CMD [ARG0 ARGS...]     records CMD
 *   sh [ARGS...]                 records "sh ARGS..." (scripts, stdin)
 *
 * Every command text is appended to the root's /var/log/commands, one
 * record per line, a backslash written as "\\" and a newline as "\n", in
 * one O_APPEND write so that concurrent shells never interleave.  Then
 * the command runs with the root as "/": chroot, chdir("/"), KP7_ROOT=/
 * (programs inside still know they are sandboxed, and their own commands
 * come back here, which records again but does not chroot twice) and the
 * root's real shell.  The real shell preserves the caller's blocked
 * signal mask in the commands it starts, which the programs rely on, and
 * its kill takes "-SIGUSR1" as the router's does.
 *
 * Commands inside also lose the capabilities that reach past a chroot
 * (setting the clock, rebooting, loading modules, configuring the network,
 * mounting, making device nodes, raw I/O), so that a stand-in missing
 * from the root cannot be replaced by a real command that acts.
 *
 * The root is KP7_ROOT; "/" means we are already inside.  Without a root,
 * or when the root is not a sandbox (no /.kp7root marker) or cannot be
 * entered, nothing runs: exit 127.  A recording shell must never run a
 * command on the host.
 */
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/statfs.h>
#include <unistd.h>

#include "sandbox.h"

#ifndef PROC_SUPER_MAGIC
#define PROC_SUPER_MAGIC 0x9fa0
#endif

namespace {

constexpr const char kRealShell[] = "/bin/bash";
constexpr const char kMarker[] = "/.kp7root";
constexpr const char kCommandLog[] = "/var/log/commands";
constexpr const char kHostProc[] = "/.hostproc";

/* The router's shell takes signal names with "SIG" (the firmware runs
 * "kill -SIGUSR1 %d"); bash as sh, in POSIX mode, refuses them.  This
 * kill, handed to the shell as an exported function, drops the prefix
 * and leaves the rest to the builtin.
 *
 * A number read from a root's file (a pid file) is no process of ours
 * unless the shell runs in a kp7box PID namespace: anywhere else the
 * guarded kill signals nothing but the shell itself ($$), so that a
 * command text can never reach this machine's processes. */
constexpr const char kKillFunction[] = "BASH_FUNC_kill%%";
constexpr const char kKillBody[] =
	"() { local a=() x; for x in \"$@\"; do case $x in -SIG[A-Z]*) x=-${x#-SIG} ;; "
	"SIG[A-Z]*) x=${x#SIG} ;; esac; a+=(\"$x\"); done; builtin kill \"${a[@]}\"; }";
constexpr const char kGuardedKillBody[] =
	"() { local a=() x i=0; for x in \"$@\"; do case $x in -SIG[A-Z]*) x=-${x#-SIG} ;; "
	"SIG[A-Z]*) x=${x#SIG} ;; esac; a+=(\"$x\"); done; "
	"case ${a[0]-} in -l|-L) builtin kill \"${a[@]}\"; return ;; -s|-n) i=2 ;; -*) i=1 ;; esac; "
	"for x in \"${a[@]:i}\"; do [ \"$x\" = \"$$\" ] || { "
	"echo \"kp7sh: kill $x: refused outside a kp7box PID namespace\" >&2; return 1; }; done; "
	"builtin kill \"${a[@]}\"; }";

constexpr int kDroppedCaps[] = {
	CAP_NET_ADMIN, CAP_SYS_MODULE, CAP_SYS_RAWIO, CAP_SYS_ADMIN,
	CAP_SYS_BOOT, CAP_SYS_TIME, CAP_MKNOD, CAP_WAKE_ALARM,
};

[[noreturn]] void refuse(const char *what, int err)
{
	if (err)
		fprintf(stderr, "kp7sh: %s: %s\n", what, strerror(err));
	else
		fprintf(stderr, "kp7sh: %s\n", what);
	/* Not exit(): after a chroot nothing of the host may be needed. */
	_exit(127);
}

bool all_slashes(const char *s)
{
	for (; *s; s++)
		if (*s != '/')
			return false;
	return true;
}

/* The record of one invocation, newline included; malloc'd. */
char *make_record(int argc, char **argv, size_t *len)
{
	bool dash_c = argc >= 3 && !strcmp(argv[1], "-c");
	size_t need = 8;
	for (int i = 1; i < argc; i++)
		need += 2 * strlen(argv[i]) + 1;
	char *rec = (char *)malloc(need);
	if (!rec)
		return nullptr;
	char *p = rec;
	if (dash_c) {
		p = sandbox_escape(p, argv[2]);
	} else {
		p = sandbox_escape(p, "sh");
		for (int i = 1; i < argc; i++) {
			*p++ = ' ';
			p = sandbox_escape(p, argv[i]);
		}
	}
	*p++ = '\n';
	*len = p - rec;
	return rec;
}

/* One write, so that a record is never split by another shell's. */
int record(int argc, char **argv)
{
	size_t len;
	char *rec = make_record(argc, argv, &len);
	if (!rec)
		return ENOMEM;
	int err = sandbox_append(kCommandLog, rec, len);
	free(rec);
	return err;
}

/* Process lookups inside the root use the real procfs mounted here. */
void set_procfs(void)
{
	struct statfs st;
	if (statfs(kHostProc, &st) == 0 && st.f_type == PROC_SUPER_MAGIC)
		setenv("KP7_PROCFS", kHostProc, 1);
	else
		unsetenv("KP7_PROCFS");
}

/* From the bounding set: a root exec then no longer gets them back.
 * Failure means we hold no such capability to begin with. */
void drop_caps(void)
{
	for (int cap : kDroppedCaps)
		prctl(PR_CAPBSET_DROP, cap, 0, 0, 0);
}

bool is_sandbox(const char *root)
{
	char marker[4096];
	if (snprintf(marker, sizeof(marker), "%s%s", root, kMarker) >= (int)sizeof(marker))
		return false;
	return access(marker, F_OK) == 0;
}

void enter_root(const char *root)
{
	if (!is_sandbox(root))
		refuse("not a sandbox root (no /.kp7root)", 0);
	if (!all_slashes(root)) {
		if (chroot(root) < 0)
			refuse(root, errno);
		if (chdir("/") < 0)
			refuse("chdir /", errno);
	}
}

}  // namespace

int main(int argc, char **argv)
{
	if (argc < 1)
		refuse("no arguments", 0);
	const char *root = getenv("KP7_ROOT");
	if (!root || !*root)
		refuse("KP7_ROOT is not set; refusing to run a command on the host", 0);
	enter_root(root);
	int err = record(argc, argv);
	if (err)
		refuse(kCommandLog, err);
	drop_caps();
	setenv("KP7_ROOT", "/", 1);
	set_procfs();
	setenv(kKillFunction, sandbox_in_own_pid_ns(kHostProc) ? kKillBody : kGuardedKillBody, 1);
	/* Named "sh", the real shell behaves as the router's POSIX shell. */
	argv[0] = (char *)"sh";
	execv(kRealShell, argv);
	refuse(kRealShell, errno);
}
