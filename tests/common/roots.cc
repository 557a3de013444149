#include "roots.h"

#include <fcntl.h>
#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>
#include "emu_exec.h"

/* tmpfs when there is one: the tests flush thousands of files */
TempRoot::TempRoot() : TempDir("kp7store", access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp")
{
	/* syslog lines are mirrored into var/log/messages when it can be made */
	make_dirs(path + "/var/log");
}

/* Failures so far in this test; a child judges only its own. */
static int failures(void)
{
	const testing::TestResult *r = testing::UnitTest::GetInstance()->current_test_info()->result();
	int n = 0;
	for (int i = 0; i < r->total_part_count(); i++)
		n += r->GetTestPartResult(i).failed();
	return n;
}

bool in_root(const TempRoot &root, const std::function<void()> &fn)
{
	fflush(stdout);
	int before = failures();
	pid_t pid = fork();
	if (pid == 0) {
		setenv("KP7_ROOT", root.path.c_str(), 1);
		fn();
		fflush(stdout);
		_exit(failures() > before ? 1 : 0);
	}
	int status = 0;
	waitpid(pid, &status, 0);
	return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<unsigned char> read_all(const std::string &path)
{
	std::ifstream in(path, std::ios::binary);
	return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void write_all(const std::string &path, const std::vector<unsigned char> &data)
{
	std::ofstream out(path, std::ios::binary | std::ios::trunc);
	out.write((const char *)data.data(), data.size());
}

ToolRun run_tool(const TempRoot &root, const std::vector<std::string> &argv)
{
	int out[2], err[2];
	if (pipe(out) < 0 || pipe(err) < 0)
		abort();
	pid_t pid = fork();
	if (pid == 0) {
		dup2(out[1], 1);
		dup2(err[1], 2);
		close(out[0]);
		close(err[0]);
		setenv("KP7_ROOT", root.path.c_str(), 1);
		std::string prog = std::string(KP7_BIN_DIR) + "/" + argv[0];
		std::vector<char *> args;
		for (const std::string &a : argv)
			args.push_back(const_cast<char *>(a.c_str()));
		args.push_back(nullptr);
		emu_execv(prog.c_str(), args.data());
		_exit(127);
	}
	close(out[1]);
	close(err[1]);
	ToolRun r;
	/* outputs are small: reading one pipe after the other cannot block */
	r.out = drain(out[0]);
	r.err = drain(err[0]);
	int status = 0;
	waitpid(pid, &status, 0);
	r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
	return r;
}
