/* Tests that run in one sandbox root for the whole process: the root,
 * its logs, its programs, and this process's descriptors and children. */
#ifndef KP7_TESTS_COMMON_SANDBOX_H
#define KP7_TESTS_COMMON_SANDBOX_H

#include <functional>
#include <string>

#include "files.h"

/* Open descriptors of this process. */
int open_fds(void);
/* True when this process has no child at all, zombies included. */
bool no_children(void);
/* Runs fn in a forked child whose exit code is what fn returns; that
 * code, or -1 when the child did not exit of itself. */
int in_child(const std::function<int()> &fn);
/* Lowers this process's descriptor limit to a few more than it has open
 * and opens /dev/null into every slot left; returns the last one. */
int exhaust_fds(void);

/* Standard output of this process goes to a file until done(), which
 * returns what was written. */
struct CaptureStdout {
	std::string file;
	int saved;
	explicit CaptureStdout(const std::string &path);
	std::string done();
	~CaptureStdout();
};

/* Runs a host shell command for the test's own set-up; true on exit 0. */
bool host_sh(const std::string &cmd);

/* The root every command of the process runs in: KP7_ROOT, set once
 * before the platform layer first looks at it (also from a global's
 * constructor). */
void set_test_root(const std::string &dir);
const std::string &test_root(void);
/* Path of a router file in the test root. */
std::string in_root(const std::string &router_path);
/* Lines the root's shell recorded after `mark` (a size of its log). */
size_t commands_mark(void);
std::string commands_since(size_t mark);
/* Syslog lines mirrored into the root after `mark`. */
size_t messages_mark(void);
std::string messages_since(size_t mark);

/* Replaces a program of the root by a script for one scope. */
struct RootScript {
	std::string path, saved;
	RootScript(const std::string &router_path, const std::string &script);
	~RootScript();
};

#endif
