#include "http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

HttpServer::HttpServer(HttpResponder responder) : respond(std::move(responder))
{
	listen_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
	struct sockaddr_in addr = {};
	addr.sin_family = AF_INET;
	addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
	socklen_t len = sizeof(addr);
	if (listen_fd < 0 || bind(listen_fd, (struct sockaddr *)&addr, sizeof(addr)) < 0 ||
	    listen(listen_fd, 16) < 0 || getsockname(listen_fd, (struct sockaddr *)&addr, &len) < 0)
		abort();
	port = ntohs(addr.sin_port);
	thread = std::thread([this] { serve(); });
}

HttpServer::~HttpServer()
{
	stopping = true;
	thread.join();
	close(listen_fd);
}

std::string HttpServer::url(const std::string &path) const
{
	return "http://127.0.0.1:" + std::to_string(port) + path;
}

std::vector<std::string> HttpServer::requests()
{
	std::lock_guard<std::mutex> g(lock);
	return seen;
}

void HttpServer::serve()
{
	while (!stopping) {
		struct pollfd p = {listen_fd, POLLIN, 0};
		if (poll(&p, 1, 50) <= 0)
			continue;
		int fd = accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
		if (fd < 0)
			continue;
		handle(fd);
		close(fd);
	}
}

/* Reads the request head (to the blank line), records it, answers. */
void HttpServer::handle(int fd)
{
	struct timeval tv = {5, 0};
	setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
	std::string head;
	char buf[1024];
	while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
		ssize_t n = read(fd, buf, sizeof(buf));
		if (n <= 0)
			return;
		head.append(buf, n);
	}
	HttpRequest req;
	size_t sp1 = head.find(' '), sp2 = head.find(' ', sp1 + 1);
	if (sp1 != std::string::npos && sp2 != std::string::npos) {
		req.method = head.substr(0, sp1);
		req.path = head.substr(sp1 + 1, sp2 - sp1 - 1);
	}
	{
		std::lock_guard<std::mutex> g(lock);
		seen.push_back(req.method + " " + req.path);
	}
	respond(fd, req);
}

void http_send(int fd, const std::string &text)
{
	size_t done = 0;
	while (done < text.size()) {
		ssize_t n = send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
		if (n <= 0)
			return;
		done += n;
	}
}

void http_answer(int fd, const HttpRequest &req, size_t size, bool with_length)
{
	std::string head = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n";
	if (with_length)
		head += "Content-Length: " + std::to_string(size) + "\r\n";
	head += "Connection: close\r\n\r\n";
	http_send(fd, head);
	if (req.method == "GET") {
		std::string body(size, 'b');
		for (size_t i = 0; i < size; i++)
			body[i] = (char)('a' + i % 26);
		http_send(fd, body);
	}
}
