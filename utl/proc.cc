/* Finding and signalling processes through the process table. */
#include "utl.h"

#include <dirent.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include "sys.h"

namespace {

bool starts_with_digit(const char *s)
{
	return *s >= '0' && *s <= '9';
}

bool all_digits(const char *s)
{
	if (!*s)
		return false;
	for (; *s; s++)
		if (!starts_with_digit(s))
			return false;
	return true;
}

/* A zombie has gone already; only its parent has yet to notice.  Counting
 * it as running would make a watchdog trust a dead daemon and would keep
 * utl_kill_proc_all() signalling it forever. */
bool is_zombie(FILE *status)
{
	char line[256];
	while (fgets(line, sizeof(line), status)) {
		if (strncmp(line, "State:", 6))
			continue;
		const char *state = line + 6 + strspn(line + 6, " \t");
		return *state == 'Z' || *state == 'X';
	}
	return false;
}

/* The first line of /proc/PID/status is "Name:\tNAME"; its second word is
 * compared whole. */
bool name_is(const char *pid, const char *name)
{
	FILE *f = sys_proc_fopen(pid, "status");
	if (!f)
		return false;
	char line[256], word[256];
	bool match = fgets(line, 255, f) && sscanf(line, "%*s %255s", word) == 1 &&
		     !strcmp(word, name) && !is_zombie(f);
	fclose(f);
	return match;
}

bool cmdline_starts(const char *pid, int n, const char *prefix)
{
	char buf[256];
	ssize_t got = sys_proc_read(pid, "cmdline", buf, sizeof(buf));
	if (got <= 0)
		return false;
	size_t len = n < 0 ? 0 : (size_t)n;
	if (len > (size_t)got)
		len = got;
	return memcmp(buf, prefix, len) == 0;
}

/* The first process table entry (in directory order) that `match` accepts. */
template <typename Match> int find_pid(Match match)
{
	DIR *dir = sys_proc_opendir();
	if (!dir)
		return 0;
	int pid = 0;
	while (struct dirent *e = readdir(dir)) {
		if (!strcmp(e->d_name, "..") || !starts_with_digit(e->d_name))
			continue;
		if (match(e->d_name)) {
			pid = (int)strtol(e->d_name, nullptr, 0);
			break;
		}
	}
	closedir(dir);
	return pid;
}

int signal_pid(int pid, const char *what, int signum)
{
	if (!pid)
		return 0;
	printf("kill %s signum %d\n", what, signum);
	fflush(stdout);
	if (sys_kill(pid, signum) < 0)
		return 0;
	sys_sleep(1);
	return 1;
}

/* The process name of /proc/PID/status, after "Name:" and white space;
 * null when there is no complete Name line. */
const char *status_name(FILE *f, char *line, size_t size)
{
	while (fgets(line, (int)size, f)) {
		size_t len = strlen(line);
		if (!len || line[len - 1] != '\n')
			continue;
		line[len - 1] = '\0';
		if (strncasecmp(line, "Name:", 5))
			continue;
		const char *p = line + 5;
		while (*p == ' ' || *p == '\t')
			p++;
		return p;
	}
	return nullptr;
}

/* Is process `pid` an instance of `name` started as `cmd`? */
bool same_program(const char *pid, const char *name, const char *cmd)
{
	FILE *status = sys_proc_fopen(pid, "status");
	if (!status)
		return false;
	char line[256];
	const char *pname = status_name(status, line, sizeof(line));
	bool match = false;
	if (pname && !strncmp(pname, name, strlen(name))) {
		FILE *cmdline = sys_proc_fopen(pid, "cmdline");
		/* strncmp stops at the first NUL: argv[0] is what is compared. */
		match = cmdline && fgets(line, sizeof(line), cmdline) &&
			!strncmp(line, cmd, strlen(cmd));
		if (cmdline)
			fclose(cmdline);
	}
	fclose(status);
	return match;
}

}  // namespace

int utl_get_pid_from_pname(const char *name)
{
	return find_pid([name](const char *pid) { return name_is(pid, name); });
}

int utl_get_pid_from_cmdline(int n, const char *prefix)
{
	return find_pid([n, prefix](const char *pid) { return cmdline_starts(pid, n, prefix); });
}

int utl_kill_proc(const char *name, int signum)
{
	return signal_pid(utl_get_pid_from_pname(name), name, signum);
}

int utl_kill_proc_from_cmdline(int n, const char *prefix, int signum)
{
	return signal_pid(utl_get_pid_from_cmdline(n, prefix), prefix, signum);
}

int utl_kill_proc_all(const char *name, int signum)
{
	while (utl_kill_proc(name, signum))
		;
	return 0;
}

int utl_kill_proc_all_from_cmdline(int n, const char *prefix, int signum)
{
	while (utl_kill_proc_from_cmdline(n, prefix, signum))
		;
	return 0;
}

int utl_check_duplicate_proc(const char *name, const char *cmd)
{
	int self = getpid();
	DIR *dir = sys_proc_opendir();
	if (!dir)
		return -1;
	int found = 0;
	while (struct dirent *e = readdir(dir)) {
		if (!all_digits(e->d_name) || atoi(e->d_name) == self)
			continue;
		if (same_program(e->d_name, name, cmd)) {
			found = 1;
			break;
		}
	}
	closedir(dir);
	return found;
}
