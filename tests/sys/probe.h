/* Runs this test binary again as a probe process with its own environment. */
#ifndef KP7_TESTS_SYS_PROBE_H
#define KP7_TESTS_SYS_PROBE_H

#include <string>
#include <vector>

#include "files.h"

struct ProbeResult {
	int status;        /* wait status */
	std::string out;   /* standard output */
};

/* This test binary's own path. */
std::string self_exe(void);
/* env: "NAME=VALUE" to set, "NAME" alone to unset; args after "--probe". */
ProbeResult probe(const std::vector<std::string> &env, const std::vector<std::string> &args);

#endif
