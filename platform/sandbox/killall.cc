/*
 * killall in a sandbox root: "killall [-q] [-SIGNAL | -s SIGNAL] NAME...".
 *
 * It really signals the processes of that name (their comm, or the base
 * name of their argv[0]), since the firmware writer's stop list and the
 * tests depend on it, but only inside a kp7box PID namespace: its procfs
 * must number processes as we do and show a kp7init as pid 1.  Anywhere
 * else it only records its call.  Pid 1 and killall itself are never
 * signalled.  Exit status 0 when every NAME matched, else 1 with
 * "killall: NAME: no process killed" (not with -q); a NAME.status answer
 * replaces it.
 */
#include <ctype.h>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>
#include <vector>

#include "sandbox.h"
#include "standin.h"

namespace {

constexpr size_t kCommLen = 15;  /* the kernel's process names */

struct Options {
	int sig = SIGTERM;
	bool quiet = false;
	std::vector<const char *> names;
};

bool parse(const Standin &s, Options *o)
{
	int i = 1;
	for (; i < s.argc && s.argv[i][0] == '-' && s.argv[i][1]; i++) {
		const char *a = s.argv[i] + 1;
		if (!strcmp(a, "-")) {
			i++;
			break;
		}
		if (!strcmp(a, "q")) {
			o->quiet = true;
		} else if (!strcmp(a, "s") && i + 1 < s.argc) {
			o->sig = standin_signal_number(s.argv[++i]);
		} else {
			o->sig = standin_signal_number(a);
		}
		if (o->sig == 0) {
			fprintf(stderr, "killall: bad option or signal %s\n", s.argv[i]);
			return false;
		}
	}
	for (; i < s.argc; i++)
		o->names.push_back(s.argv[i]);
	if (o->names.empty())
		fputs("usage: killall [-q] [-SIGNAL | -s SIGNAL] NAME...\n", stderr);
	return !o->names.empty();
}

std::string read_proc(const char *procfs, const char *pid, const char *file, size_t max)
{
	std::string path = std::string(procfs) + "/" + pid + "/" + file;
	std::string text(max, '\0');
	int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
	ssize_t n = fd < 0 ? 0 : read(fd, &text[0], max);
	if (fd >= 0)
		close(fd);
	text.resize(n > 0 ? n : 0);
	return text;
}

bool matches(const char *procfs, const char *pid, const char *name)
{
	/* A zombie has ended already; only its parent can still reap it. */
	std::string stat = read_proc(procfs, pid, "stat", 512);
	size_t paren = stat.rfind(") ");
	if (paren == std::string::npos || stat[paren + 2] == 'Z')
		return false;
	std::string comm = read_proc(procfs, pid, "comm", 64);
	comm = comm.substr(0, comm.find('\n'));
	if (comm == name || (strlen(name) > kCommLen && comm == std::string(name, kCommLen)))
		return true;
	std::string argv0 = read_proc(procfs, pid, "cmdline", 4096);
	argv0 = argv0.c_str();
	size_t slash = argv0.rfind('/');
	return !argv0.empty() && argv0.substr(slash == std::string::npos ? 0 : slash + 1) == name;
}

/* Signals every process named `name`; the count signalled. */
int signal_name(const char *procfs, const char *name, int sig)
{
	DIR *dir = opendir(procfs);
	if (!dir)
		return 0;
	int self = getpid(), count = 0;
	while (struct dirent *e = readdir(dir)) {
		if (!isdigit((unsigned char)e->d_name[0]))
			continue;
		int pid = atoi(e->d_name);
		if (pid == 1 || pid == self || !matches(procfs, e->d_name, name))
			continue;
		if (kill(pid, sig) == 0)
			count++;
	}
	closedir(dir);
	return count;
}

}  // namespace

int killall_main(const Standin &s)
{
	standin_record(s);
	Options o;
	if (!parse(s, &o))
		return 1;
	const char *env = getenv("KP7_PROCFS");
	const char *procfs = env && *env ? env : "/proc";
	int status = 0;
	if (sandbox_in_own_pid_ns(procfs)) {
		for (const char *name : o.names) {
			if (signal_name(procfs, name, o.sig) > 0)
				continue;
			status = 1;
			if (!o.quiet)
				fprintf(stderr, "killall: %s: no process killed\n", name);
		}
	}
	standin_output(s);
	standin_status(s, &status);
	return status;
}
