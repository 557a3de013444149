/*
 * utl_flash_base N NAME: the yardstick for utl_flash_bench: N runs of
 * "flash get NAME" through /bin/sh with the C library's popen(), reading
 * the output line by line, and the median time of one run.
 * Output: median_us=<microseconds> value=<the last line read>
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

static double now_us(void)
{
	struct timespec ts;
	clock_gettime(CLOCK_MONOTONIC, &ts);
	return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

static int compare(const void *a, const void *b)
{
	double x = *(const double *)a, y = *(const double *)b;
	return (x > y) - (x < y);
}

int main(int argc, char **argv)
{
	int n = argc == 3 ? atoi(argv[1]) : 0;
	if (n < 1 || n > 100000) {
		fprintf(stderr, "usage: utl_flash_base N NAME\n");
		return 2;
	}
	double *t = calloc(n, sizeof(*t));
	char cmd[512], line[512] = "";
	snprintf(cmd, sizeof(cmd), "flash get %s", argv[2]);
	for (int i = 0; i < n; i++) {
		double start = now_us();
		FILE *f = popen(cmd, "r");
		if (!f)
			return 1;
		while (fgets(line, sizeof(line), f))
			;
		pclose(f);
		t[i] = now_us() - start;
	}
	qsort(t, n, sizeof(*t), compare);
	line[strcspn(line, "\n")] = '\0';
	printf("median_us=%.1f value=%s\n", t[n / 2], line);
	free(t);
	return 0;
}
