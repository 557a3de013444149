/*
 * The modem's serial port: a raw 8N1 line, answers read a line at a time
 * (each ends in CR LF) with a time-out between bytes.  The module prints
 * nothing; results tell.
 */
#include "ci.h"

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "sys.h"

namespace {

constexpr size_t CLEAR_CHUNK = 1024, CLEAR_CHUNKS = 16;

}  // namespace

int serial_open(const char *path)
{
	/* never the caller's controlling terminal: a modem that hangs up must
	 * not signal whoever started us */
	int fd = sys_open(path, O_RDWR | O_NONBLOCK | O_NOCTTY);
	if (fd < 0)
		return -1;
	/* a plain file where the device should be is no modem, and writing
	 * commands into it would fill it */
	struct termios t;
	if (sys_tcgetattr(fd, &t) < 0) {
		close(fd);
		return errno = ENOTTY, -1;
	}
	return fd;
}

int serial_setup(int fd, speed_t speed)
{
	struct termios t;
	if (sys_tcgetattr(fd, &t) < 0)
		return -1;
	cfsetospeed(&t, speed);
	cfsetispeed(&t, speed);
	t.c_iflag &= ~(ISTRIP | ICRNL | IXON | IXOFF);
	t.c_oflag &= ~OPOST;
	t.c_cflag &= ~(PARENB | CSTOPB | CSIZE);
	t.c_cflag |= CS8;
	t.c_lflag &= ~(ISIG | ICANON | ECHO | IEXTEN);
	t.c_cc[VMIN] = 1;
	t.c_cc[VTIME] = 0;
	sys_tcflush(fd, TCIOFLUSH);
	return sys_tcsetattr(fd, TCSANOW, &t);
}

/* What is waiting now, and no more: serial_setup() has dropped what came
 * before, and waiting for more would only hold up every dialogue.  A
 * modem that keeps talking is cut off after a few chunks. */
int serial_input_clear(int fd)
{
	char scratch[CLEAR_CHUNK];
	int total = 0;
	for (size_t i = 0; i < CLEAR_CHUNKS && sys_wait_readable(fd, 0) > 0; i++) {
		ssize_t n = read(fd, scratch, sizeof(scratch));
		if (n < 0)
			return -1;
		if (n == 0)
			break;
		total += (int)n;
	}
	return total;
}

int serial_input(int fd, char *buf, size_t size, unsigned long timeout)
{
	size_t count = 0;
	bool waited = false;
	if (!size)
		return errno = EINVAL, -1;
	for (;;) {
		int ready = sys_wait_readable(fd, timeout);
		if (ready < 0)
			return -1;
		if (ready) {
			/* end of file is an error too: no byte ever follows it */
			if (read(fd, buf + count, 1) != 1)
				return -1;
			if (count > 0 && buf[count] == '\n' && buf[count - 1] == '\r')
				return (int)count + 1;
			if (++count == size)
				return (int)count;
		} else if (waited) {
			return 0;
		}
		waited = true;
	}
}

int serial_output(int fd, const void *data, size_t len)
{
	return (int)write(fd, data, len);
}
