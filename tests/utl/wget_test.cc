/* utl_wget: the machine's real wget, run in the root, against a server of
 * the test on 127.0.0.1. */
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "sandbox.h"
#include "http_server.h"
#include "utl.h"
#include "utl_int.h"

namespace {

using Requests = std::vector<std::string>;

constexpr char OPTS[] = "--no-check-certificate";
/* Failing transfers are tried three times: no pauses between tries. */
constexpr char FAST_RETRY[] = "--no-check-certificate --waitretry=0";

struct WgetRun {
	int rc;
	std::string log, commands;
};

WgetRun wget(const char *options, const std::string &url, unsigned quota,
	 const char *outfile = "/tmp/download")
{
	unlink(in_root(outfile).c_str());
	size_t log = messages_mark(), cmds = commands_mark();
	int rc = utl_wget(options, url.c_str(), outfile, 10, quota);
	return {rc, messages_since(log), commands_since(cmds)};
}

std::string pattern(size_t size)
{
	std::string s(size, ' ');
	for (size_t i = 0; i < size; i++)
		s[i] = (char)('a' + i % 26);
	return s;
}

bool has(const std::string &text, const std::string &part)
{
	return text.find(part) != std::string::npos;
}

TEST(UtlWget, QuotaEqualToTheSizeDownloads)
{
	HttpServer server([](int fd, const HttpRequest &req) { http_answer(fd, req, 1024); });
	std::string url = server.url("/vers");
	WgetRun r = wget(OPTS, url, 1024);
	EXPECT_EQ(r.rc, 0);
	EXPECT_EQ(read_file(in_root("/tmp/download")), pattern(1024));
	EXPECT_EQ(server.requests(), (Requests{"HEAD /vers", "GET /vers"}));
	EXPECT_EQ(r.log, "");
	EXPECT_EQ(r.commands,
		  "wget --spider -t 3 --dns-timeout=5 --connect-timeout=5 --read-timeout=10 "
		  "--progress=dot " + url + " --no-check-certificate\n"
		  "wget -t 3 --dns-timeout=5 --connect-timeout=5 --read-timeout=10 "
		  "--progress=dot " + url + " -O /tmp/download --no-check-certificate\n");
}

TEST(UtlWget, OneByteOverTheQuotaIsRefused)
{
	HttpServer server([](int fd, const HttpRequest &req) { http_answer(fd, req, 1025); });
	std::string url = server.url("/vers");
	WgetRun r = wget(OPTS, url, 1024);
	EXPECT_EQ(r.rc, -1);
	EXPECT_TRUE(has(r.log, "utl_wget quota size over quota 1024 size 1025 url " + url + "\n"))
		<< r.log;
	/* Only the size was asked: nothing downloaded. */
	EXPECT_EQ(server.requests(), (Requests{"HEAD /vers"}));
	EXPECT_FALSE(exists(in_root("/tmp/download")));
}

TEST(UtlWget, SizesBeyondThirtyTwoBitsAreOverAnyQuota)
{
	HttpServer server([](int fd, const HttpRequest &) {
		http_send(fd, "HTTP/1.0 200 OK\r\nContent-Length: 99999999999\r\n\r\n");
	});
	WgetRun r = wget(OPTS, server.url("/img"), 0x600000);
	EXPECT_EQ(r.rc, -1);
	EXPECT_TRUE(has(r.log, "quota size over quota 6291456 size 4294967295 url")) << r.log;
}

TEST(UtlWget, UnspecifiedLengthIsNoSize)
{
	HttpServer server([](int fd, const HttpRequest &req) { http_answer(fd, req, 100, false); });
	std::string url = server.url("/vers");
	WgetRun r = wget(OPTS, url, 1024);
	EXPECT_EQ(r.rc, -1);
	EXPECT_TRUE(has(r.log, "can't get file size url " + url + " size 0\n")) << r.log;
	EXPECT_EQ(server.requests(), (Requests{"HEAD /vers"}));
}

TEST(UtlWget, DownloadFailingAfterTheSizeQueryStillReturnsZero)
{
	/* The size is answered; the download is refused, then cut short. */
	for (bool cut : {false, true}) {
		HttpServer server([cut](int fd, const HttpRequest &req) {
			if (req.method == "HEAD")
				http_answer(fd, req, 1000);
			else if (cut)
				http_send(fd, "HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\nonly this");
			else
				http_send(fd, "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
		});
		WgetRun r = wget(FAST_RETRY, server.url("/img"), 0x600000);
		EXPECT_EQ(r.rc, 0) << cut;
		EXPECT_EQ(r.log, "");
		EXPECT_NE(read_file(in_root("/tmp/download")), pattern(1000));
		EXPECT_EQ(server.requests().front(), "HEAD /img");
		EXPECT_GE(server.requests().size(), 2u);
	}
}

TEST(UtlWget, BadServersGiveNoSize)
{
	const std::string huge = "X-Filler: " + std::string(200000, 'h') + "\r\n";
	std::vector<HttpResponder> servers = {
		/* garbage instead of HTTP */
		[](int fd, const HttpRequest &) {
			http_send(fd, std::string("\x16\x03\x01garbage\0\xff\r\n\r\nLength: 5\r\n", 28));
		},
		/* a header line longer than anything wget keeps */
		[huge](int fd, const HttpRequest &) {
			http_send(fd, "HTTP/1.0 200 OK\r\n" + huge + "Content-Length: 10\r\n\r\n");
		},
		/* closes before answering */
		[](int, const HttpRequest &) {},
		/* closes in the middle of the status line */
		[](int fd, const HttpRequest &) { http_send(fd, "HTTP/1.0 2"); },
	};
	for (size_t i = 0; i < servers.size(); i++) {
		HttpServer server(servers[i]);
		std::string url = server.url("/vers");
		WgetRun r = wget(FAST_RETRY, url, 1024);
		EXPECT_EQ(r.rc, -1) << i;
		EXPECT_TRUE(has(r.log, "can't get file size url " + url + " size 0\n")) << i << r.log;
		EXPECT_FALSE(exists(in_root("/tmp/download"))) << i;
		for (const std::string &req : server.requests())
			EXPECT_NE(req.substr(0, 4), "GET ") << i;
	}
}

TEST(UtlWget, NobodyListening)
{
	std::string url;
	{
		HttpServer gone([](int, const HttpRequest &) {});
		url = gone.url("/vers");
	}
	WgetRun r = wget(FAST_RETRY, url, 1024);
	EXPECT_EQ(r.rc, -1);
	EXPECT_TRUE(has(r.log, "can't get file size url " + url + " size 0\n")) << r.log;
}

TEST(UtlWget, OptionsMayBeNull)
{
	HttpServer server([](int fd, const HttpRequest &req) { http_answer(fd, req, 10); });
	std::string url = server.url("/v");
	WgetRun r = wget(nullptr, url, 10);
	EXPECT_EQ(r.rc, 0);
	EXPECT_EQ(read_file(in_root("/tmp/download")), pattern(10));
	EXPECT_TRUE(has(r.commands, "--progress=dot " + url + " \n")) << r.commands;
}

TEST(UtlWget, CraftedUrlsRunNothing)
{
	HttpServer server([](int fd, const HttpRequest &req) { http_answer(fd, req, 10); });
	/* Shell syntax in a URL stays part of the one word. */
	std::string url = server.url("/v?a=1&b=$(touch /tmp/pwned2);touch /tmp/pwned");
	WgetRun r = wget(OPTS, url, 10, "/tmp/out file");
	EXPECT_EQ(r.rc, 0);
	EXPECT_FALSE(exists(in_root("/tmp/pwned")));
	EXPECT_FALSE(exists(in_root("/tmp/pwned2")));
	EXPECT_EQ(read_file(in_root("/tmp/out file")), pattern(10));
	EXPECT_TRUE(has(r.commands, "--progress=dot '" + url + "' -O '/tmp/out file' ")) << r.commands;

	/* A URL that wget would take for an option is not run at all. */
	r = wget(OPTS, "--use-askpass=/bin/reboot", 10);
	EXPECT_EQ(r.rc, -1);
	EXPECT_EQ(r.commands, "");
	EXPECT_TRUE(has(r.log, "can't get file size url --use-askpass=/bin/reboot\n")) << r.log;

	/* Nor one that does not fit the command line. */
	r = wget(OPTS, server.url("/" + std::string(500, 'x')), 10);
	EXPECT_EQ(r.rc, -1);
	EXPECT_EQ(r.commands, "");
	EXPECT_TRUE(has(r.log, "can't get file size url http://")) << r.log;
}

/* The reading rules on wget output given as text. */
unsigned long scan(const std::string &text, bool want_size = true)
{
	FILE *f = fmemopen((void *)text.data(), text.size(), "r");
	unsigned long size = utl_wget_scan(f, want_size);
	fclose(f);
	return size;
}

TEST(UtlWgetScan, LengthLines)
{
	EXPECT_EQ(scan("Spider mode enabled.\nLength: 1024 (1.0K) [text/plain]\n"), 1024u);
	EXPECT_EQ(scan("x\rLength: 0x10\r"), 16u);
	EXPECT_EQ(scan("Length: 77"), 0u); /* a line without its end is not read */
	EXPECT_EQ(scan(std::string("a\0b\nLength: 5\n", 14)), 0u);
	/* A line of 511 characters is read, one of 512 ends the reading. */
	EXPECT_EQ(scan(std::string(499, 'x') + "Length: 1234\n"), 1234u);
	EXPECT_EQ(scan(std::string(512, 'x') + "\nLength: 5\n"), 0u);
	/* Draining a download reads everything and finds nothing. */
	EXPECT_EQ(scan(std::string(5000, '.') + "Length: 5\n", false), 0u);
}

}  // namespace
