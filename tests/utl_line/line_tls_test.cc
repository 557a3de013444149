/*
 * The line reader over a real TLS connection: a server thread with a key
 * and certificate made here, a client, a socket pair between them, and
 * lines cut across TLS records at will.  Builds without TLS (the router's)
 * skip these.
 */
#include <gtest/gtest.h>

#ifdef KP7_TLS

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "utl.h"

namespace {

/* A throw-away elliptic-curve key and a self-signed certificate for it. */
struct Identity {
	EVP_PKEY *key = nullptr;
	X509 *cert = nullptr;
	Identity()
	{
		key = EVP_EC_gen("P-256");
		cert = X509_new();
		ASN1_INTEGER_set(X509_get_serialNumber(cert), 1);
		X509_gmtime_adj(X509_getm_notBefore(cert), 0);
		X509_gmtime_adj(X509_getm_notAfter(cert), 3600);
		X509_set_pubkey(cert, key);
		X509_NAME *name = X509_get_subject_name(cert);
		X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, (const unsigned char *)"kp7 test", -1, -1, 0);
		X509_set_issuer_name(cert, name);
		X509_sign(cert, key, EVP_sha256());
	}
	~Identity()
	{
		X509_free(cert);
		EVP_PKEY_free(key);
	}
};

enum class Close { Notify, Cut };

/*
 * A TLS connection whose server sends `records`, one SSL_write (one record)
 * each, then closes with a close notify or by just closing its socket.
 */
class TlsPair {
public:
	TlsPair(std::vector<std::string> records, Close how)
	{
		static Identity id;
		int sv[2];
		if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) < 0)
			abort();
		server_ctx = SSL_CTX_new(TLS_server_method());
		SSL_CTX_use_certificate(server_ctx, id.cert);
		SSL_CTX_use_PrivateKey(server_ctx, id.key);
		client_ctx = SSL_CTX_new(TLS_client_method());
		server = std::thread([this, fd = sv[0], records = std::move(records), how] {
			SSL *s = SSL_new(server_ctx);
			SSL_set_fd(s, fd);
			if (SSL_accept(s) == 1) {
				for (const std::string &r : records)
					if (SSL_write(s, r.data(), (int)r.size()) != (int)r.size())
						break;
				if (how == Close::Notify)
					SSL_shutdown(s);
			}
			SSL_free(s);
			close(fd);
		});
		fd = sv[1];
		ssl = SSL_new(client_ctx);
		SSL_set_fd(ssl, fd);
		connected = SSL_connect(ssl) == 1;
	}
	~TlsPair()
	{
		/* The server may still be writing what the test did not read. */
		shutdown(fd, SHUT_RDWR);
		server.join();
		SSL_free(ssl);
		close(fd);
		SSL_CTX_free(client_ctx);
		SSL_CTX_free(server_ctx);
	}
	SSL *ssl = nullptr;
	int fd = -1;
	bool connected = false;

private:
	SSL_CTX *server_ctx = nullptr, *client_ctx = nullptr;
	std::thread server;
};

struct Reader {
	utl_line_t rl;
	Reader() { utl_read_line_init(&rl, 0); }
	~Reader() { utl_read_line_free(&rl); }
	/* Through the TLS connection only: the descriptor given is not one. */
	int next(TlsPair &t) { return utl_read_line(-1, t.ssl, &rl); }
	std::string text() const { return utl_line_text(&rl); }
};

/* `len` characters ending in a line feed, cut into records of `piece`. */
std::vector<std::string> line_records(size_t len, size_t piece, char fill)
{
	std::string line(len - 1, fill);
	line += '\n';
	std::vector<std::string> out;
	for (size_t at = 0; at < len; at += piece)
		out.push_back(line.substr(at, piece));
	return out;
}

