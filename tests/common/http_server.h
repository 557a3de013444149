/* A small HTTP server on 127.0.0.1 for the real wget: each connection's
 * request head is read and handed to the test's responder, which writes
 * whatever it likes (a proper answer, garbage, nothing) and returns; the
 * connection is then closed. */
#ifndef KP7_TESTS_COMMON_HTTP_SERVER_H
#define KP7_TESTS_COMMON_HTTP_SERVER_H

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct HttpRequest {
	std::string method, path;
};

using HttpResponder = std::function<void(int fd, const HttpRequest &req)>;

class HttpServer {
public:
	explicit HttpServer(HttpResponder responder);
	~HttpServer();
	std::string url(const std::string &path) const;
	/* "METHOD PATH" of every request so far. */
	std::vector<std::string> requests();

private:
	void serve();
	void handle(int fd);

	HttpResponder respond;
	int listen_fd = -1;
	int port = 0;
	std::atomic<bool> stopping{false};
	std::mutex lock;
	std::vector<std::string> seen;
	std::thread thread;
};

/* Writes all of `text` (errors ignored: the client may be gone). */
void http_send(int fd, const std::string &text);

/* A 200 answer with `size` bytes of body; the body only for GET, the
 * length header only when `with_length`. */
void http_answer(int fd, const HttpRequest &req, size_t size, bool with_length = true);

#endif
