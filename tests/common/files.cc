#include "files.h"

#include <fcntl.h>
#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

TempDir::TempDir(const char *tag)
{
	std::string tmpl = std::string("/tmp/") + tag + ".XXXXXX";
	std::vector<char> buf(tmpl.begin(), tmpl.end());
	buf.push_back('\0');
	if (!mkdtemp(buf.data()))
		abort();
	path = buf.data();
}

TempDir::~TempDir()
{
	remove_tree(path);
}

static int remove_one(const char *p, const struct stat *, int, struct FTW *)
{
	return remove(p);
}

void remove_tree(const std::string &path)
{
	nftw(path.c_str(), remove_one, 16, FTW_DEPTH | FTW_PHYS);
}

std::string read_file(const std::string &path)
{
	std::string s;
	int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
	if (fd < 0)
		return s;
	char buf[4096];
	ssize_t n;
	while ((n = read(fd, buf, sizeof(buf))) > 0)
		s.append(buf, n);
	close(fd);
	return s;
}

bool write_file(const std::string &path, const std::string &text, int mode)
{
	int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
	if (fd < 0)
		return false;
	bool ok = write(fd, text.data(), text.size()) == (ssize_t)text.size();
	close(fd);
	return ok && chmod(path.c_str(), mode) == 0;
}

bool exists(const std::string &path)
{
	struct stat st;
	return lstat(path.c_str(), &st) == 0;
}
