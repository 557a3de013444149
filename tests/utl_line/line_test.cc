/* The line reader against pipes and stream sockets. */
#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "utl.h"

namespace {

struct Reader {
	utl_line_t rl;
	Reader() { utl_read_line_init(&rl, 7); }
	~Reader() { utl_read_line_free(&rl); }
	int next(int fd) { return utl_read_line(fd, nullptr, &rl); }
	std::string text() const { return utl_line_text(&rl); }
};

/* A pipe whose write end is fed by `chunks`, one write each, then closed. */
int feed(std::initializer_list<std::string> chunks)
{
	int p[2];
	if (pipe(p) < 0)
		return -1;
	/* A test that stops reading early must not die of the writer. */
	signal(SIGPIPE, SIG_IGN);
	/* Large inputs do not fit the pipe: a writer thread keeps it going. */
	std::thread([w = p[1], chunks = std::vector<std::string>(chunks)] {
		for (const std::string &c : chunks)
			if (write(w, c.data(), c.size()) != (ssize_t)c.size())
				break;
		close(w);
	}).detach();
	return p[0];
}

TEST(UtlLine, InitEmptiesTheRecord)
{
	utl_line_t rl;
	memset(&rl, 0x5a, sizeof(rl));
	char *line = utl_read_line_init(&rl, 42);
	EXPECT_EQ(line, rl.inline_line);
	EXPECT_EQ(rl.heap_line, nullptr);
	EXPECT_EQ(rl.raw_left, 0);
	EXPECT_EQ(rl.line_len, 0);
	EXPECT_EQ(rl.heap_size, 0);
	EXPECT_EQ(rl.user, 42);
}

TEST(UtlLine, LinesAcrossReads)
{
	int fd = feed({"ab", "c\nde", "f\n\n", "gh\nlast"});
	Reader r;
	const char *want[] = {"abc\n", "def\n", "\n", "gh\n", "last"};
	for (const char *w : want) {
		EXPECT_EQ(r.next(fd), (int)strlen(w));
		EXPECT_EQ(r.text(), w);
	}
	/* The partial last line came back; then the end, and it stays. */
	EXPECT_EQ(r.next(fd), 0);
	EXPECT_EQ(r.next(fd), 0);
	EXPECT_EQ(r.text(), "");
	close(fd);
}

TEST(UtlLine, EndWithoutPartialLine)
{
	int fd = feed({"one\n"});
	Reader r;
	EXPECT_EQ(r.next(fd), 4);
	EXPECT_EQ(r.next(fd), 0);
	close(fd);

	fd = feed({});
	EXPECT_EQ(r.next(fd), 0);
	close(fd);
}

TEST(UtlLine, LongLinesGrowToTheHeap)
{
	/* Just fits inline, then needs 4096, then 65535, then the limit. */
	std::string inl(UTL_LINE_INLINE_SIZE - 2, 'a');
	std::string mid(UTL_LINE_HEAP_FIRST - 2, 'b');
	std::string big(UTL_LINE_HEAP_MAX - 2, 'c');
	int fd = feed({inl + "\n", mid + "\n", big + "\n", "tail\n"});
	Reader r;
	EXPECT_EQ(r.next(fd), (int)inl.size() + 1);
	EXPECT_EQ(r.rl.heap_line, nullptr);
	EXPECT_EQ(r.text(), inl + "\n");

	EXPECT_EQ(r.next(fd), (int)mid.size() + 1);
	EXPECT_EQ(r.rl.heap_size, UTL_LINE_HEAP_FIRST);
	EXPECT_EQ(r.text(), mid + "\n");

	EXPECT_EQ(r.next(fd), (int)big.size() + 1);
	EXPECT_EQ(r.rl.heap_size, UTL_LINE_HEAP_MAX);
	EXPECT_EQ(r.text(), big + "\n");

	EXPECT_EQ(r.next(fd), 5);
	EXPECT_EQ(r.text(), "tail\n");
	close(fd);
}

TEST(UtlLine, InlineToHeapKeepsTheBeginning)
{
	/* Growth in the middle of a line that arrived in several reads. */
	std::string head(1000, 'h'), rest(2000, 'r');
	int fd = feed({head, rest, "\n"});
	Reader r;
	EXPECT_EQ(r.next(fd), 3001);
	EXPECT_EQ(r.text(), head + rest + "\n");
	close(fd);
}

TEST(UtlLine, TooLongLineFails)
{
	std::string over(UTL_LINE_HEAP_MAX, 'x');
	int fd = feed({over + "\n"});
	Reader r;
	EXPECT_EQ(r.next(fd), -1);
	/* What is left of that line reads as a line of its own. */
	int n = r.next(fd);
	EXPECT_GT(n, 0);
	EXPECT_LT(n, UTL_LINE_HEAP_MAX);
	EXPECT_EQ(r.text().back(), '\n');
	EXPECT_EQ(r.next(fd), 0);
	close(fd);
}

/* A stream socket whose peer closed with data left unread by the peer:
 * reading it fails with ECONNRESET once its own data is consumed. */
void reset_pair(int s[2], const char *data)
{
	ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, s), 0);
	ssize_t len = strlen(data);
	ASSERT_EQ(write(s[0], data, len), len);
	ASSERT_EQ(write(s[1], "unread", 6), 6);
	close(s[0]);
}

TEST(UtlLine, ConnectionResetIsEnd)
{
	int s[2];
	char c;
	reset_pair(s, "");
	errno = 0;
	ASSERT_EQ(read(s[1], &c, 1), -1);
	ASSERT_EQ(errno, ECONNRESET);
	close(s[1]);

	Reader r;
	reset_pair(s, "");
	EXPECT_EQ(r.next(s[1]), 0);
	close(s[1]);

	reset_pair(s, "abc\nxy");
	EXPECT_EQ(r.next(s[1]), 4);
	EXPECT_EQ(r.next(s[1]), 2);
	EXPECT_EQ(r.text(), "xy");
	EXPECT_EQ(r.next(s[1]), 0);
	close(s[1]);
}

TEST(UtlLine, OtherErrorsFail)
{
	Reader r;
	EXPECT_EQ(r.next(-1), -1);

	/* EAGAIN is an error too, but a pending partial line comes first. */
	int p[2];
	ASSERT_EQ(pipe(p), 0);
	ASSERT_EQ(fcntl(p[0], F_SETFL, O_NONBLOCK), 0);
	EXPECT_EQ(r.next(p[0]), -1);
	EXPECT_EQ(errno, EAGAIN);
	ASSERT_EQ(write(p[1], "part", 4), 4);
	EXPECT_EQ(r.next(p[0]), 4);
	EXPECT_EQ(r.text(), "part");
	EXPECT_EQ(r.next(p[0]), -1);
	close(p[0]);
	close(p[1]);
}

#ifndef KP7_TLS
TEST(UtlLine, TlsReadFailsWithoutTls)
{
	/* The descriptor has a line, but a TLS connection was asked for. */
	int fd = feed({"plain\n"});
	char fake[16];
	Reader r;
	EXPECT_EQ(utl_read_line(fd, (SSL *)fake, &r.rl), -1);
	EXPECT_EQ(r.next(fd), 6);
	close(fd);
}
#endif

}  // namespace
