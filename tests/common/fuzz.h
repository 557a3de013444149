/* Fuzz targets: realistic seed inputs and a check run on each mutant. */
#ifndef KP7_TESTS_UTL_FUZZ_H
#define KP7_TESTS_UTL_FUZZ_H

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

#endif
