#include "files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

TempDir::TempDir(const char *tag, const char *base)
{
	std::string tmpl = std::string(base) + "/" + tag + ".XXXXXX";
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

std::string read_file(const std::string &path, const char *absent)
{
	int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
	return fd < 0 ? absent : drain(fd);
}

std::string drain(int fd)
{
	std::string s;
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

bool make_dirs(const std::string &path, int mode)
{
	for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
		std::string part = path.substr(0, slash);
		if (mkdir(part.c_str(), mode) < 0 && errno != EEXIST)
			return false;
		if (slash == std::string::npos)
			return true;
	}
}

std::string listing(const std::string &dir)
{
	DIR *d = opendir(dir.c_str());
	if (!d)
		return "<no dir>";
	std::vector<std::string> names;
	while (struct dirent *e = readdir(d))
		if (strcmp(e->d_name, ".") && strcmp(e->d_name, ".."))
			names.push_back(e->d_name);
	closedir(d);
	std::sort(names.begin(), names.end());
	std::string s;
	for (const std::string &n : names)
		s += n + " ";
	return s;
}
