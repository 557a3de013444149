/*
 * kp7init - "kp7box run": the namespaces of one run and their first process.
 *
 *   kp7init --aware "NAME..." run [--host] [--interactive] DIR PROG [ARGS...]
 *
 * kp7box hands "run" straight to us (every test runs programs by the
 * hundred).  PROG names the root's program as the router sees it: a name
 * looked up in the root's /bin, /sbin, /usr/bin, /usr/sbin, or an absolute
 * path, symbolic links followed inside the root.  The programs named in
 * --aware (ours, which take their paths under KP7_ROOT) run by their host
 * path with KP7_ROOT=DIR; every other program runs chrooted into DIR, as
 * the router runs it.  With --host, PROG is a program of this machine (a
 * test tool), run with KP7_ROOT=DIR.
 *
 * This process, the runner, makes private PID and mount namespaces and
 * (unless told otherwise) a network namespace with loopback and the links
 * of KP7_LINKS up, then forks the PID namespace's pid 1, which
 *   - mounts a procfs of the new PID namespace on /proc and on
 *     DIR/.hostproc (the root's /proc holds fake data files; programs
 *     inside the root reach the real process table through /.hostproc);
 *   - starts placeholders for pids 2 to 7 (the router's first processes,
 *     which the firmware writer stops), so that the program gets pid 8;
 *   - starts the program without the dangerous capabilities in its
 *     bounding set and reaps whatever becomes its child;
 *   - exits with the program's status once the program has ended, which
 *     ends every other process of the namespace.
 * The runner exits with that status (128+N after signal N).  Pid 1 gets
 * SIGKILL when its runner dies, so a runner ended by any signal, SIGKILL
 * included, takes the whole namespace with it.
 *
 * Environment: KP7_SHARE_NET=1 keeps the caller's network; KP7_LINKS
 * ("NAME[=ADDR/LEN] ...") gives the run a network of its own with those
 * links; KP7_NO_NAMESPACE=1 runs the program directly where namespaces are
 * unavailable.  A run started inside a network a kp7init made (its
 * loopback carries our alias) shares it rather than making another.  The
 * program gets KP7_ROOT, and TZ (UTC0 unless set: the root has no zone
 * files).
 */
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <array>
#include <linux/capability.h>
#include <net/if.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <string>

#include "sandbox.h"

