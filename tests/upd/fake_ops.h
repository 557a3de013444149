/* Recorded operations for the image writer: every call is one line of
 * `log`, every write lands in a picture of the two flash devices. */
#ifndef KP7_TESTS_UPD_FAKE_OPS_H
#define KP7_TESTS_UPD_FAKE_OPS_H

#include <string>
#include <vector>

#include "parts.h"

struct FakeFlash {
	std::vector<std::string> log;
	Bytes dev[2];			/* mtdblock0, mtdblock1 */
	long long dev_size[2] = {8 << 20, 8 << 20};
	bool open_fails[2] = {false, false};
	long short_write = -1;		/* >= 0: what every write returns */
	int pid_in_file = 0;

	/* Puts the fake in place of the router's operations for its lifetime. */
	FakeFlash();
	~FakeFlash();

	/* Log lines that start with `prefix`. */
	std::vector<std::string> only(const std::string &prefix) const;
	/* Index of the first line starting with `prefix`, or -1. */
	int first(const std::string &prefix) const;
	/* True when the devices hold nothing but the blank pattern. */
	bool untouched() const;
};

/* What firmwareUpgrade returned and left in the status text. */
struct Upgrade {
	int rc;
	std::string status;
};
Upgrade upgrade(const Bytes &img, const char *name = "romfetch");

#endif
