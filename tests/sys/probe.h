/* Runs this test binary again as a probe process with its own environment. */
#ifndef KP7_TESTS_SYS_PROBE_H
#define KP7_TESTS_SYS_PROBE_H

#include <string>
#include <vector>

struct ProbeResult {
	int status;        /* wait status */
	std::string out;   /* standard output */
};

/* env: "NAME=VALUE" to set, "NAME" alone to unset; args after "--probe". */
ProbeResult probe(const std::vector<std::string> &env, const std::vector<std::string> &args);

/* A fresh directory under TMPDIR, removed by the destructor. */
struct TempDir {
	std::string path;
	TempDir();
	~TempDir();
	std::string operator/(const std::string &name) const { return path + "/" + name; }
};

std::string read_all(const std::string &path);
void write_file(const std::string &path, const std::string &text, int mode = 0644);

#endif
