/*
 * A fuzz binary (utl_fuzz, upd_fuzz, ...) run as PROG TARGET: feeds mutants of the target's seed inputs to it until
 * the time is up (KP7_FUZZ_SECONDS, default 3), from a fixed seed
 * (KP7_FUZZ_SEED, default 1) so that a run can be repeated.  A failing
 * input is saved under /tmp and named on standard error.  Crashes and
 * reads past a buffer are the sanitizers' to report.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <random>
#include <string>

#include "clock.h"
#include "fuzz.h"

namespace {

/* Bytes the parsers treat specially come up more often than others. */
char interesting(std::mt19937 &rng)
{
	static const char special[] = "\n\r\t =\"\0:*PIVDLength0123456789xyz\xff";
	if (rng() % 2)
		return special[rng() % (sizeof(special) - 1)];
	return (char)(rng() & 0xff);
}

std::string mutate(const std::vector<std::string> &seeds, std::mt19937 &rng)
{
	std::string s = seeds[rng() % seeds.size()];
	int rounds = 1 + rng() % 8;
	for (int i = 0; i < rounds; i++) {
		size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
		switch (rng() % 7) {
		case 0: /* change a byte */
			if (!s.empty())
				s[rng() % s.size()] = interesting(rng);
			break;
		case 1: /* insert bytes */
			for (int n = 1 + rng() % 4; n > 0; n--)
				s.insert(s.begin() + at, interesting(rng));
			break;
		case 2: /* delete a stretch */
			if (!s.empty())
				s.erase(at == s.size() ? at - 1 : at, 1 + rng() % 16);
			break;
		case 3: /* a long run of one byte: overlong lines and words */
			s.insert(at, 1 + rng() % 3000, interesting(rng));
			break;
		case 4: /* splice in part of another seed */
		{
			const std::string &o = seeds[rng() % seeds.size()];
			size_t from = o.empty() ? 0 : rng() % o.size();
			s.insert(at, o.substr(from, rng() % 200));
			break;
		}
		case 5: /* repeat a stretch */
			s.insert(at, s.substr(at, rng() % 64));
			break;
		default: /* cut the end */
			s.resize(at);
			break;
		}
	}
	if (s.size() > 65536)
		s.resize(65536);
	return s;
}

void save(const char *target, const std::string &input)
{
	char path[256];
	snprintf(path, sizeof(path), "/tmp/kp7fuzz-%s-%ld.bin", target, (long)time(nullptr));
	FILE *f = fopen(path, "wb");
	if (f) {
		fwrite(input.data(), 1, input.size(), f);
		fclose(f);
	}
	fprintf(stderr, "failing input saved as %s\n", path);
}

}  // namespace

bool fail(const char *what, const std::string &detail)
{
	fprintf(stderr, "%s%s%s\n", what, detail.empty() ? "" : ": ", detail.c_str());
	return false;
}

FILE *stream_of(const std::string &input)
{
	if (input.empty())
		return fopen("/dev/null", "r");
	return fmemopen((void *)input.data(), input.size(), "r");
}

int main(int argc, char **argv)
{
	const FuzzTarget *target = nullptr;
	for (const FuzzTarget &t : fuzz_targets())
		if (argc == 2 && !strcmp(argv[1], t.name))
			target = &t;
	if (!target) {
		fprintf(stderr, "usage: %s TARGET  (targets:", argv[0]);
		for (const FuzzTarget &t : fuzz_targets())
			fprintf(stderr, " %s", t.name);
		fprintf(stderr, ")\n");
		return 2;
	}
	const char *secs_env = getenv("KP7_FUZZ_SECONDS"), *seed_env = getenv("KP7_FUZZ_SEED");
	double secs = secs_env ? atof(secs_env) : 3;
	unsigned seed = seed_env ? (unsigned)strtoul(seed_env, nullptr, 0) : 1;
	fuzz_setup();
	std::mt19937 rng(seed);
	long runs = 0;
	for (const std::string &s : target->seeds) {
		if (!target->run(s)) {
			save(target->name, s);
			return 1;
		}
	}
	double end = monotonic() + secs;
	while (monotonic() < end) {
		for (int i = 0; i < 64; i++, runs++) {
			std::string input = mutate(target->seeds, rng);
			if (!target->run(input)) {
				fprintf(stderr, "%s: seed %u, input %ld\n", target->name, seed, runs);
				save(target->name, input);
				return 1;
			}
		}
	}
	printf("%s: %ld inputs from seed %u, no failure\n", target->name, runs, seed);
	return 0;
}
