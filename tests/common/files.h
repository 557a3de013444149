/* Files and directories for the tests' own set-up and checks. */
#ifndef KP7_TESTS_COMMON_FILES_H
#define KP7_TESTS_COMMON_FILES_H

#include <string>

/* A fresh directory under `base`, removed with everything in it. */
struct TempDir {
	std::string path;
	explicit TempDir(const char *tag = "kp7test", const char *base = "/tmp");
	~TempDir();
	TempDir(const TempDir &) = delete;
	TempDir &operator=(const TempDir &) = delete;
	std::string operator/(const std::string &rel) const { return path + "/" + rel; }
};

/* The whole file; `absent` when it cannot be opened, so that a missing
 * file does not pass for an empty one. */
std::string read_file(const std::string &path, const char *absent = "<missing>");
/* Reads a descriptor (a pipe) to its end, and closes it. */
std::string drain(int fd);
/* Creates or truncates the file and writes `text`; true when all of it went. */
bool write_file(const std::string &path, const std::string &text, int mode = 0644);
/* True when something of that name is there (a dangling link too). */
bool exists(const std::string &path);
void remove_tree(const std::string &path);
/* Creates the directory and any missing parents; true when it is there. */
bool make_dirs(const std::string &path, int mode = 0755);
/* The names in a directory, sorted, each followed by a blank ("a b "):
 * shows temporaries left behind; "<no dir>" when it cannot be read. */
std::string listing(const std::string &dir);

#endif
