/*
 * cfgburn -f FILE - write a settings file (as `mibtool export` makes it)
 * to the flash copy of the set it holds; that set's working copy is
 * dropped.  A file that is not an intact settings file is refused and
 * flash is left as it was.  Exit status 0, or 1 with a message.
 */
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "mibstore.h"

int main(int argc, char **argv)
{
	int opt;
	const char *file = nullptr;
	bool bad = false;
	while ((opt = getopt(argc, argv, "f:")) != -1) {
		if (opt == 'f')
			file = optarg;
		else
			bad = true;
	}
	if (bad || !file || optind != argc) {
		fputs("usage: cfgburn -f FILE\n", stderr);
		return 1;
	}
	std::vector<uint8_t> data;
	if (mib_read_file(file, data) < 0) {
		fprintf(stderr, "cfgburn: cannot read %s (missing, unreadable or too large)\n", file);
		return 1;
	}
	const char *why = "";
	if (mib_install(0, data.data(), data.size(), &why) < 0) {
		fprintf(stderr, "cfgburn: %s: %s\n", file, why);
		return 1;
	}
	return 0;
}
