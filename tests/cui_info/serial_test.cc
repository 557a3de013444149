/* The modem's serial port: terminals only, a raw line, and answer lines
 * read with their time-outs and within the caller's buffer. */
#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <string>

#include "clock.h"
#include "ci.h"
#include "files.h"

namespace {

constexpr unsigned long TIMEOUT_US = 100000;

/* A pipe standing in for the modem: the test writes, the port reads. */
struct Line {
	int fds[2];
	Line() { EXPECT_EQ(pipe(fds), 0); }
	~Line()
	{
		close(fds[0]);
		if (fds[1] >= 0)
			close(fds[1]);
	}
	void send(const std::string &s) { ASSERT_EQ(write(fds[1], s.data(), s.size()), (ssize_t)s.size()); }
	int port() const { return fds[0]; }
};

/* serial_input() into a buffer of `size`, with the seconds it took. */
int input(const Line &l, char *buf, size_t size, double *secs)
{
	double start = monotonic();
	int n = serial_input(l.port(), buf, size, TIMEOUT_US);
	*secs = monotonic() - start;
	return n;
}

}  // namespace

TEST(Serial, OpensTerminalsOnly)
{
	TempDir dir;
	write_file(dir / "ttyUSB1", "");
	EXPECT_EQ(serial_open((dir / "ttyUSB1").c_str()), -1);
	EXPECT_EQ(read_file(dir / "ttyUSB1"), "") << "a plain file is never written";
	EXPECT_EQ(serial_open((dir / "missing").c_str()), -1);

	int master = posix_openpt(O_RDWR | O_NOCTTY);
	ASSERT_GE(master, 0);
	ASSERT_EQ(grantpt(master), 0);
	ASSERT_EQ(unlockpt(master), 0);
	int fd = serial_open(ptsname(master));
	ASSERT_GE(fd, 0);
	EXPECT_TRUE(fcntl(fd, F_GETFL) & O_NONBLOCK);
	ASSERT_EQ(serial_setup(fd, B38400), 0);
	struct termios t;
	ASSERT_EQ(tcgetattr(fd, &t), 0);
	EXPECT_EQ(cfgetospeed(&t), (speed_t)B38400);
	EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | CSTOPB), (tcflag_t)CS8);
	EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
	EXPECT_EQ(t.c_iflag & (ICRNL | IXON | IXOFF | ISTRIP), 0u);
	EXPECT_EQ(t.c_oflag & OPOST, 0u);
	EXPECT_EQ(t.c_cc[VMIN], 1);
	EXPECT_EQ(t.c_cc[VTIME], 0);

	/* a raw line: CR LF arrive as sent, and a line comes back whole */
	EXPECT_EQ(serial_output(fd, "AT\r\n", 4), 4);
	char got[8] = {};
	usleep(20000);
	EXPECT_EQ(read(master, got, sizeof(got)), 4);
	EXPECT_STREQ(got, "AT\r\n");
	ASSERT_EQ(write(master, "OK\r\n", 4), 4);
	char buf[16];
	EXPECT_EQ(serial_input(fd, buf, sizeof(buf), TIMEOUT_US), 4);
	close(fd);
	close(master);
}

TEST(Serial, LinesAndTimeOuts)
{
	char buf[256];
	double secs;
	Line l;
	l.send("OK\r\n");
	EXPECT_EQ(input(l, buf, sizeof(buf), &secs), 4);
	EXPECT_EQ(std::string(buf, 4), "OK\r\n");
	EXPECT_LT(secs, 0.05) << "a whole line does not wait";

	/* nothing at all: two time-outs */
	EXPECT_EQ(input(l, buf, sizeof(buf), &secs), 0);
	EXPECT_GE(secs, 0.19);
	EXPECT_LT(secs, 0.5);

	/* a line that stops short: one time-out after its last byte */
	l.send("OK");
	EXPECT_EQ(input(l, buf, sizeof(buf), &secs), 0);
	EXPECT_GE(secs, 0.09);
	EXPECT_LT(secs, 0.19);

	/* a line feed first ends no line; a CR LF does */
	l.send("\nOK\r\n");
	EXPECT_EQ(input(l, buf, sizeof(buf), &secs), 5);
	l.send("A\rB\r\n");
	EXPECT_EQ(input(l, buf, sizeof(buf), &secs), 5);

	/* end of file is an error, not a line */
	close(l.fds[1]);
	l.fds[1] = -1;
	EXPECT_EQ(input(l, buf, sizeof(buf), &secs), -1);
}

TEST(Serial, LongLinesStayInTheBuffer)
{
	/* guard bytes after the buffer catch an overrun */
	char buf[16 + 8];
	memset(buf, '#', sizeof(buf));
	double secs;
	Line l;
	l.send(std::string(20, 'x') + "\r\n");
	EXPECT_EQ(input(l, buf, 16, &secs), 16);
	EXPECT_EQ(std::string(buf + 16, 8), std::string(8, '#'));
	EXPECT_EQ(input(l, buf, 16, &secs), 6) << "the rest of the line comes next";
	EXPECT_EQ(std::string(buf, 6), "xxxx\r\n");
	/* a CR at the end of one piece and its LF in the next end no line */
	l.send(std::string(15, 'y') + "\r\nz\r\n");
	EXPECT_EQ(input(l, buf, 16, &secs), 16);
	EXPECT_EQ(input(l, buf, 16, &secs), 4);
}

TEST(Serial, ClearTakesWhatIsWaitingWithoutWaiting)
{
	Line l;
	double start = monotonic();
	EXPECT_EQ(serial_input_clear(l.port()), 0);
	EXPECT_LT(monotonic() - start, 0.05);
	l.send(std::string(3000, 'z'));
	EXPECT_EQ(serial_input_clear(l.port()), 3000);
	char buf[8];
	double secs;
	EXPECT_EQ(input(l, buf, sizeof(buf), &secs), 0) << "nothing left";
}
