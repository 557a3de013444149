#include "fake.h"

#include <arpa/inet.h>
#include <errno.h>
#include <net/if.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <syslog.h>

#include "files.h"

FakeSystem *fake;

namespace {

TempDir *root_dir;

/* The root is the library's for the whole run: set before it first looks. */
class FakeRoot : public testing::Environment {
public:
	void SetUp() override
	{
		root_dir = new TempDir("kp7sck");
		setenv("KP7_ROOT", root_dir->path.c_str(), 1);
	}
	void TearDown() override { delete root_dir; }
};

testing::Environment *const fake_root = testing::AddGlobalTestEnvironment(new FakeRoot);

std::string name_of(int pid)
{
	for (auto &p : fake->running)
		if (p.second == pid)
			return p.first;
	return "pid" + std::to_string(pid);
}

std::string last_popen;

FILE *popen_read(const char *cmd)
{
	last_popen = cmd;
	fake->commands.push_back(cmd);
	if (fake->popen_errno) {
		errno = fake->popen_errno;
		return nullptr;
	}
	std::string file = root_dir->path + "/tmp/popen.out";
	write_file(file, fake->output[cmd]);
	return fopen(file.c_str(), "r");
}

int pid_of(const char *name)
{
	auto p = fake->running.find(name);
	return p == fake->running.end() ? 0 : p->second;
}

void record_signal(const std::string &name, int sig)
{
	const char *sig_name = sig == SIGUSR1 ? "USR1" : sig == SIGUSR2 ? "USR2" : sig == SIGTERM ? "TERM" : "?";
	fake->signals.push_back(name + " " + sig_name);
	if (fake->signals_kill)
		fake->running.erase(name);
}

int kill_proc(const char *name, int sig)
{
	if (!pid_of(name))
		return 0;
	fake->said.push_back("kill " + std::string(name) + " signum " + std::to_string(sig));
	record_signal(name, sig);
	fake->slept += 1;
	return 1;
}

int flash_get(const char *name, char *value)
{
	auto s = fake->settings.find(name);
	if (s == fake->settings.end()) {
		value[0] = '\0';
		return -1;
	}
	strcpy(value, s->second.c_str());
	return 0;
}

int if_request(unsigned long req, struct ifreq *ifr)
{
	if (fake->if_result) {
		errno = fake->if_errno;
		return fake->if_result;
	}
	if (req == SIOCGIFFLAGS && !strcmp(ifr->ifr_name, "ppp1")) {
		if (!fake->ppp1_up)
			return errno = ENODEV, -1;
		ifr->ifr_flags = IFF_UP;
		return 0;
	}
	if (req == SIOCGIFADDR && !strcmp(ifr->ifr_name, "br0")) {
		struct sockaddr_in sin = {};
		sin.sin_family = AF_INET;
		inet_pton(AF_INET, fake->br0_addr, &sin.sin_addr);
		memcpy(&ifr->ifr_addr, &sin, sizeof(sin));
		return 0;
	}
	return errno = ENODEV, -1;
}

void log_line(int priority, const char *text)
{
	static const char *const levels[] = {"emerg", "alert", "crit", "err",
					     "warning", "notice", "info", "debug"};
	fake->logged.push_back(std::string(levels[LOG_PRI(priority)]) + " " + text);
}

void say(const char *line)
{
	std::string s = line;
	if (!s.empty() && s.back() == '\n')
		s.pop_back();
	fake->said.push_back(s);
}

const sck_ops_t fake_ops = {
	[](const char *cmd) { fake->commands.push_back(cmd); return 0; },
	popen_read,
	[](FILE *f) { fclose(f); return fake->exits[last_popen] << 8; },
	pid_of,
	kill_proc,
	[](int pid, int sig) { record_signal(name_of(pid), sig); return 0; },
	flash_get,
	if_request,
	[](unsigned seconds) { fake->slept += seconds; },
	[](unsigned seconds, const sigset_t *mask) {
		fake->slept += seconds;
		if (fake->on_wait)
			fake->on_wait(seconds, mask);
	},
	log_line,
	say,
	[] { fake->reboot_waits++; },
};

}  // namespace

std::string join_and_clear(std::vector<std::string> &lines)
{
	std::string s;
	for (const std::string &l : lines)
		s += (s.empty() ? "" : "\n") + l;
	lines.clear();
	return s;
}

void SckTest::SetUp()
{
	sys = FakeSystem();
	fake = &sys;
	sck_ops = &fake_ops;
	for (const char *dir : {"var", "etc", "proc", "tmp"})
		remove_tree(root_dir->path + "/" + dir);
	for (const char *dir : {"var", "var/run", "var/fact", "var/stat", "var/ppp", "var/ramsetting",
				"etc", "etc/ppp", "proc", "tmp"})
		ASSERT_EQ(mkdir(path(std::string("/") + dir).c_str(), 0755), 0) << dir;
	memset(sck, 0, sizeof(*sck));
	sck->prog_name = "syscheck";
	sck_start_checks(sck);
}

void SckTest::TearDown()
{
	sck_ops = &sck_sys_ops;
	fake = nullptr;
}

std::string SckTest::path(const std::string &router_path)
{
	return root_dir->path + router_path;
}

void SckTest::put(const std::string &router_path, const std::string &text)
{
	ASSERT_TRUE(write_file(path(router_path), text)) << router_path;
}
