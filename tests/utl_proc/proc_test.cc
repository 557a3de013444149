/*
 * Finding and signalling processes by name, with real children under
 * names of our own ("kp7t_..."), and with a made-up process table for the
 * odd cases.  Everything here runs as process 1 of a private PID
 * namespace: main() refuses to start anywhere else.
 */
#include <gtest/gtest.h>

#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "clock.h"
#include "sandbox.h"
#include "utl.h"

namespace {

/* Copies of sleep and true under the names the tests look for. */
TempDir *progs;

std::string prog(const std::string &name, const char *from = "/bin/sleep")
{
	std::string path = *progs / name;
	if (!exists(path))
		write_file(path, read_file(from), 0755);
	return path;
}

std::string status_field(pid_t pid, const char *field)
{
	std::string status = read_file("/proc/" + std::to_string(pid) + "/status");
	size_t at = status.find(std::string(field) + ":\t");
	if (at == std::string::npos)
		return "";
	at += strlen(field) + 2;
	return status.substr(at, status.find('\n', at) - at);
}

/* A child running `exe` with `argv`, killed and reaped at the end. */
struct Child {
	pid_t pid = -1;
	Child(const std::string &exe, std::vector<std::string> argv)
	{
		fflush(stdout);
		pid = fork();
		if (pid == 0) {
			std::vector<char *> args;
			for (std::string &a : argv)
				args.push_back(&a[0]);
			args.push_back(nullptr);
			execv(exe.c_str(), args.data());
			_exit(127);
		}
		/* Ready once it runs the program under its new name. */
		std::string comm = exe.substr(exe.rfind('/') + 1, 15);
		for (int i = 0; i < 500 && status_field(pid, "Name") != comm; i++)
			usleep(10000);
	}
	/* Runs `name` (a copy of sleep) with the name as argv[0]. */
	explicit Child(const std::string &name) : Child(prog(name), {name, "1000"}) {}
	int reap()
	{
		int status = -1;
		if (pid > 0)
			waitpid(pid, &status, 0);
		pid = -1;
		return status;
	}
	~Child()
	{
		if (pid > 0) {
			kill(pid, SIGKILL);
			reap();
		}
	}
};

TEST(UtlPidByName, WholeNamesOnly)
{
	Child boa("kp7t_boa"), boa2("kp7t_boa2");
	EXPECT_EQ(utl_get_pid_from_pname("kp7t_boa"), boa.pid);
	EXPECT_EQ(utl_get_pid_from_pname("kp7t_boa2"), boa2.pid);
	EXPECT_EQ(utl_get_pid_from_pname("kp7t_bo"), 0);
	EXPECT_EQ(utl_get_pid_from_pname("kp7t_boa22"), 0);
	EXPECT_EQ(utl_get_pid_from_pname("KP7T_BOA"), 0);
	EXPECT_EQ(utl_get_pid_from_pname(""), 0);
}

TEST(UtlPidByName, TheKernelKeepsFifteenCharacters)
{
	Child exact("kp7t_fifteen_ch"), longer("kp7t_longer_name_x");
	ASSERT_EQ(strlen("kp7t_fifteen_ch"), 15u);
	EXPECT_EQ(utl_get_pid_from_pname("kp7t_fifteen_ch"), exact.pid);
	EXPECT_EQ(utl_get_pid_from_pname("kp7t_longer_name_x"), 0);
	EXPECT_EQ(utl_get_pid_from_pname("kp7t_longer_na"), 0);
	EXPECT_EQ(utl_get_pid_from_pname("kp7t_longer_nam"), longer.pid);
}

TEST(UtlPidByName, ZombiesAreNotRunning)
{
	Child gone(prog("kp7t_gone", "/bin/true"), {"kp7t_gone"});
	for (int i = 0; i < 500 && status_field(gone.pid, "State").substr(0, 1) != "Z"; i++)
		usleep(10000);
	ASSERT_EQ(status_field(gone.pid, "State").substr(0, 1), "Z");
	EXPECT_EQ(status_field(gone.pid, "Name"), "kp7t_gone");
	EXPECT_EQ(utl_get_pid_from_pname("kp7t_gone"), 0);
	gone.reap();
}

TEST(UtlPidByCmdline, PrefixBytes)
{
	Child c(prog("kp7t_cmd"), {"kp7t_cmd", "1000", "1"});
	const char args[] = "kp7t_cmd\0" "1000\0" "1";
	EXPECT_EQ(utl_get_pid_from_cmdline(sizeof(args), args), c.pid);
	EXPECT_EQ(utl_get_pid_from_cmdline(13, args), c.pid);
	EXPECT_EQ(utl_get_pid_from_cmdline(8, "kp7t_cmdXYZ"), c.pid);
	EXPECT_EQ(utl_get_pid_from_cmdline(13, "kp7t_cmd\0" "1001"), 0);
	EXPECT_EQ(utl_get_pid_from_cmdline(9, "kp7t_cmd "), 0);
	/* Nothing to compare: the first process with a command line, which
	 * is this one, process 1; the caller is not left out. */
	EXPECT_EQ(utl_get_pid_from_cmdline(0, ""), getpid());
	EXPECT_EQ(utl_get_pid_from_cmdline(-5, ""), getpid());
}

/* Standard output captured around `fn`, and the seconds it took. */
template <typename Fn> std::string printed(Fn fn, double *secs)
{
	TempDir tmp("kp7proc");
	CaptureStdout cap(tmp / "out");
	double t0 = monotonic();
	fn();
	*secs = monotonic() - t0;
	return cap.done();
}

TEST(UtlKillProc, SignalsTheNamedProcessAndWaits)
{
	Child victim("kp7t_victim"), bystander("kp7t_victim2");
	double secs;
	int rc = 0;
	std::string out = printed([&] { rc = utl_kill_proc("kp7t_victim", SIGTERM); }, &secs);
	EXPECT_EQ(rc, 1);
	EXPECT_EQ(out, "kill kp7t_victim signum 15\n");
	EXPECT_GE(secs, 0.9);
	int status = victim.reap();
	EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
	EXPECT_EQ(status_field(bystander.pid, "State").substr(0, 1), "S");

	/* Nobody of that name: nothing printed, no pause. */
	out = printed([&] { rc = utl_kill_proc("kp7t_victim", SIGTERM); }, &secs);
	EXPECT_EQ(rc, 0);
	EXPECT_EQ(out, "");
	EXPECT_LT(secs, 0.5);
}

TEST(UtlKillProc, AllOfTheName)
{
	Child a("kp7t_many"), b("kp7t_many"), c("kp7t_many");
	double secs;
	int rc = -1;
	/* The killed stay zombies until reaped here: they must not be found
	 * again, or this would never end. */
	alarm(30);
	std::string out = printed([&] { rc = utl_kill_proc_all("kp7t_many", SIGKILL); }, &secs);
	alarm(0);
	EXPECT_EQ(rc, 0);
	EXPECT_EQ(out, "kill kp7t_many signum 9\nkill kp7t_many signum 9\nkill kp7t_many signum 9\n");
	EXPECT_GE(secs, 2.9);
	for (Child *ch : {&a, &b, &c}) {
		int status = ch->reap();
		EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
	}
	EXPECT_EQ(utl_kill_proc_all("kp7t_many", SIGKILL), 0);
}

TEST(UtlKillProc, ByCommandLine)
{
	Child a(prog("kp7t_cl"), {"kp7t_cl", "1000"}), b(prog("kp7t_cl"), {"kp7t_cl", "1000"});
	Child other(prog("kp7t_cl"), {"kp7t_cl", "999"});
	const char prefix[] = "kp7t_cl\0" "1000";
	double secs;
	int rc = -1;
	std::string out = printed([&] { rc = utl_kill_proc_from_cmdline(sizeof(prefix), prefix, SIGKILL); },
				  &secs);
	EXPECT_EQ(rc, 1);
	/* The prefix is printed as text: up to its first NUL. */
	EXPECT_EQ(out, "kill kp7t_cl signum 9\n");
	alarm(30);
	out = printed([&] { rc = utl_kill_proc_all_from_cmdline(sizeof(prefix), prefix, SIGKILL); },
		      &secs);
	alarm(0);
	EXPECT_EQ(rc, 0);
	EXPECT_EQ(out, "kill kp7t_cl signum 9\n");
	a.reap();
	b.reap();
	EXPECT_EQ(status_field(other.pid, "State").substr(0, 1), "S");
	EXPECT_EQ(utl_kill_proc_from_cmdline(sizeof(prefix), prefix, SIGKILL), 0);
}

TEST(UtlDuplicateProc, NameAndArgvZeroPrefixes)
{
	{
		Child dup(prog("kp7t_dup"), {"/opt/kp7t/dup", "1000", "1"});
		EXPECT_EQ(utl_check_duplicate_proc("kp7t_dup", "/opt/kp7t/dup"), 1);
		EXPECT_EQ(utl_check_duplicate_proc("kp7t_d", "/opt/kp7t"), 1);
		EXPECT_EQ(utl_check_duplicate_proc("kp7t_dup", ""), 1);
		EXPECT_EQ(utl_check_duplicate_proc("kp7t_dupx", "/opt/kp7t/dup"), 0);
		EXPECT_EQ(utl_check_duplicate_proc("kp7t_dup", "/opt/kp7t/dupx"), 0);
		/* Only argv[0] is compared: the comparison stops at its NUL. */
		EXPECT_EQ(utl_check_duplicate_proc("kp7t_dup", "/opt/kp7t/dup 1000"), 0);
	}
	EXPECT_EQ(utl_check_duplicate_proc("kp7t_dup", "/opt/kp7t/dup"), 0);
}

/* A forked child takes a name and asks whether another process has it:
 * never itself, but a second process of that name, yes. */
TEST(UtlDuplicateProc, NeverTheCaller)
{
	int to_child[2], from_child[2];
	ASSERT_EQ(pipe(to_child), 0);
	ASSERT_EQ(pipe(from_child), 0);
	fflush(stdout);
	pid_t pid = fork();
	if (pid == 0) {
		prctl(PR_SET_NAME, "kp7t_dupchk");
		char answer = (char)('0' + utl_check_duplicate_proc("kp7t_dupchk", "")), go;
		ssize_t n = write(from_child[1], &answer, 1);
		n += read(to_child[0], &go, 1);
		answer = (char)('0' + utl_check_duplicate_proc("kp7t_dupchk", ""));
		n += write(from_child[1], &answer, 1);
		_exit(n == 3 ? 0 : 1);
	}
	char alone = 0, with_second = 0;
	ASSERT_EQ(read(from_child[0], &alone, 1), 1);
	EXPECT_EQ(alone, '0');
	{
		Child second("kp7t_dupchk");
		ASSERT_EQ(write(to_child[1], "g", 1), 1);
		ASSERT_EQ(read(from_child[0], &with_second, 1), 1);
	}
	EXPECT_EQ(with_second, '1');
	int status;
	ASSERT_EQ(waitpid(pid, &status, 0), pid);
	EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
	for (int fd : {to_child[0], to_child[1], from_child[0], from_child[1]})
		close(fd);
}

/* A process table made up as files: only lookups, nothing is signalled. */
struct FakeProc {
	TempDir dir{"kp7fakeproc"};
	FakeProc() { setenv("KP7_PROCFS", dir.path.c_str(), 1); }
	~FakeProc() { unsetenv("KP7_PROCFS"); }
	void add(const std::string &pid, const std::string &file, const std::string &text)
	{
		mkdir((dir / pid).c_str(), 0755);
		write_file(dir / pid + "/" + file, text);
	}
};

TEST(UtlFakeProc, CommandLines)
{
	FakeProc proc;
	proc.add("7", "cmdline", "");       /* a kernel thread */
	proc.add("abc", "cmdline", "ppp");  /* not a process */
	proc.add("12", "cmdline", "ppp");   /* a command line without its NUL */
	EXPECT_EQ(utl_get_pid_from_cmdline(13, "pppd call wan"), 12);
	EXPECT_EQ(utl_get_pid_from_cmdline(0, ""), 12);
	EXPECT_EQ(utl_get_pid_from_cmdline(2, "pq"), 0);
	proc.add("13", "cmdline", std::string(400, 'x'));
	EXPECT_EQ(utl_get_pid_from_cmdline(300, std::string(300, 'x').c_str()), 13);
}

TEST(UtlFakeProc, StatusFiles)
{
	FakeProc proc;
	proc.add("20", "status", "Name:\tboa2\nState:\tS (sleeping)\n");
	proc.add("21", "status", "Name:\tboa\nState:\tZ (zombie)\n");
	proc.add("22", "status", "Name:\tboa\nUmask:\t0022\nState:\tR (running)\n");
	proc.add("23", "status", "Name:\t" + std::string(300, 'b') + "\n");
	proc.add("24", "status", std::string("\0\xff\x01 boa\n", 8));
	proc.add("25", "status", "Name:\n");
	EXPECT_EQ(utl_get_pid_from_pname("boa"), 22);
	EXPECT_EQ(utl_get_pid_from_pname(std::string(300, 'b').c_str()), 0);
	EXPECT_EQ(utl_get_pid_from_pname("boa2"), 20);
}

TEST(UtlFakeProc, DuplicateChecks)
{
	FakeProc proc;
	proc.add("30", "status", "Umask:\t0022\nname:   kp7dup\n");
	proc.add("30", "cmdline", std::string("/usr/bin/kp7dup\0-d\0", 19));
	EXPECT_EQ(utl_check_duplicate_proc("kp7dup", "/usr/bin/kp7dup"), 1);
	EXPECT_EQ(utl_check_duplicate_proc("kp7", "/usr/bin/kp7"), 1);
	EXPECT_EQ(utl_check_duplicate_proc("kp7dupx", "/usr/bin/kp7dup"), 0);
	EXPECT_EQ(utl_check_duplicate_proc("kp7dup", "/usr/bin/kp7dup -d"), 0);

	/* The caller's own entry is passed over; so are names that are not
	 * all digits, a Name line without its end, a missing command line. */
	FakeProc other;
	other.add(std::to_string(getpid()), "status", "Name:\tkp7self\n");
	other.add(std::to_string(getpid()), "cmdline", std::string("kp7self\0", 8));
	other.add("31x", "status", "Name:\tkp7self\n");
	other.add("31x", "cmdline", std::string("kp7self\0", 8));
	other.add("32", "status", "Name:\tkp7self");
	other.add("32", "cmdline", std::string("kp7self\0", 8));
	other.add("33", "status", "Name:\tkp7self\n");
	other.add("34", "status", std::string(255, 'N') + "\nName:\tkp7self\n");
	other.add("34", "cmdline", "");
	EXPECT_EQ(utl_check_duplicate_proc("kp7self", "kp7self"), 0);
	other.add("35", "status", "Name:\tkp7self\n");
	other.add("35", "cmdline", std::string("kp7self\0", 8));
	EXPECT_EQ(utl_check_duplicate_proc("kp7self", "kp7self"), 1);
}

TEST(UtlFakeProc, UnreadableTable)
{
	setenv("KP7_PROCFS", "/nonexistent/proc", 1);
	EXPECT_EQ(utl_check_duplicate_proc("x", "x"), -1);
	EXPECT_EQ(utl_get_pid_from_pname("x"), 0);
	EXPECT_EQ(utl_get_pid_from_cmdline(0, ""), 0);
	EXPECT_EQ(utl_kill_proc("x", 0), 0);
	unsetenv("KP7_PROCFS");
}

}  // namespace

int main(int argc, char **argv)
{
	/* Process 1 (or 2) only in a namespace of our own: anywhere else a
	 * name lookup could find, and signal, a process of this machine. */
	if (getpid() > 2) {
		fprintf(stderr,
			"%s: refusing to run: it signals processes by name and must be process 1 of "
			"a private PID namespace (this is pid %d); run it as\n"
			"  unshare --pid --fork --mount-proc %s\n",
			argv[0], (int)getpid(), argv[0]);
		return 1;
	}
	testing::InitGoogleTest(&argc, argv);
	TempDir dir("kp7proc");
	progs = &dir;
	return RUN_ALL_TESTS();
}
