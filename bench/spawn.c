/*
 * spawn - start a command N times and report the median wall time of one
 * run and the largest peak resident set seen.  Output on stdout:
 *   median_us=<microseconds> maxrss_kb=<kilobytes>
 * Usage: spawn N COMMAND [ARGS...]   (the command's output is discarded)
 */
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

static double now_us(void)
{
	struct timespec ts;
	clock_gettime(CLOCK_MONOTONIC, &ts);
	return ts.tv_sec * 1e6 + ts.tv_nsec / 1e3;
}

static int cmp(const void *a, const void *b)
{
	double x = *(const double *)a, y = *(const double *)b;
	return (x > y) - (x < y);
}

int main(int argc, char **argv)
{
	if (argc < 3) {
		fprintf(stderr, "usage: %s N COMMAND [ARGS...]\n", argv[0]);
		return 2;
	}
	int n = atoi(argv[1]);
	if (n < 1 || n > 10000)
		return 2;
	double *t = calloc(n, sizeof(*t));
	long maxrss = 0;
	posix_spawn_file_actions_t fa;
	posix_spawn_file_actions_init(&fa);
	posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
	posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
	for (int i = 0; i < n; i++) {
		pid_t pid;
		int status;
		struct rusage ru;
		double start = now_us();
		if (posix_spawn(&pid, argv[2], &fa, NULL, argv + 2, environ) != 0) {
			perror(argv[2]);
			return 1;
		}
		wait4(pid, &status, 0, &ru);
		t[i] = now_us() - start;
		if (ru.ru_maxrss > maxrss)
			maxrss = ru.ru_maxrss;
	}
	qsort(t, n, sizeof(*t), cmp);
	printf("median_us=%.1f maxrss_kb=%ld\n", t[n / 2], maxrss);
	return 0;
}