TEST(UtlLineTls, LinesAcrossRecords)
{
	TlsPair t({"ab", "c\nde", "f\n\n", "gh\nla", "st"}, Close::Notify);
	ASSERT_TRUE(t.connected);
	Reader r;
	for (const char *want : {"abc\n", "def\n", "\n", "gh\n", "last"}) {
		EXPECT_EQ(r.next(t), (int)strlen(want));
		EXPECT_EQ(r.text(), want);
	}
	/* The peer's close notify is the end, and it stays the end. */
	EXPECT_EQ(r.next(t), 0);
	EXPECT_EQ(r.next(t), 0);
}

TEST(UtlLineTls, ManyLinesInOneRecord)
{
	std::string record;
	for (int i = 0; i < 2000; i++)
		record += std::to_string(i) + "\n";
	TlsPair t({record.substr(0, 5000), record.substr(5000)}, Close::Notify);
	ASSERT_TRUE(t.connected);
	Reader r;
	for (int i = 0; i < 2000; i++) {
		ASSERT_EQ(r.next(t), (int)std::to_string(i).size() + 1) << i;
		ASSERT_EQ(r.text(), std::to_string(i) + "\n");
	}
	EXPECT_EQ(r.next(t), 0);
}

/* Each size is a whole line, line feed included, sent in records of 1000. */
TEST(UtlLineTls, GrowthSteps)
{
	struct Step {
		int len;
		int heap_after;
	} steps[] = {
		{UTL_LINE_INLINE_SIZE - 1, 0},                  /* fills the record's own buffer */
		{UTL_LINE_INLINE_SIZE, UTL_LINE_HEAP_FIRST},     /* one more: the first heap buffer */
		{UTL_LINE_HEAP_FIRST - 1, UTL_LINE_HEAP_FIRST},  /* fills it */
		{UTL_LINE_HEAP_FIRST, UTL_LINE_HEAP_MAX},        /* one more: the largest */
		{UTL_LINE_HEAP_MAX - 1, UTL_LINE_HEAP_MAX},      /* the longest line there is */
		{10, UTL_LINE_HEAP_MAX},
	};
	std::vector<std::string> records;
	for (const Step &s : steps)
		for (std::string &piece : line_records(s.len, 1000, (char)('a' + s.len % 26)))
			records.push_back(piece);
	TlsPair t(records, Close::Notify);
	ASSERT_TRUE(t.connected);
	Reader r;
	for (const Step &s : steps) {
		ASSERT_EQ(r.next(t), s.len);
		EXPECT_EQ(r.rl.heap_size, s.heap_after) << s.len;
		std::string want(s.len - 1, (char)('a' + s.len % 26));
		EXPECT_EQ(r.text(), want + "\n") << s.len;
	}
	EXPECT_EQ(r.next(t), 0);
}

TEST(UtlLineTls, PastTheLargestBuffer)
{
	std::vector<std::string> records = line_records(UTL_LINE_HEAP_MAX + 100, 16384, 'o');
	records.push_back("after\n");
	TlsPair t(records, Close::Notify);
	ASSERT_TRUE(t.connected);
	Reader r;
	EXPECT_EQ(r.next(t), -1);
	/* The characters that did not fit come as a line of their own. */
	EXPECT_EQ(r.next(t), 101);
	EXPECT_EQ(r.text(), std::string(100, 'o') + "\n");
	EXPECT_EQ(r.next(t), 6);
	EXPECT_EQ(r.text(), "after\n");
	EXPECT_EQ(r.next(t), 0);
}

TEST(UtlLineTls, ConnectionCutWithoutCloseNotify)
{
	TlsPair t({"whole\n", "part"}, Close::Cut);
	ASSERT_TRUE(t.connected);
	Reader r;
	EXPECT_EQ(r.next(t), 6);
	/* What arrived comes back; after that the cut is no clean end. */
	EXPECT_EQ(r.next(t), 4);
	EXPECT_EQ(r.text(), "part");
	EXPECT_EQ(r.next(t), -1);
	EXPECT_EQ(r.next(t), -1);
}

}  // namespace

#else

TEST(UtlLineTls, NeedsOpenSsl)
{
	GTEST_SKIP() << "built without TLS";
}

#endif
