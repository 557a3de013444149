/* The test binary's main, and the probe process the environment tests run. */
#include "clock.h"
#include "probe.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>

#include "sys.h"
#include "../emu_exec.h"

namespace {

void print_status(const char *what, int status)
{
	printf("%s %d\n", what, WIFEXITED(status) ? WEXITSTATUS(status) : -1);
}

int probe_popen(const char *cmd, const char *mode, const char *input)
{
	FILE *f = sys_popen(cmd, mode);
	if (!f) {
		printf("popen failed\n");
		return 1;
	}
	char buf[256];
	if (*mode == 'r')
		while (fgets(buf, sizeof(buf), f))
			fputs(buf, stdout);
	else
		fputs(input, f);
	print_status("status", sys_pclose(f));
	return 0;
}

/* `n` commands in a row: is the clock handed to them from one entry of
 * the environment, rewritten in place (a value each time), and does the
 * heap stay as it was? */
int probe_spawns(int n)
{
	sys_pclose(sys_popen("first", "r"));
	const char *entry = getenv("KP7_TIME_START");
	std::string first = entry ? entry : "";
	size_t heap = mallinfo2().uordblks;
	for (int i = 1; i < n; i++) {
		usleep(100);
		sys_pclose(sys_popen("again", "r"));
	}
	const char *last = getenv("KP7_TIME_START");
	printf("same entry %d, new value %d, heap grew %ld\n", entry && last == entry,
	       last && first != last, (long)(mallinfo2().uordblks - heap));
	return 0;
}

int usr1_seen, usr2_seen;

/* The sleep that a signal ends however it lands: one already pending
 * ends it at once, one that the sleep's mask blocks does not, and the
 * caller's mask holds again afterwards. */
int probe_wake(void)
{
	struct sigaction sa = {};
	sa.sa_handler = [](int sig) { (sig == SIGUSR1 ? usr1_seen : usr2_seen)++; };
	sigaction(SIGUSR1, &sa, nullptr);
	sigaction(SIGUSR2, &sa, nullptr);
	sigset_t both, during, after;
	sigemptyset(&both);
	sigaddset(&both, SIGUSR1);
	sigaddset(&both, SIGUSR2);
	sigemptyset(&during);
	sigaddset(&during, SIGUSR2);
	sigprocmask(SIG_BLOCK, &both, nullptr);
	raise(SIGUSR2);
	raise(SIGUSR1);
	long long before = sys_time();
	int rc = sys_sleep_masked(60, &during);
	printf("early: %d %s, usr1 %d, usr2 %d, slept %s\n", rc, strerror(errno), usr1_seen,
	       usr2_seen, sys_time() - before < 30 ? "little" : "long");
	before = sys_time();
	rc = sys_sleep_masked(60, &during);
	printf("full: %d, slept %s\n", rc, sys_time() - before >= 60 ? "60" : "less");
	sigprocmask(SIG_BLOCK, nullptr, &after);
	printf("blocked: %d %d\n", sigismember(&after, SIGUSR1), sigismember(&after, SIGUSR2));
	return 0;
}

/* One operation of the platform layer; prints what the test checks.
 * Operations separated by a ";" argument run one after the other. */
int run_probe(int argc, char **argv)
{
	for (int i = 0; i < argc; i++) {
		if (strcmp(argv[i], ";"))
			continue;
		int rc = run_probe(i, argv);
		return rc ? rc : run_probe(argc - i - 1, argv + i + 1);
	}
	const char *op = argc > 0 ? argv[0] : "";
	if (!strcmp(op, "after") && argc > 2) {
		sys_sleep(atoi(argv[1]));
		return run_probe(argc - 2, argv + 2);
	} else if (!strcmp(op, "path") && argc == 2) {
		printf("[%s]\n", SysPath(argv[1]).c_str());
	} else if (!strcmp(op, "shell")) {
		printf("%s\n", sys_shell());
	} else if (!strcmp(op, "time")) {
		printf("%lld\n", (long long)sys_time());
	} else if (!strcmp(op, "sleep") && argc == 2) {
		long long before = sys_time();
		double t0 = monotonic();
		sys_sleep(atoi(argv[1]));
		double real = monotonic() - t0;
		printf("%lld %lld %.3f\n", before, (long long)sys_time(), real);
	} else if (!strcmp(op, "system") && argc == 2) {
		fflush(stdout);
		print_status("status", sys_system(argv[1]));
	} else if (!strcmp(op, "spawns") && argc == 2) {
		return probe_spawns(atoi(argv[1]));
	} else if (!strcmp(op, "wake")) {
		return probe_wake();
	} else if (!strcmp(op, "popen") && argc >= 3) {
		return probe_popen(argv[1], argv[2], argc > 3 ? argv[3] : "");
	} else if (!strcmp(op, "syslog") && argc == 4) {
		sys_openlog(argv[1], 0, LOG_DAEMON);
		sys_syslog(atoi(argv[2]), "%s", argv[3]);
		sys_closelog();
		printf("%d\n", (int)getpid());
	} else {
		fprintf(stderr, "unknown probe %s\n", op);
		return 2;
	}
	return 0;
}

}  // namespace

std::string self_exe(void)
{
	char buf[4096];
	ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
	return n > 0 ? std::string(buf, n) : std::string();
}

ProbeResult probe(const std::vector<std::string> &env, const std::vector<std::string> &args)
{
	std::string exe = self_exe();
	int fds[2];
	if (pipe(fds) < 0)
		return {-1, ""};
	fflush(stdout);
	pid_t pid = fork();
	if (pid == 0) {
		dup2(fds[1], 1);
		close(fds[0]);
		close(fds[1]);
		for (const std::string &e : env) {
			size_t eq = e.find('=');
			if (eq == std::string::npos)
				unsetenv(e.c_str());
			else
				setenv(e.substr(0, eq).c_str(), e.c_str() + eq + 1, 1);
		}
		std::vector<char *> argv;
		argv.push_back((char *)exe.c_str());
		argv.push_back((char *)"--probe");
		for (const std::string &a : args)
			argv.push_back((char *)a.c_str());
		argv.push_back(nullptr);
		emu_execv(exe.c_str(), argv.data());
		_exit(126);
	}
	close(fds[1]);
	ProbeResult r{-1, drain(fds[0])};
	waitpid(pid, &r.status, 0);
	return r;
}

int main(int argc, char **argv)
{
	if (argc > 1 && !strcmp(argv[1], "--probe"))
		return run_probe(argc - 2, argv + 2);
	/* The in-process tests use host paths as they are. */
	unsetenv("KP7_ROOT");
	testing::InitGoogleTest(&argc, argv);
	return RUN_ALL_TESTS();
}
