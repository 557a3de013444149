/*
 * modemsim - a simulated USB modem serial port for a sandbox root.
 *
 *   KP7_ROOT=DIR modemsim TTY SCRIPT
 *
 * Opens a pseudo-terminal, makes DIR/dev/TTY a symlink to its slave side
 * and answers what arrives there as SCRIPT says (the format is described
 * in README.md beside this file).  Every byte received is appended to
 * DIR/var/log/modem.TTY.  Runs until SIGTERM, SIGINT or SIGHUP, or until
 * its parent ends; then DIR/dev/TTY is an empty regular file again.
 * Script delays are simulated milliseconds (KP7_TIME_RATE, as the
 * programs under test see them).
 *
 * It refuses to run without a sandbox root: it must never replace a
 * device of this machine.
 *
 * Like the other stand-ins it belongs to the sandbox, not to the router's
 * programs: it opens this machine's pseudo-terminal and writes the root's
 * files itself, and uses the programs' header-only layer only to find the
 * root as they do.
 */
#include <ctype.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <deque>
#include <string>
#include <vector>

#include "sys_tiny.h"

namespace {

enum class Echo { ON, OFF, WRONG };

/* One thing a reply does, in order. */
struct Step {
	enum Kind { DELAY, SEND, FLOOD } kind;
	std::string bytes;    /* SEND, FLOOD */
	double seconds;       /* DELAY, real seconds */
};

struct Block {
	std::string cmd;      /* the command line without its CR; "*" for any other */
	std::vector<Step> steps;
};

struct Sim {
	Echo echo = Echo::ON;
	long wrong_left = -1;         /* wrong echoes still to make; -1: all */
	bool lf_echo = false;         /* echo the LF that follows a CR */
	std::vector<Block> blocks;
	std::vector<Step> greeting;   /* steps before the first "cmd" */

