/*
 * The system as syscheck's checks see it, faked: commands, processes,
 * signals, settings, interface requests, sleeps, syslog and standard
 * output are recorded or answered from the test's own tables.  Files are
 * real, in a root of the test's own (KP7_ROOT).
 */
#ifndef KP7_TESTS_SCK_FAKE_H
#define KP7_TESTS_SCK_FAKE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "files.h"
#include "sck.h"

struct FakeSystem {
	/* what syscheck did, in order */
	std::vector<std::string> commands;	/* run() and popen() texts */
	std::vector<std::string> said;		/* standard output lines, without "\n" */
	std::vector<std::string> logged;	/* "LEVEL text": "info boa is down" */
	std::vector<std::string> signals;	/* "wanctl 10": name and signal */
	unsigned slept = 0;			/* sleep() and wait() seconds */
	/* Runs in place of the sleep between passes, when set. */
	std::function<void(unsigned seconds, const sigset_t *mask)> on_wait;
	int reboot_waits = 0;

	/* the world it sees */
	std::map<std::string, int> running;		/* process name -> pid */
	std::map<std::string, std::string> settings;	/* flash get answers */
	std::map<std::string, std::string> output;	/* popen: command -> stdout */
	int popen_errno = 0;			/* popen fails with it */
	std::map<std::string, int> exits;	/* popen: command -> exit status (0) */
	bool ppp1_up = false;
	int if_result = 0;			/* 0, -1 or SCK_IF_NO_SOCKET */
	int if_errno = 0;
	const char *br0_addr = "192.168.0.1";

	/* A process killed with one of these signals is gone afterwards. */
	bool signals_kill = false;
};

extern FakeSystem *fake;

/* The lines joined by newlines; the list is emptied. */
std::string join_and_clear(std::vector<std::string> &lines);

/*
 * Every test: a fresh fake system, an empty root (var/..., etc/ppp, proc),
 * and the control block as start-up leaves it (three checks on, the
 * countdowns set, interval 2).
 */
class SckTest : public testing::Test {
protected:
	FakeSystem sys;
	sck_soft_t *sck = sck_sc;

	void SetUp() override;
	void TearDown() override;

	/* n passes of the main loop, without the sleeps */
	void passes(int n)
	{
		for (int i = 0; i < n; i++)
			sck_pass(sck);
	}
	/* A router file of the test root. */
	static std::string path(const std::string &router_path);
	static void put(const std::string &router_path, const std::string &text = "1");
	static std::string get(const std::string &router_path) { return read_file(path(router_path)); }
	static bool has(const std::string &router_path) { return exists(path(router_path)); }
	static void drop(const std::string &router_path) { unlink(path(router_path).c_str()); }

	/* what was recorded, joined by newlines, and cleared */
	std::string said() { return join_and_clear(sys.said); }
	std::string logged() { return join_and_clear(sys.logged); }
	std::string commands() { return join_and_clear(sys.commands); }
	std::string signals() { return join_and_clear(sys.signals); }
};

#endif