namespace {

/* Pids 2 to 7 as a small router's kernel shows them. */
constexpr std::array<const char *, 6> kPlaceholders = {
	"kthreadd", "ksoftirqd/0", "events/0", "khelper", "async/mgr", "kblockd/0",
};

/* The program never needs these and must not have them even by mistake:
 * the clock, reboot, modules, the network, mounts, device nodes, raw I/O.
 * It keeps sys_chroot, which the root's shell needs. */
constexpr int kDroppedCaps[] = {
	CAP_NET_ADMIN, CAP_SYS_MODULE, CAP_SYS_RAWIO, CAP_SYS_ADMIN,
	CAP_SYS_BOOT, CAP_SYS_TIME, CAP_MKNOD, CAP_WAKE_ALARM,
};

constexpr const char *kIpPaths[] = {"/usr/sbin/ip", "/sbin/ip", "/usr/bin/ip", "/bin/ip"};

/* Where a program name is looked up in the root. */
constexpr const char *kRootPath[] = {"/bin", "/sbin", "/usr/bin", "/usr/sbin"};

struct Run {
	std::string root;
	std::string path;            /* what to exec: host path, or path in the root */
	char **argv = nullptr;       /* PROG ARGS...; argv[0] becomes `path` */
	bool chroot = false;
	bool interactive = false;
	bool own_net = false;        /* a network namespace made for this run */
	bool private_net = false;    /* a network of kp7box's making, own or enclosing */
	int alive_fd = -1;           /* pid 1: hangs up when the runner is gone */
};

[[noreturn]] void die(const char *fmt, ...)
{
	va_list ap;
	va_start(ap, fmt);
	fputs("kp7box: ", stderr);
	vfprintf(stderr, fmt, ap);
	fputc('\n', stderr);
	va_end(ap);
	_exit(1);
}

bool env_set(const char *name)
{
	const char *v = getenv(name);
	return v && *v;
}

int write_text(const char *path, const char *text)
{
	int fd = open(path, O_WRONLY | O_CLOEXEC);
	if (fd < 0)
		return -1;
	ssize_t len = (ssize_t)strlen(text);
	int rc = write(fd, text, len) == len ? 0 : -1;
	close(fd);
	return rc;
}

/* Without being root, a user namespace of our own makes us root in it;
 * false when there is none to be had. */
bool map_root_user(void)
{
	unsigned uid = geteuid(), gid = getegid();
	if (uid == 0)
		return true;
	if (unshare(CLONE_NEWUSER) < 0)
		return false;
	char map[64];
	write_text("/proc/self/setgroups", "deny");
	snprintf(map, sizeof(map), "0 %u 1", uid);
	if (write_text("/proc/self/uid_map", map) < 0)
		die("uid_map: %s", strerror(errno));
	snprintf(map, sizeof(map), "0 %u 1", gid);
	if (write_text("/proc/self/gid_map", map) < 0)
		die("gid_map: %s", strerror(errno));
	return true;
}

/* Which network the run gets: a run started inside one of our networks
 * shares it, unless it wants links of its own. */
void choose_net(Run *run)
{
	bool want_links = env_set("KP7_LINKS");
	const char *share = getenv("KP7_SHARE_NET");
	if (share && !strcmp(share, "1")) {
		if (want_links)
			die("KP7_LINKS needs a network of the run's own, not KP7_SHARE_NET=1");
		return;
	}
	run->private_net = true;
	run->own_net = want_links || !sandbox_in_own_net();
}

/* ---- pid 1 ---- */

/* Our mounts must never reach the machine's mount table. */
void mount_procs(const Run *run)
{
	if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) < 0)
		die("cannot make the mounts private: %s", strerror(errno));
	unsigned long flags = MS_NOSUID | MS_NODEV | MS_NOEXEC;
	if (mount("proc", "/proc", "proc", flags, nullptr) < 0)
		die("cannot mount proc: %s", strerror(errno));
	char hostproc[4096];
	snprintf(hostproc, sizeof(hostproc), "%s/.hostproc", run->root.c_str());
	if (mount("proc", hostproc, "proc", flags, nullptr) < 0)
		fprintf(stderr, "kp7box: cannot mount proc on %s: %s\n", hostproc, strerror(errno));
}

bool valid_link(const char *name, const char *mac, const char *addr)
{
	size_t len = strlen(name);
	if (len == 0 || len >= IFNAMSIZ || strspn(name, "abcdefghijklmnopqrstuvwxyz0123456789-._") != len)
		return false;
	/* six bytes in hex, colon-separated */
	if (mac && (strlen(mac) != 17 || strspn(mac, "0123456789abcdefABCDEF:") != 17))
		return false;
	return !addr || (*addr && strspn(addr, "0123456789./") == strlen(addr));
}

/* KP7_LINKS as "ip -batch" commands: each link a bridge (a link that
 * needs no peer) with its hardware address when given, its address, up.
 * A link is NAME[@MAC][=ADDR/LEN].  Returns the length. */
size_t link_commands(const char *spec, char *out, size_t size)
{
	char copy[1024];
	if (snprintf(copy, sizeof(copy), "%s", spec) >= (int)sizeof(copy))
		die("KP7_LINKS too long");
	size_t used = 0;
	char *save = nullptr;
	for (char *tok = strtok_r(copy, " \t", &save); tok; tok = strtok_r(nullptr, " \t", &save)) {
		char *addr = strchr(tok, '=');
		if (addr)
			*addr++ = '\0';
		char *mac = strchr(tok, '@');
		if (mac)
			*mac++ = '\0';
		if (!valid_link(tok, mac, addr))
			die("KP7_LINKS: bad link \"%s\" (NAME[@MAC][=ADDR/LEN])", tok);
		int n = snprintf(out + used, size - used, "link add %s%s%s type bridge\n", tok,
				 mac ? " address " : "", mac ? mac : "");
		if (n >= 0 && (size_t)n < size - used && addr)
			n += snprintf(out + used + n, size - used - n, "addr add %s dev %s\n", addr, tok);
		if (n >= 0 && (size_t)n < size - used)
			n += snprintf(out + used + n, size - used - n, "link set %s up\n", tok);
		if (n < 0 || (size_t)n >= size - used)
			die("KP7_LINKS too long");
		used += n;
	}
	return used;
}

