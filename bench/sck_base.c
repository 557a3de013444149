#define _GNU_SOURCE
/*
 * sck_base MIRROR_ROOT: the yardstick of syscheck's idle CPU, a minimal C
 * daemon.  It wakes every 2 seconds and runs, through its own root's
 * shell ($KP7_ROOT/bin/sh -c), each command that syscheck ran meanwhile
 * in MIRROR_ROOT (new lines of its var/log/commands), reading each one's
 * output to the end as syscheck does.  Runs until killed.
 */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static void run(const char *shell, const char *cmd)
{
	int fds[2];
	if (pipe2(fds, O_CLOEXEC) < 0)
		return;
	pid_t pid = vfork();
	if (pid == 0) {
		dup2(fds[1], 1);
		execl(shell, "sh", "-c", cmd, (char *)NULL);
		_exit(127);
	}
	close(fds[1]);
	char buf[512];
	while (read(fds[0], buf, sizeof(buf)) > 0)
		;
	close(fds[0]);
	if (pid > 0)
		waitpid(pid, NULL, 0);
}

int main(int argc, char **argv)
{
	const char *root = getenv("KP7_ROOT");
	if (argc != 2 || !root)
		return 2;
	char shell[512], log[512], line[512];
	snprintf(shell, sizeof(shell), "%s/bin/sh", root);
	snprintf(log, sizeof(log), "%s/var/log/commands", argv[1]);
	long seen = 0;
	FILE *f = fopen(log, "r");
	if (f) {
		fseek(f, 0, SEEK_END);
		seen = ftell(f);
		fclose(f);
	}
	for (;;) {
		struct timespec two = {2, 0};
		nanosleep(&two, NULL);
		f = fopen(log, "r");
		if (!f)
			continue;
		fseek(f, seen, SEEK_SET);
		while (fgets(line, sizeof(line), f)) {
			line[strcspn(line, "\n")] = '\0';
			run(shell, line);
		}
		seen = ftell(f);
		fclose(f);
	}
}
