/* Descriptors the caller already holds. */
#include "sys.h"

#include <errno.h>
#include <sys/file.h>
#include <unistd.h>

int sys_fstat(int fd, struct stat *st)
{
	return fstat(fd, st);
}

int sys_flock(int fd, int op)
{
	return flock(fd, op);
}

ssize_t sys_pread(int fd, void *buf, size_t n, off_t off)
{
	return pread(fd, buf, n, off);
}

ssize_t sys_pwrite(int fd, const void *buf, size_t n, off_t off)
{
	return pwrite(fd, buf, n, off);
}

ssize_t sys_read_all(int fd, void *buf, size_t size)
{
	size_t got = 0;
	while (got < size) {
		ssize_t n = read(fd, (char *)buf + got, size - got);
		if (n < 0 && errno == EINTR)
			continue;
		if (n < 0)
			return -1;
		if (n == 0)
			break;
		got += n;
	}
	return got;
}