/* The links are made by the machine's "ip", in our network namespace. */
void make_links(const char *spec)
{
	char cmds[4096];
	size_t len = link_commands(spec, cmds, sizeof(cmds));
	int fds[2];
	if (pipe2(fds, O_CLOEXEC) < 0)
		die("pipe: %s", strerror(errno));
	pid_t pid = fork();
	if (pid == 0) {
		dup2(fds[0], 0);
		for (const char *ip : kIpPaths)
			execl(ip, "ip", "-batch", "-", (char *)nullptr);
		die("ip not found");
	}
	close(fds[0]);
	if (pid < 0 || write(fds[1], cmds, len) != (ssize_t)len)
		die("KP7_LINKS: cannot run ip");
	close(fds[1]);
	int status;
	while (waitpid(pid, &status, 0) < 0 && errno == EINTR)
		;
	if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
		die("KP7_LINKS: ip failed on \"%s\"", spec);
}

/* Loopback up and marked as ours: "kp7box link" and the stand-ins of
 * ping and wget tell our networks from this machine's by the mark. */
void set_up_net(void)
{
	int err = sandbox_mark_net();
	if (err)
		die("loopback: %s", strerror(err));
	const char *links = getenv("KP7_LINKS");
	if (links && *links)
		make_links(links);
}

/* Namespaces of the run; false when the system has none to give.  The
 * network is made first, with its links: "ip" must not become pid 1. */
bool enter_namespaces(Run *run)
{
	if (!map_root_user())
		return false;
	choose_net(run);
	if (run->own_net) {
		if (unshare(CLONE_NEWNET) < 0)
			return false;
		set_up_net();
	}
	return unshare(CLONE_NEWPID | CLONE_NEWNS) == 0;
}

/* The firmware writer stops pids 1 to 7: these take 2 to 7 and sleep. */
void start_placeholders(void)
{
	for (size_t i = 0; i < kPlaceholders.size(); i++) {
		pid_t pid = fork();
		if (pid < 0)
			die("fork: %s", strerror(errno));
		if (pid > 0) {
			if (pid != (pid_t)(i + 2))
				die("placeholder %s got pid %d", kPlaceholders[i], (int)pid);
			continue;
		}
		prctl(PR_SET_NAME, kPlaceholders[i], 0, 0, 0);
		sigset_t none;
		sigemptyset(&none);
		sigprocmask(SIG_SETMASK, &none, nullptr);
		int null = open("/dev/null", O_RDWR);
		for (int fd = 0; fd < 3; fd++)
			dup2(null, fd);
		closefrom(3);
		for (;;)
			pause();
	}
}

/* In the program's child: from here on, the router's view. */
[[noreturn]] void exec_program(const Run *run)
{
	for (int cap : kDroppedCaps)
		prctl(PR_CAPBSET_DROP, cap, 0, 0, 0);
	if (run->chroot) {
		if (chroot(run->root.c_str()) < 0 || chdir("/") < 0)
			die("cannot enter %s: %s", run->root.c_str(), strerror(errno));
		setenv("KP7_ROOT", "/", 1);
		setenv("KP7_PROCFS", "/.hostproc", 1);
	} else {
		setenv("KP7_ROOT", run->root.c_str(), 1);
		unsetenv("KP7_PROCFS");
	}
	execv(run->path.c_str(), run->argv);
	int err = errno;
	fprintf(stderr, "kp7box: %s: %s\n", run->path.c_str(), strerror(err));
	_exit(err == ENOENT ? 127 : 126);
}

