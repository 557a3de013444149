/* Private roots: a child process per root, and the build's programs run
 * in one. */
#ifndef KP7_TESTS_COMMON_ROOTS_H
#define KP7_TESTS_COMMON_ROOTS_H

#include <functional>
#include <string>
#include <vector>

#include "files.h"

/* A fresh directory used as KP7_ROOT, removed with everything in it. */
struct TempRoot : TempDir {
	TempRoot();
};

/* Runs fn in a child with KP7_ROOT=root (the store caches its root and
 * its sets per process); true when the child saw no failure. */
bool in_root(const TempRoot &root, const std::function<void()> &fn);

std::vector<unsigned char> read_all(const std::string &path);
void write_all(const std::string &path, const std::vector<unsigned char> &data);

/* Runs a program of the build with KP7_ROOT=root; returns the exit status. */
struct ToolRun {
	int status;
	std::string out, err;
};
ToolRun run_tool(const TempRoot &root, const std::vector<std::string> &argv);

#endif
