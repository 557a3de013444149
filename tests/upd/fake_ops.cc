#include "fake_ops.h"

#include <signal.h>
#include <stdio.h>
#include <string.h>

#include "fw_image.h"
#include "fw_write.h"

namespace {

FakeFlash *fake;
constexpr uint8_t kBlank = 0xff;

std::string fmt(const char *f, long a, long b = 0, long c = 0)
{
	char buf[128];
	snprintf(buf, sizeof(buf), f, a, b, c);
	return buf;
}

void note(const std::string &line)
{
	fake->log.push_back(line);
}

const char *sig_name(int sig)
{
	switch (sig) {
	case SIGTSTP: return "TSTP";
	case SIGSTOP: return "STOP";
	case SIGKILL: return "KILL";
	case SIGTERM: return "TERM";
	case SIGHUP: return "HUP";
	default: return "?";
	}
}

int dev_index(int fd)
{
	return fd - 10;
}

long write_at(int fd, const void *buf, size_t n, uint32_t off)
{
	int i = dev_index(fd);
	note(fmt("write mtdblock%ld at 0x%lx: %ld bytes", i, off, (long)n));
	long done = fake->short_write >= 0 ? fake->short_write : (long)n;
	Bytes &d = fake->dev[i];
	if (d.size() < (size_t)(off + done))
		d.resize(off + done, kBlank);
	memcpy(d.data() + off, buf, done);
	return done;
}

/* Every operation is noted in the log, in the order the writer asks. */
const fw_ops_t kFake = {
	[](const char *cmd) { note(std::string("run ") + cmd); return 0; },
	[](const char *text) { note(std::string("say ") + text); },
	[](const char *dev) {
		int i = !strcmp(dev, "/dev/mtdblock1");
		note(std::string("open ") + dev);
		return fake->open_fails[i] ? -1 : 10 + i;
	},
	[](int fd) { return fake->dev_size[dev_index(fd)]; },
	write_at,
	[](int fd) { note(fmt("close mtdblock%ld", dev_index(fd))); },
	[](const char *path) { note(std::string("read_pid ") + path); return fake->pid_in_file; },
	[](int pid, int sig) { note(fmt("kill %ld ", pid) + sig_name(sig)); return 0; },
	[](unsigned s) { note(fmt("sleep %ld", s)); },
	[] { note("sync"); },
	[](int sig) { note(std::string("ignore ") + sig_name(sig)); },
	[] { note("setpgrp"); },
	[](int kind, char *block, int length, int variant, int version) {
		note(fmt("update_flash kind %ld variant %ld version %ld", kind, variant, version) +
		     fmt(" length %ld sig ", length) + std::string(block, 6));
		return 1;
	},
	[] { note("halt"); },
};

}  // namespace

FakeFlash::FakeFlash()
{
	fake = this;
	fw_ops = &kFake;
	isUpgrade_OK = 0;
}

FakeFlash::~FakeFlash()
{
	fw_ops = &fw_sys_ops;
	fake = nullptr;
}

std::vector<std::string> FakeFlash::only(const std::string &prefix) const
{
	std::vector<std::string> out;
	for (const std::string &l : log)
		if (!l.compare(0, prefix.size(), prefix))
			out.push_back(l);
	return out;
}

int FakeFlash::first(const std::string &prefix) const
{
	for (size_t i = 0; i < log.size(); i++)
		if (!log[i].compare(0, prefix.size(), prefix))
			return (int)i;
	return -1;
}

bool FakeFlash::untouched() const
{
	return dev[0].empty() && dev[1].empty();
}

Upgrade upgrade(const Bytes &img, const char *name)
{
	Bytes copy = img;
	char status[FW_STATUS_SIZE];
	memset(status, 'x', sizeof(status));
	int rc = firmwareUpgrade((char *)copy.data(), (int)copy.size(), status, name);
	return {rc, status};
}