int status_code(int status)
{
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

[[noreturn]] void init_main(Run *run)
{
	prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0);
	/* The runner may have died before the line above. */
	struct pollfd alive = {run->alive_fd, 0, 0};
	if (poll(&alive, 1, 0) > 0)
		_exit(1);
	prctl(PR_SET_NAME, SANDBOX_INIT_NAME, 0, 0, 0);
	mount_procs(run);
	start_placeholders();
	pid_t prog = fork();
	if (prog < 0)
		die("fork: %s", strerror(errno));
	if (prog == 0)
		exec_program(run);
	/* Everything orphaned in the namespace comes to us: reap it. */
	for (;;) {
		int status;
		pid_t pid = waitpid(-1, &status, 0);
		if (pid == prog)
			_exit(status_code(status));
		if (pid < 0 && errno != EINTR)
			_exit(1);
	}
}

/* ---- the runner ---- */

[[noreturn]] void run_without_namespace(Run *run)
{
	if (!env_set("KP7_NO_NAMESPACE"))
		die("no PID namespace here; refusing (KP7_NO_NAMESPACE=1 runs without one)");
	if (run->chroot && (chroot(run->root.c_str()) < 0 || chdir("/") < 0))
		die("cannot enter %s: %s", run->root.c_str(), strerror(errno));
	setenv("KP7_ROOT", run->chroot ? "/" : run->root.c_str(), 1);
	execv(run->path.c_str(), run->argv);
	die("%s: %s", run->path.c_str(), strerror(errno));
}

/* "kp7box link DIR" acts in the network of the root's latest run: the
 * root's /.kp7net names its pid 1 (as we number it) and the namespace's
 * inode. */
struct NetNote {
	std::string path, line;
};

NetNote note_net(const Run *run, pid_t init, unsigned long net_inode)
{
	NetNote note;
	if (!run->private_net || net_inode == 0)
		return note;
	char line[64];
	snprintf(line, sizeof(line), "%d %lu\n", (int)init, net_inode);
	std::string path = run->root + "/.kp7net", tmp = path + "." + std::to_string(getpid());
	int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
	bool ok = fd >= 0 && write(fd, line, strlen(line)) == (ssize_t)strlen(line);
	if (fd >= 0)
		close(fd);
	if (ok && rename(tmp.c_str(), path.c_str()) == 0)
		note = {path, line};
	else
		unlink(tmp.c_str());
	return note;
}

/* Removes the note unless a later run has replaced it. */
void forget_net(const NetNote &note)
{
	if (note.path.empty())
		return;
	char now[64];
	int fd = open(note.path.c_str(), O_RDONLY | O_CLOEXEC);
	ssize_t n = fd < 0 ? -1 : read(fd, now, sizeof(now));
	if (fd >= 0)
		close(fd);
	if (n > 0 && note.line == std::string(now, n))
		unlink(note.path.c_str());
}

[[noreturn]] void runner_main(Run *run)
{
	if (!enter_namespaces(run))
		run_without_namespace(run);
	/* Read before pid 1 exists: it mounts its own procfs over /proc,
	 * where we have no "self". */
	unsigned long net_inode = sandbox_net_inode();
	int fds[2];
	if (pipe2(fds, O_CLOEXEC) < 0)
		die("pipe: %s", strerror(errno));
	pid_t init = fork();
	if (init < 0)
		die("fork: %s", strerror(errno));
	if (init == 0) {
		close(fds[1]);
		run->alive_fd = fds[0];
		init_main(run);
	}
	close(fds[0]);
	NetNote note = note_net(run, init, net_inode);
	if (run->interactive) {
		/* ^C and ^\ are for the shell inside, not for us. */
		signal(SIGINT, SIG_IGN);
		signal(SIGQUIT, SIG_IGN);
	}
	int status;
	while (waitpid(init, &status, 0) < 0)
		if (errno != EINTR)
			die("wait: %s", strerror(errno));
	forget_net(note);
	_exit(status_code(status));
}

