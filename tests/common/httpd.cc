/*
 * kp7httpd DIR PORT_FILE: serves the files of DIR over HTTP/1.0 on
 * 127.0.0.1, on a port of the system's choice, written to PORT_FILE
 * once it listens.  HEAD and GET of /NAME answer DIR/NAME with its
 * length, anything else 404.  Every request is printed on standard
 * output as "METHOD PATH".  Runs until it is killed.
 */
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "files.h"
#include "http_server.h"

namespace {

std::string dir;

void serve_file(int fd, const HttpRequest &req)
{
	printf("%s %s\n", req.method.c_str(), req.path.c_str());
	fflush(stdout);
	bool plain = req.path.size() > 1 && req.path[0] == '/' && req.path.find("..") == std::string::npos;
	if (!plain || (req.method != "GET" && req.method != "HEAD") || !exists(dir + req.path)) {
		http_send(fd, "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
		return;
	}
	std::string body = read_file(dir + req.path);
	http_send(fd, "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
			      std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n");
	if (req.method == "GET")
		http_send(fd, body);
}

}  // namespace

int main(int argc, char **argv)
{
	if (argc != 3) {
		fprintf(stderr, "usage: kp7httpd DIR PORT_FILE\n");
		return 2;
	}
	dir = argv[1];
	HttpServer server(serve_file);
	std::string url = server.url("");
	std::string port = url.substr(url.rfind(':') + 1) + "\n";
	std::string tmp = std::string(argv[2]) + ".tmp";
	FILE *f = fopen(tmp.c_str(), "w");
	if (!f || fputs(port.c_str(), f) < 0 || fclose(f) != 0 || rename(tmp.c_str(), argv[2]) != 0)
		return 1;
	for (;;)
		pause();
}
