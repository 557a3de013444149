/* Fuzz targets: realistic seed inputs and a check run on each mutant. */
#ifndef KP7_TESTS_UTL_FUZZ_H
#define KP7_TESTS_UTL_FUZZ_H

#include <stdio.h>

#include <string>
#include <vector>

struct FuzzTarget {
	const char *name;
	std::vector<std::string> seeds;
	/* Runs the parser on `input`; false (with a message on standard
	 * error) when a result breaks what the parser promises. */
	bool (*run)(const std::string &input);
};

extern const std::vector<FuzzTarget> &fuzz_targets(void);

/* Called once before the first input, e.g. to make a root. */
void fuzz_setup(void);

/* A broken promise: the message (and detail) on standard error; false. */
bool fail(const char *what, const std::string &detail = "");
/* The input as a stream (an empty one too, which fmemopen refuses). */
FILE *stream_of(const std::string &input);

#endif
