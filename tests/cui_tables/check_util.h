/* Shared by the value-checking tests: calls made as the set command
 * makes them, with their message, value and trace. */
#ifndef KP7_TESTS_CHECK_UTIL_H
#define KP7_TESTS_CHECK_UTIL_H

#include <stdint.h>

#include <string>
#include <vector>

#include "cs.h"

using Bytes = std::vector<uint8_t>;

Bytes u32(uint32_t v);			/* a number as the store takes it */
Bytes txt(const std::string &s);	/* a text's characters */
Bytes hx(const char *digits);		/* bytes spelt in hex */
std::string repeat(char c, size_t n);

struct Outcome {
	int code;
	std::string msg;	/* up to the first NUL */
	Bytes out;		/* the whole message buffer the value was built in */
	std::string trace;	/* standard output during the call */
	int n_arg;		/* where the call left cui_soft.n_arg */
};

/* CsCheckAndMakeData() with the operands after NAME and INDEX, the zeroed
 * message buffer as output, as `kp7cui -d LEVEL -s -t c|d` makes it. */
constexpr int FIRST_VALUE = 6;	/* argv index of the first value */
Outcome check_rec(const cs_comm_c2m_t *rec, const std::vector<std::string> &values, int index = 0,
		  int level = 0, int set_type = CUI_SET_CURRENT);
Outcome check(const char *name, const std::vector<std::string> &values, int index = 0, int level = 0,
	      int set_type = CUI_SET_CURRENT);

/* Accepted with `want`, then zeros to the end of the buffer. */
void expect_value(const Outcome &o, const Bytes &want, const std::string &what);
void expect_refused(const Outcome &o, int code, const std::string &msg, const std::string &what);

#endif
