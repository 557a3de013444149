/*
 * utl_flash_bench N NAME: N reads of setting NAME with utl_flash() (one
 * "flash get NAME" through the shell each), then the median time of one
 * read.  Output: median_us=<microseconds> value=<the value read>
 * The commands run in the root KP7_ROOT names, through its bin/sh.
 */
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "utl.h"

namespace {

double now_us(void)
{
	struct timespec ts;
	clock_gettime(CLOCK_MONOTONIC, &ts);
	return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

int compare(const void *a, const void *b)
{
	double x = *(const double *)a, y = *(const double *)b;
	return (x > y) - (x < y);
}

}  // namespace

int main(int argc, char **argv)
{
	int n = argc == 3 ? atoi(argv[1]) : 0;
	if (n < 1 || n > 100000) {
		fprintf(stderr, "usage: utl_flash_bench N NAME\n");
		return 2;
	}
	double *t = (double *)calloc(n, sizeof(*t));
	char value[512] = "";
	for (int i = 0; i < n; i++) {
		double start = now_us();
		if (utl_flash(argv[2], value, 0) != 0) {
			fprintf(stderr, "utl_flash_bench: no value for %s\n", argv[2]);
			return 1;
		}
		t[i] = now_us() - start;
	}
	qsort(t, n, sizeof(*t), compare);
	printf("median_us=%.1f value=%s\n", t[n / 2], value);
	free(t);
	return 0;
}
