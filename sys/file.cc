/* Files by router path, and whole-file replacement. */
#include "sys.h"
#include "sys_base.h"
#include "sys_int.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

int sys_open(const char *path, int flags, mode_t mode)
{
	return open(SysPath(path), flags | O_CLOEXEC, mode);
}

FILE *sys_fopen(const char *path, const char *mode)
{
	return fopen(SysPath(path), mode);
}

int sys_unlink(const char *path)
{
	return unlink(SysPath(path));
}

int sys_access(const char *path, int mode)
{
	return access(SysPath(path), mode);
}

int sys_mkdir_p(const char *path, mode_t mode)
{
	SysPath real(path);
	char *p = real.buf;
	if (!*p)
		return errno = ENAMETOOLONG, -1;
	/* the usual case, a directory that is there, costs one call */
	struct stat st;
	if (stat(p, &st) == 0 && S_ISDIR(st.st_mode))
		return 0;
	for (char *s = p + 1; *s; s++) {
		if (*s != '/')
			continue;
		*s = '\0';
		int rc = mkdir(p, mode);
		*s = '/';
		if (rc < 0 && errno != EEXIST)
			return -1;
	}
	if (mkdir(p, mode) < 0 && errno != EEXIST)
		return -1;
	return 0;
}

int sys_stat(const char *path, struct stat *st)
{
	return stat(SysPath(path), st);
}

int sys_lstat(const char *path, struct stat *st)
{
	return lstat(SysPath(path), st);
}

DIR *sys_opendir(const char *path)
{
	return opendir(SysPath(path));
}

int sys_rename(const char *from, const char *to)
{
	return rename(SysPath(from), SysPath(to));
}

ssize_t sys_read_file(const char *path, void *buf, size_t size)
{
	return sys_read_real(SysPath(path), buf, size);
}

ssize_t sys_read_real(const char *real, void *buf, size_t size)
{
	int fd = open(real, O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return -1;
	ssize_t got = sys_read_all(fd, buf, size);
	int e = errno;
	close(fd);
	errno = e;
	return got;
}

static int replace_file(const char *path, const void *data, size_t len, mode_t mode, bool durable,
			bool *made)
{
	return sys_base_replace(SysPath(path), data, len, mode, durable, made);
}

int sys_write_atomic(const char *path, const void *data, size_t len, mode_t mode, bool *made)
{
	return replace_file(path, data, len, mode, true, made);
}

int sys_write_volatile(const char *path, const void *data, size_t len, mode_t mode)
{
	return replace_file(path, data, len, mode, false, nullptr);
}

int sys_commit_file(const char *from, const char *to)
{
	SysPath real_from(from), real_to(to);
	int fd = open(real_from, O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return -1;
	if (fsync(fd) < 0) {
		int e = errno;
		close(fd);
		return errno = e, -1;
	}
	close(fd);
	if (rename(real_from, real_to) < 0)
		return -1;
	sys_base_sync_dir(real_to);
	return 0;
}
