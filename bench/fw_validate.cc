/*
 * fw_validate_bench [ROUNDS]: checking a 6 MiB image (one FIRMWARE
 * section of the largest payload) against one memchr() pass over the
 * same buffer, the floor of anything that reads every byte; alternating
 * rounds, each the median of 21 runs.  Prints both medians, the ratio
 * (target at most 3).
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include <algorithm>
#include <vector>

#include "fw_image.h"
#include "fwpack.h"

namespace {

double now_us(void)
{
	struct timespec ts;
	clock_gettime(CLOCK_MONOTONIC, &ts);
	return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

double median(std::vector<double> v)
{
	std::sort(v.begin(), v.end());
	return v[v.size() / 2];
}

template <typename F> double median_us(F f)
{
	std::vector<double> t;
	for (int i = 0; i < 21; i++) {
		double start = now_us();
		f();
		t.push_back(now_us() - start);
	}
	return median(t);
}

}  // namespace

int main(int argc, char **argv)
{
	int rounds = argc > 1 ? atoi(argv[1]) : 7;
	FwPart p;
	p.kind = FWP_FIRMWARE;
	p.data.resize(FW_MAX_LEN - 2);
	for (size_t i = 0; i < p.data.size(); i++)
		p.data[i] = (uint8_t)(i * 131 + (i >> 9));
	std::replace(p.data.begin(), p.data.end(), (uint8_t)0xa5, (uint8_t)0x5a);
	std::vector<uint8_t> img;
	const char *why;
	fw_pack_part(p, img, &why);
	/* memchr must read it all: a byte the image does not hold. */
	int absent = 0xa5;
	while (memchr(img.data(), absent, img.size()))
		absent = (absent + 1) & 0xff;

	char status[FW_STATUS_SIZE];
	FwSummary sum;
	volatile int sink = 0;
	std::vector<double> floor, check;
	for (int r = 0; r < rounds; r++) {
		floor.push_back(median_us([&] { sink = sink + (memchr(img.data(), absent, img.size()) != nullptr); }));
		check.push_back(median_us([&] { sink = sink + fw_check_image(img.data(), img.size(), status, &sum); }));
	}
	int rc = fw_check_image(img.data(), img.size(), status, &sum);
	double f = median(floor), c = median(check);
	printf("image: %zu bytes, check %s\n", img.size(), rc == 0 ? "passed" : status);
	printf("memchr pass:  %.0f us\n", f);
	printf("image check:  %.0f us\n", c);
	printf("ratio check / memchr: %.2f (target at most 3)\n", c / f);
	return rc == 0 ? 0 : 1;
}
