#include "sandbox.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

int open_fds(void)
{
	DIR *d = opendir("/proc/self/fd");
	if (!d)
		return -1;
	int n = 0;
	while (struct dirent *e = readdir(d))
		n += e->d_name[0] != '.';
	closedir(d);
	return n - 1; /* the directory's own descriptor */
}

bool no_children(void)
{
	return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

int in_child(const std::function<int()> &fn)
{
	fflush(stdout);
	pid_t pid = fork();
	if (pid == 0)
		_exit(fn());
	int status;
	if (pid < 0 || waitpid(pid, &status, 0) != pid)
		return -1;
	return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int exhaust_fds(void)
{
	struct rlimit lim = {(rlim_t)open_fds() + 8, (rlim_t)open_fds() + 8};
	setrlimit(RLIMIT_NOFILE, &lim);
	int last = -1, fd;
	while ((fd = open("/dev/null", O_RDONLY)) >= 0)
		last = fd;
	return last;
}

CaptureStdout::CaptureStdout(const std::string &path) : file(path)
{
	fflush(stdout);
	saved = dup(1);
	int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
	dup2(fd, 1);
	close(fd);
}

std::string CaptureStdout::done()
{
	fflush(stdout);
	dup2(saved, 1);
	close(saved);
	saved = -1;
	return read_file(file);
}

CaptureStdout::~CaptureStdout()
{
	if (saved >= 0)
		done();
}

bool host_sh(const std::string &cmd)
{
	int status = system(cmd.c_str());
	return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

/* A function's own static: set also from other globals' constructors. */
static std::string &root_dir(void)
{
	static std::string dir;
	return dir;
}

void set_test_root(const std::string &dir)
{
	root_dir() = dir;
	setenv("KP7_ROOT", dir.c_str(), 1);
}

const std::string &test_root(void)
{
	return root_dir();
}

std::string in_root(const std::string &router_path)
{
	return root_dir() + router_path;
}

/* A log not written yet is empty. */
static std::string log_since(const char *log, size_t mark)
{
	std::string all = read_file(in_root(log), "");
	return mark < all.size() ? all.substr(mark) : "";
}

size_t commands_mark(void)
{
	return log_since("/var/log/commands", 0).size();
}

std::string commands_since(size_t mark)
{
	return log_since("/var/log/commands", mark);
}

size_t messages_mark(void)
{
	return log_since("/var/log/messages", 0).size();
}

std::string messages_since(size_t mark)
{
	return log_since("/var/log/messages", mark);
}

RootScript::RootScript(const std::string &router_path, const std::string &script)
	: path(in_root(router_path)), saved(path + ".kp7saved")
{
	rename(path.c_str(), saved.c_str());
	write_file(path, script, 0755);
}

RootScript::~RootScript()
{
	rename(saved.c_str(), path.c_str());
}
