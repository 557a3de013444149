/* Small state files, counter files and the clock-synchronised marker. */
#include "utl.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "sys.h"
#include "utl_int.h"

namespace {

constexpr mode_t STATE_FILE_MODE = 0644;

/* Device and proc files (an LED control file) cannot be replaced by a
 * rename, and a symbolic link must keep pointing where it points. */
bool replaceable(const char *path)
{
	struct stat st;
	return sys_lstat(path, &st) < 0 || S_ISREG(st.st_mode);
}

int write_in_place(const char *path, const void *data, size_t len)
{
	int fd = sys_open(path, O_WRONLY | O_CREAT | O_TRUNC, STATE_FILE_MODE);
	if (fd < 0)
		return 0;
	ssize_t n = write(fd, data, len);
	int rc = close(fd);
	return n == (ssize_t)len && rc == 0 ? 0 : -1;
}

/* Whole or not at all: a reader never sees a half-written state file. */
int replace_file(const char *path, const void *data, size_t len)
{
	if (!replaceable(path))
		return write_in_place(path, data, len);
	if (sys_write_atomic(path, data, len, STATE_FILE_MODE) == 0)
		return 0;
	/* The file could not be made at all (no such directory, read-only):
	 * as silent as a failed open. */
	return errno == ENOENT || errno == EACCES || errno == EROFS || errno == ENOTDIR ||
			       errno == ENAMETOOLONG
		       ? 0
		       : -1;
}

}  // namespace

int utl_putfile(const char *path, const void *data, int len)
{
	if (len < 0)
		return -1;
	return replace_file(path, data, len);
}

int utl_getfile(const char *path, void *buf, int len)
{
	if (len <= 0)
		return 0;
	int fd = sys_open(path, O_RDONLY);
	if (fd < 0)
		return 0;
	ssize_t got = sys_read_all(fd, buf, (size_t)len);
	int rc = close(fd);
	return got < 0 || rc < 0 ? -1 : 0;
}

int utl_count_next(const char *text)
{
	errno = 0;
	char *end;
	long long n = strtoll(text, &end, 0);
	if (*end || errno == ERANGE || n < INT_MIN || n >= INT_MAX)
		return 0;
	return (int)n + 1;
}

int utl_countupfile(const char *path)
{
	int count = 1;
	FILE *f = sys_fopen(path, "re");
	if (f) {
		/* One byte short of the buffer: strtol needs the terminator. */
		char text[80] = {0};
		size_t got = fread(text, 1, sizeof(text) - 1, f);
		text[got] = '\0';
		fclose(f);
		count = utl_count_next(text);
	}
	char out[16];
	int len = snprintf(out, sizeof(out), "%d", count);
	return replace_file(path, out, len);
}

int utl_check_date_sync(void)
{
	FILE *f = sys_fopen("/tmp/ntp_tmp", "re");
	if (!f)
		return 0;
	memset(utl_sc->work_buf, 0, 511);
	if (!fgets(utl_sc->work_buf, 511, f))
		utl_sc->work_buf[0] = '\0';
	fclose(f);
	return 1;
}