	int master = -1, slave = -1, log = -1;
	char dev[512], link[64];
	std::string line;
	bool after_cr = false;
	std::deque<Step> todo;
	double next_at = 0;           /* real monotonic seconds */
	std::string out, flood;
};

Sim sim;
volatile sig_atomic_t stop;

[[noreturn]] void die(const char *what, int err = 0)
{
	if (err)
		fprintf(stderr, "modemsim: %s: %s\n", what, strerror(err));
	else
		fprintf(stderr, "modemsim: %s\n", what);
	exit(2);
}

/* ---- the script ---- */

/* \r \n \t \\ and \xHH in a script text. */
std::string unescape(const char *s)
{
	std::string r;
	for (; *s; s++) {
		if (*s != '\\' || !s[1]) {
			r += *s;
			continue;
		}
		char c = *++s;
		if (c == 'x' && isxdigit((unsigned char)s[1]) && isxdigit((unsigned char)s[2])) {
			char hex[3] = {s[1], s[2], 0};
			r += (char)strtol(hex, nullptr, 16);
			s += 2;
		} else {
			r += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
		}
	}
	return r;
}

/* Pseudo-random bytes, the same for every run. */
std::string garbage(long n)
{
	std::string r;
	unsigned x = 12345;
	while (n-- > 0) {
		x = x * 1103515245 + 12345;
		r += (char)(x >> 16);
	}
	return r;
}

bool set_echo(const char *a)
{
	if (!strncmp(a, "wrong", 5) && (!a[5] || a[5] == ' ')) {
		sim.echo = Echo::WRONG;
		sim.wrong_left = a[5] ? atol(a + 5) : -1;
	} else if (!strcmp(a, "on") || !strcmp(a, "off")) {
		sim.echo = a[1] == 'n' ? Echo::ON : Echo::OFF;
	} else {
		return false;
	}
	return true;
}

bool set_lf(const char *a)
{
	sim.lf_echo = !strcmp(a, "echo");
	return sim.lf_echo || !strcmp(a, "drop");
}

bool add_block(const char *a)
{
	sim.blocks.push_back({unescape(a), {}});
	return true;
}

/* A reply step; false for one that is not understood. */
bool add_step(Step s)
{
	(sim.blocks.empty() ? sim.greeting : sim.blocks.back().steps).push_back(s);
	return true;
}

struct Directive {
	const char *word;
	bool (*apply)(const char *arg);
};

constexpr Directive DIRECTIVES[] = {
	{"echo", set_echo},
	{"lf", set_lf},
	{"cmd", add_block},
	{"line", [](const char *a) { return add_step({Step::SEND, "\r\n" + unescape(a) + "\r\n", 0}); }},
	{"send", [](const char *a) { return add_step({Step::SEND, unescape(a), 0}); }},
	{"garbage", [](const char *a) { return add_step({Step::SEND, garbage(atol(a)), 0}); }},
	{"delay", [](const char *a) { return add_step({Step::DELAY, "", sys_tiny_real_seconds(atof(a) / 1000)}); }},
	{"flood", [](const char *a) { return *a && add_step({Step::FLOOD, unescape(a), 0}); }},
};

/* One script line; false when it is not understood. */
bool script_line(char *ln)
{
	ln[strcspn(ln, "\r\n")] = '\0';
	if (!ln[0] || ln[0] == '#')
		return true;
	char *arg = strchr(ln, ' ');
	if (arg)
		*arg++ = '\0';
	for (const Directive &d : DIRECTIVES)
		if (!strcmp(d.word, ln))
			return d.apply(arg ? arg : "");
	return false;
}

void read_script(const char *path)
{
	FILE *f = fopen(path, "r");
	if (!f)
		die(path, errno);
	char ln[4096];
	for (int no = 1; fgets(ln, sizeof(ln), f); no++) {
		if (!script_line(ln)) {
			fprintf(stderr, "modemsim: %s:%d: not understood: %s\n", path, no, ln);
			exit(2);
		}
	}
	fclose(f);
}

/* ---- the modem ---- */

void queue(const std::vector<Step> &steps)
{
	if (sim.todo.empty())
		sim.next_at = sys_tiny_monotonic();
	sim.todo.insert(sim.todo.end(), steps.begin(), steps.end());
}

const Block *find_block(const std::string &line)
{
	for (const Block &b : sim.blocks)
		if (b.cmd == line)
			return &b;
	return nullptr;
}

/* The line as it came, else from an "AT" prefix on: like a modem, the
 * simulator ignores what precedes the prefix (the leftovers of a command
 * started again arrive as "AAATI"). */
void command_line()
{
	const Block *b = find_block(sim.line);
	for (size_t i = 1; !b && i + 1 < sim.line.size(); i++)
		if ((sim.line[i] | 0x20) == 'a' && (sim.line[i + 1] | 0x20) == 't')
			b = find_block(sim.line.substr(i));
	if (!b)
		b = find_block("*");
	if (b)
		queue(b->steps);
}

void echo_byte(char c)
{
	if (sim.echo == Echo::OFF)
		return;
	bool wrong = sim.echo == Echo::WRONG && sim.wrong_left != 0;
	if (wrong && sim.wrong_left > 0)
		sim.wrong_left--;
	sim.out += wrong ? (char)(c ^ 0x20) : c;
}

void received(char c)
{
	bool lf_after_cr = sim.after_cr && c == '\n';
	sim.after_cr = false;
	if (lf_after_cr && !sim.lf_echo)
		return;
	echo_byte(c);
	if (lf_after_cr)
		return;
	if (c == '\r') {
		command_line();
		sim.line.clear();
		sim.after_cr = true;
	} else if (sim.line.size() < 4096) {
		sim.line += c;
	}
}

/* Runs the steps that are due; returns the poll timeout in ms. */
int run_steps()
{
	while (!sim.todo.empty()) {
		double now = sys_tiny_monotonic();
		if (now < sim.next_at)
			return (int)((sim.next_at - now) * 1000) + 1;
		Step s = sim.todo.front();
		sim.todo.pop_front();
		if (s.kind == Step::DELAY)
			sim.next_at = now + s.seconds;
		else if (s.kind == Step::SEND)
			sim.out += s.bytes;
		else
			sim.flood = s.bytes;
	}
	while (!sim.flood.empty() && sim.out.size() < 4096)
		sim.out += sim.flood;
	return 1000;
}

void serve(pid_t parent)
{
	char buf[4096];
	while (!stop && getppid() == parent) {
		int timeout = run_steps();
		struct pollfd p = {sim.master, (short)(POLLIN | (sim.out.empty() ? 0 : POLLOUT)), 0};
		if (poll(&p, 1, timeout) < 0)
			continue;
		if (p.revents & POLLIN) {
			ssize_t n = read(sim.master, buf, sizeof(buf));
			if (n > 0 && write(sim.log, buf, n) != n)
				die("cannot write the log", errno);
			for (ssize_t i = 0; i < n; i++)
				received(buf[i]);
		}
		if (p.revents & POLLOUT) {
			ssize_t n = write(sim.master, sim.out.data(), sim.out.size());
			if (n > 0)
				sim.out.erase(0, n);
		}
	}
}

/* ---- the device in the root ---- */

void open_pty(void)
{
	sim.master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
	if (sim.master < 0 || grantpt(sim.master) < 0 || unlockpt(sim.master) < 0 ||
	    ptsname_r(sim.master, sim.link, sizeof(sim.link)) != 0)
		die("pseudo-terminal", errno);
	/* Held open so that the line never hangs up between the programs'
	 * runs, and raw until a program sets it up: no echo of its own. */
	sim.slave = open(sim.link, O_RDWR | O_NOCTTY | O_CLOEXEC);
	struct termios t;
	if (sim.slave < 0 || tcgetattr(sim.slave, &t) < 0)
		die(sim.link, errno);
	cfmakeraw(&t);
	tcsetattr(sim.slave, TCSANOW, &t);
}

/* The pseudo-terminal's link, or an empty file as in a fresh root, put at
 * the device path by rename, so that the path is never missing. */
void replace_dev(bool as_link)
{
	std::string tmp = std::string(sim.dev) + ".modemsim";
	unlink(tmp.c_str());
	int rc = as_link ? symlink(sim.link, tmp.c_str()) : open(tmp.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0666);
	if (!as_link && rc >= 0)
		close(rc);
	if (rc < 0 || rename(tmp.c_str(), sim.dev) < 0)
		die(sim.dev, errno);
}

void on_signal(int) { stop = 1; }

}  // namespace

int main(int argc, char **argv)
{
	if (argc != 3 || strchr(argv[1], '/')) {
		fprintf(stderr, "usage: KP7_ROOT=DIR modemsim TTY SCRIPT\n");
		return 2;
	}
	if (!*sys_tiny_root() || access(SysTinyPath("/.kp7root"), F_OK) < 0)
		die("KP7_ROOT must name a sandbox root");
	pid_t parent = getppid();
	prctl(PR_SET_PDEATHSIG, SIGTERM);
	struct sigaction sa = {};
	sa.sa_handler = on_signal;
	for (int sig : {SIGTERM, SIGINT, SIGHUP})
		sigaction(sig, &sa, nullptr);
	signal(SIGPIPE, SIG_IGN);

	read_script(argv[2]);
	snprintf(sim.dev, sizeof(sim.dev), "%s", (const char *)SysTinyPath(("/dev/" + std::string(argv[1])).c_str()));
	std::string log = "/var/log/modem." + std::string(argv[1]);
	sim.log = sys_tiny_open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
	if (!sim.dev[0] || sim.log < 0)
		die(log.c_str(), errno);
	open_pty();
	queue(sim.greeting);
	replace_dev(true);
	serve(parent);
	replace_dev(false);
	return 0;
}