/* ---- finding the program ---- */

bool is_program(const std::string &path)
{
	struct stat st;
	return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

[[noreturn]] void not_found(const char *prog, const char *where)
{
	fprintf(stderr, "kp7box: %s: not found %s\n", prog, where);
	_exit(127);
}

/* A program of this machine: an absolute path, or a name in PATH. */
void find_on_host(Run *run, const char *prog)
{
	if (prog[0] == '/') {
		run->path = prog;
	} else if (strchr(prog, '/')) {
		die("%s: give a name in PATH or an absolute path", prog);
	} else {
		const char *env = getenv("PATH");
		std::string dirs = env ? env : "/usr/bin:/bin";
		for (size_t at = 0; at <= dirs.size();) {
			size_t end = dirs.find(':', at);
			if (end == std::string::npos)
				end = dirs.size();
			run->path = dirs.substr(at, end - at) + "/" + prog;
			if (is_program(run->path))
				return;
			at = end + 1;
		}
	}
	if (!is_program(run->path))
		not_found(prog, "on this machine");
}

bool in_list(const char *list, const std::string &name)
{
	std::string words = std::string(" ") + list + " ";
	return words.find(" " + name + " ") != std::string::npos;
}

/* The root's program, and whether it runs from the host side. */
void find_in_root(Run *run, const char *prog, const char *aware)
{
	std::string rpath, hpath;
	if (prog[0] == '/') {
		rpath = prog;
	} else if (strchr(prog, '/')) {
		die("%s: give a name in the root's bin or an absolute path", prog);
	} else {
		for (const char *dir : kRootPath) {
			rpath = std::string(dir) + "/" + prog;
			if (sandbox_root_path(run->root, rpath.c_str(), &hpath) && is_program(hpath))
				break;
		}
	}
	if (!sandbox_root_path(run->root, rpath.c_str(), &hpath) || !is_program(hpath))
		not_found(prog, "in the root");
	std::string name = hpath.substr(hpath.rfind('/') + 1);
	run->chroot = !(hpath == run->root + "/bin/" + name && in_list(aware, name));
	run->path = run->chroot ? rpath : hpath;
}

/* DIR made real, and a sandbox root. */
void set_root(Run *run, const char *dir)
{
	char real[4096];
	std::string marker;
	if (realpath(dir, real))
		marker = std::string(real) + "/.kp7root";
	struct stat st;
	if (marker.empty() || stat(marker.c_str(), &st) < 0 || !S_ISREG(st.st_mode))
		die("%s: not a sandbox root (make one with kp7box create)", dir);
	run->root = real;
}

[[noreturn]] void usage(void)
{
	fputs("usage: kp7init --aware NAMES run [--host] [--interactive] DIR PROG [ARGS...]\n", stderr);
	_exit(2);
}

}  // namespace

int main(int argc, char **argv)
{
	Run run;
	bool host = false;
	if (argc < 4 || strcmp(argv[1], "--aware") != 0 || strcmp(argv[3], "run") != 0)
		usage();
	const char *aware = argv[2];
	int i = 4;
	for (; i < argc && !strncmp(argv[i], "--", 2); i++) {
		if (!strcmp(argv[i], "--host"))
			host = true;
		else if (!strcmp(argv[i], "--interactive"))
			run.interactive = true;
		else
			usage();
	}
	if (argc - i < 2)
		usage();
	set_root(&run, argv[i]);
	if (host)
		find_on_host(&run, argv[i + 1]);
	else
		find_in_root(&run, argv[i + 1], aware);
	run.argv = argv + i + 1;
	run.argv[0] = (char *)run.path.c_str();
	setenv("TZ", "UTC0", 0);
	/* A run ends with whoever started it: a test script that dies must
	 * not leave its daemons running in a namespace nobody will end. */
	prctl(PR_SET_PDEATHSIG, SIGKILL, 0, 0, 0);
	runner_main(&run);
}
