/*
 * kp7standin - the firmware commands and sibling daemons of a sandbox
 * root.  One program, copied into the root's bin under every name it
 * stands for (a copy, not a link: a test that writes its own script over
 * one stand-in must not change the others); the name it is started as
 * says what it does:
 *
 *   commands (reboot, ifconfig, lsmod, ...)  record the call, answer as the
 *       test chose;
 *   daemons (boa, wanctl, pppd, ...)  record the start and stay running,
 *       with the name and command line they were started with, until a
 *       signal the test chose ends them; record every signal they get;
 *   killall  signals the namespace's processes by name, inside a kp7box
 *       PID namespace only (killall.cc);
 *   ping, wget  the machine's real tools when "kp7box add-tool" put them
 *       in the root, kept off every network but the sandbox's (nettool.cc).
 *
 * Calls are recorded in the root's /var/log/standins as "NAME ARGS...",
 * signals in /var/log/signals as "NAME SIGNAL [MARKER=CONTENT...]".  A
 * test chooses the answers with files in the root's /var/sandbox:
 * NAME.out and NAME.err (copied to stdout and stderr), NAME.status (the
 * exit status; for a daemon, it refuses to start with it), NAME.die (the
 * signals a daemon dies of).  Without KP7_ROOT a stand-in does nothing.
 */
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "sandbox.h"
#include "standin.h"

namespace {

constexpr const char kCallLog[] = "/var/log/standins";
constexpr const char kSignalLog[] = "/var/log/signals";
constexpr const char kAnswers[] = "/var/sandbox/";

/* What wanctl looks at when syscheck signals it (written just before). */
constexpr const char *kWanctlMarkers[] = {"/var/pppd_restart", "/var/usbmodem_restart", nullptr};

int daemon_main(const Standin &s);

struct Kind {
	const char *name;
	int (*run)(const Standin &s);
	const char *const *markers;  /* daemons: files recorded with each signal */
	const char *pidfile;         /* daemons: where they note their pid */
};

constexpr Kind kKinds[] = {
	{"boa", daemon_main, nullptr, nullptr},
	{"linkmgr", daemon_main, nullptr, nullptr},
	{"netgate", daemon_main, nullptr, nullptr},
	{"stationmap", daemon_main, nullptr, nullptr},
	{"svcagent", daemon_main, nullptr, nullptr},
	{"wanctl", daemon_main, kWanctlMarkers, nullptr},
	{"pppd", daemon_main, nullptr, nullptr},
	/* kp7cui's lease report finds it there to ask for the leases */
	{"udhcpd", daemon_main, nullptr, "/var/run/udhcpd.pid"},
	{"killall", killall_main, nullptr, nullptr},
	{"ping", nettool_main, nullptr, nullptr},
	{"wget", nettool_main, nullptr, nullptr},
};

const Kind *find_kind(const char *name)
{
	for (const Kind &k : kKinds)
		if (!strcmp(k.name, name))
			return &k;
	return nullptr;
}

/* Reads a small file of the root whole; false if there is none. */
bool read_small(const std::string &path, std::string *out)
{
	int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return false;
	char buf[4096];
	ssize_t n;
	out->clear();
	while ((n = read(fd, buf, sizeof(buf))) > 0)
		out->append(buf, n);
	close(fd);
	return true;
}

void append_escaped(std::string *line, const std::string &text)
{
	std::string buf(2 * text.size() + 1, '\0');
	char *end = sandbox_escape(&buf[0], text.c_str());
	line->append(buf.data(), end - buf.data());
}

void log_line(const Standin &s, const char *log, std::string line)
{
	line += '\n';
	sandbox_append(standin_path(s, log).c_str(), line.data(), line.size());
}

}  // namespace

void standin_record(const Standin &s)
{
	std::string line = s.name;
	for (int i = 1; i < s.argc; i++) {
		line += ' ';
		append_escaped(&line, s.argv[i]);
	}
	log_line(s, kCallLog, line);
}

namespace {

void copy_file(const std::string &path, int fd)
{
	std::string text;
	if (read_small(path, &text) && write(fd, text.data(), text.size()) < 0)
		return;
}

/* ---- daemons ---- */

void record_signal(const Standin &s, const Kind &kind, int sig)
{
	std::string line = std::string(s.name) + " " + standin_signal_name(sig);
	for (const char *const *m = kind.markers; m && *m; m++) {
		std::string content;
		if (!read_small(standin_path(s, *m), &content))
			continue;
		line += std::string(" ") + *m + "=";
		append_escaped(&line, content);
	}
	log_line(s, kSignalLog, line);
}

bool dies_of(const Standin &s, int sig)
{
	std::string list;
	if (!read_small(standin_path(s, kAnswers) + s.name + ".die", &list))
		return false;
	char *save = nullptr;
	for (char *w = strtok_r(&list[0], " \t\n,", &save); w; w = strtok_r(nullptr, " \t\n,", &save))
		if (standin_signal_number(w) == sig)
			return true;
	return false;
}

/* The pid as the namespace numbers it, in decimal, the file replaced whole. */
void note_pid(const Standin &s, const char *pidfile)
{
	std::string path = standin_path(s, pidfile), tmp = path + ".tmp";
	std::string pid = std::to_string(getpid()) + "\n";
	int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
	bool ok = fd >= 0 && write(fd, pid.data(), pid.size()) == (ssize_t)pid.size();
	if (fd >= 0)
		close(fd);
	if (!ok || rename(tmp.c_str(), path.c_str()) < 0)
		unlink(tmp.c_str());
}

[[noreturn]] void die_of(int sig)
{
	signal(sig, SIG_DFL);
	sigset_t one;
	sigemptyset(&one);
	sigaddset(&one, sig);
	sigprocmask(SIG_UNBLOCK, &one, nullptr);
	raise(sig);
	_exit(128 + sig);  /* a signal whose default is not to end a process */
}

/* Started with "&" by the firmware: no daemonising of our own.  Every
 * signal is blocked and taken in turn, so nothing runs between them. */
int daemon_main(const Standin &s)
{
	const Kind &kind = *find_kind(s.name);
	/* Blocked before anyone can know us: a signal sent as soon as the
	 * start is recorded or the pid noted must be taken, not kill us. */
	sigset_t all;
	sigfillset(&all);
	sigprocmask(SIG_BLOCK, &all, nullptr);
	standin_record(s);
	int status;
	if (standin_status(s, &status))
		return status;
	if (kind.pidfile)
		note_pid(s, kind.pidfile);
	for (;;) {
		int sig = sigwaitinfo(&all, nullptr);
		if (sig <= 0)
			continue;
		record_signal(s, kind, sig);
		if (dies_of(s, sig))
			die_of(sig);
	}
}

}  // namespace

std::string standin_path(const Standin &s, const char *path)
{
	return s.root + path;
}

bool standin_status(const Standin &s, int *status)
{
	std::string text;
	if (!read_small(standin_path(s, kAnswers) + s.name + ".status", &text))
		return false;
	*status = atoi(text.c_str());
	return true;
}

bool standin_answered(const Standin &s)
{
	std::string base = standin_path(s, kAnswers) + s.name;
	for (const char *kind : {".out", ".err", ".status"})
		if (access((base + kind).c_str(), F_OK) == 0)
			return true;
	return false;
}

void standin_output(const Standin &s)
{
	std::string base = standin_path(s, kAnswers) + s.name;
	copy_file(base + ".out", 1);
	copy_file(base + ".err", 2);
}

int standin_answer(const Standin &s)
{
	standin_record(s);
	standin_output(s);
	int status = 0;
	standin_status(s, &status);
	return status;
}

std::string standin_signal_name(int sig)
{
	const char *abbrev = sigabbrev_np(sig);
	return abbrev ? std::string("SIG") + abbrev : std::to_string(sig);
}

int standin_signal_number(const char *text)
{
	char *end;
	long n = strtol(text, &end, 10);
	if (*text && !*end)
		return n > 0 && n < NSIG ? (int)n : 0;
	if (!strncmp(text, "SIG", 3))
		text += 3;
	for (int sig = 1; sig < NSIG; sig++) {
		const char *abbrev = sigabbrev_np(sig);
		if (abbrev && !strcmp(abbrev, text))
			return sig;
	}
	return 0;
}

int main(int argc, char **argv)
{
	const char *slash = strrchr(argv[0], '/');
	const char *env = getenv("KP7_ROOT");
	/* Outside a sandbox root a stand-in does nothing at all. */
	if (!env || !*env)
		return 0;
	Standin s = {slash ? slash + 1 : argv[0], env, argc, argv};
	while (!s.root.empty() && s.root.back() == '/')
		s.root.pop_back();
	const Kind *kind = find_kind(s.name);
	return kind ? kind->run(s) : standin_answer(s);
}
