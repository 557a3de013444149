/* The parsers under fuzzing, each with its seeds and what it must keep to. */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "files.h"
#include "fuzz.h"
#include "utl.h"
#include "utl_int.h"

namespace {

std::string root;
TempDir *root_dir;

/* What fgets() into 512 bytes leaves as the last "line": pieces end after
 * a line feed or at 511 bytes; a NUL ends the text of a piece. */
std::string last_piece(const std::string &input)
{
	std::string last;
	for (size_t at = 0; at < input.size();) {
		size_t end = at;
		while (end < input.size() && end - at < 511 && input[end] != '\n')
			end++;
		if (end < input.size() && end - at < 511)
			end++; /* the line feed */
		last = input.substr(at, end - at);
		at = end;
	}
	return last.substr(0, last.find('\0'));
}

bool run_flash(const std::string &input)
{
	/* Exactly the 512 bytes the caller promises, so that one more is seen. */
	std::unique_ptr<char[]> value(new char[512]);
	strcpy(value.get(), "stale");
	FILE *f = stream_of(input);
	int rc = utl_flash_parse(f, value.get());
	fclose(f);
	/* The same rule written out plainly: the second token of the last piece. */
	std::string piece = last_piece(input), want;
	const char *sep = "=\" \t\n";
	size_t t1 = piece.find_first_not_of(sep);
	if (t1 != std::string::npos) {
		size_t e1 = piece.find_first_of(sep, t1);
		size_t t2 = e1 == std::string::npos ? e1 : piece.find_first_not_of(sep, e1);
		if (t2 != std::string::npos)
			want = piece.substr(t2, piece.find_first_of(sep, t2) - t2);
	}
	if (rc != (want.empty() ? -1 : 0) || want != value.get())
		return fail("flash value differs", "got [" + std::string(value.get()) + "] want [" + want + "]");
	return true;
}

bool run_usb(const std::string &input)
{
	FILE *f = stream_of(input);
	int kind = utl_usb_scan(f);
	fclose(f);
	if (kind < 0 || kind > 2)
		return fail("usb result out of range", std::to_string(kind));
	if (kind && input.find("Driver=usb-storage") == std::string::npos)
		return fail("storage found without a storage driver");
	if (kind == 2 && input.find("Vendor=") == std::string::npos)
		return fail("modem found without a vendor");
	return true;
}

/* utl_wget's line rules written out plainly. */
unsigned long want_size(const std::string &input)
{
	std::string line;
	for (char c : input) {
		if (c == '\r' || c == '\n') {
			size_t at = line.find("Length:");
			if (at != std::string::npos) {
				std::string rest = line.substr(at + 7);
				size_t b = rest.find_first_not_of(" \t\n");
				return b == std::string::npos ? 0 : strtoul(rest.c_str() + b, nullptr, 0);
			}
			line.clear();
			continue;
		}
		if (c == '\0' || line.size() == 511)
			return 0;
		line += c;
	}
	return 0;
}

bool run_wget(const std::string &input)
{
	FILE *f = stream_of(input);
	unsigned long size = utl_wget_scan(f, true);
	fclose(f);
	if (size != want_size(input))
		return fail("size differs", std::to_string(size) + " vs " + std::to_string(want_size(input)));
	f = stream_of(input);
	size = utl_wget_scan(f, false);
	bool drained = getc(f) == EOF;
	fclose(f);
	if (size != 0 || !drained)
		return fail("draining stopped early or found a size");
	return true;
}

bool run_count(const std::string &input)
{
	const std::string file = root + "/var/count";
	int fd = open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
	if (fd < 0 || write(fd, input.data(), input.size()) != (ssize_t)input.size())
		return fail("cannot write the counter file");
	close(fd);
	if (utl_countupfile("/var/count") != 0)
		return fail("counter not written");
	std::string text = input.substr(0, 79);
	text = text.substr(0, text.find('\0'));
	char want[16];
	snprintf(want, sizeof(want), "%d", utl_count_next(text.c_str()));
	char got[32] = "";
	fd = open(file.c_str(), O_RDONLY);
	ssize_t n = read(fd, got, sizeof(got) - 1);
	close(fd);
	if (n < 0 || strcmp(got, want))
		return fail("counter file differs", std::string(got) + " vs " + want);
	return true;
}

/* Every line comes back byte for byte; an overlong one is -1 and its
 * first 65534 characters are gone. */
bool run_line(const std::string &input)
{
	int p[2];
	if (pipe(p) < 0)
		return fail("pipe");
	fcntl(p[1], F_SETPIPE_SZ, 1 << 17);
	bool ok = write(p[1], input.data(), input.size()) == (ssize_t)input.size();
	close(p[1]);
	if (!ok) {
		close(p[0]);
		return fail("input does not fit the pipe");
	}
	utl_line_t *rl = new utl_line_t;
	utl_read_line_init(rl, 0);
	size_t at = 0;
	for (;;) {
		int n = utl_read_line(p[0], nullptr, rl);
		size_t nl = input.find('\n', at);
		size_t len = (nl == std::string::npos ? input.size() : nl + 1) - at;
		if (at == input.size()) {
			ok = n == 0 || fail("no end of input");
			break;
		}
		if (len > UTL_LINE_HEAP_MAX - 1) {
			ok = n == -1 || fail("overlong line accepted");
			at += UTL_LINE_HEAP_MAX - 1;
		} else if (n != (int)len || memcmp(utl_line_text(rl), input.data() + at, len) ||
			   utl_line_text(rl)[len] != '\0') {
			ok = fail("line differs", std::to_string(n) + " vs " + std::to_string(len));
			break;
		} else {
			at += len;
		}
		if (!ok)
			break;
	}
	utl_read_line_free(rl);
	delete rl;
	close(p[0]);
	return ok;
}

const char USB_DEVICES[] =
	"T:  Bus=01 Lev=00 Prnt=00 Port=00 Cnt=00 Dev#=  1 Spd=480 MxCh= 1\n"
	"B:  Alloc=  0/800 us ( 0%), #Int=  0, #Iso=  0\n"
	"D:  Ver= 2.00 Cls=09(hub  ) Sub=00 Prot=00 MxPS=64 #Cfgs=  1\n"
	"P:  Vendor=1d6b ProdID=0002 Rev= 2.06\n"
	"S:  Product=EHCI Host Controller\n"
	"C:* #Ifs= 1 Cfg#= 1 Atr=e0 MxPwr=  0mA\n"
	"I:* If#= 0 Alt= 0 #EPs= 1 Cls=09(hub  ) Sub=00 Prot=00 Driver=hub\n"
	"E:  Ad=81(I) Atr=03(Int.) MxPS=   4 Ivl=256ms\n"
	"\n"
	"T:  Bus=01 Lev=01 Prnt=01 Port=00 Cnt=01 Dev#=  2 Spd=480 MxCh= 0\n"
	"P:  Vendor=12d1 ProdID=1446 Rev= 0.00\n"
	"I:* If#= 0 Alt= 0 #EPs= 2 Cls=08(stor.) Sub=06 Prot=50 Driver=usb-storage\n";

const char WGET_SPIDER[] =
	"Spider mode enabled. Check if remote file exists.\n"
	"--2024-01-01 00:00:00--  http://127.0.0.1/vers\n"
	"Connecting to 127.0.0.1:80... connected.\n"
	"HTTP request sent, awaiting response... 200 OK\n"
	"Length: 1024 (1.0K) [application/octet-stream]\n"
	"Remote file exists.\n\n";

const char WGET_DOWNLOAD[] =
	"Saving to: '/tmp/download'\n\n"
	"     0K .......... .......... .......... .......... .......... 50%  1.2M 0s\r"
	"    50K .......... .......... .......... .......... .......... 100% 2.3M=0.1s\n\n";

}  // namespace

void fuzz_setup(void)
{
	root_dir = new TempDir("kp7fuzz");
	root = root_dir->path;
	make_dirs(root + "/etc/usb_modeswitch.d");
	make_dirs(root + "/var");
	for (const char *f : {"/etc/usb_modeswitch.d/12d1:1446", "/etc/usb_modeswitch.d/19d2:0031"})
		write_file(root + f, "");
	setenv("KP7_ROOT", root.c_str(), 1);
	atexit([] { delete root_dir; });
}

const std::vector<FuzzTarget> &fuzz_targets(void)
{
	static const std::vector<FuzzTarget> targets = {
		{"flash",
		 {"WLAN_SSID=\"KP7-Router\"\n", "WAN_DHCP=16\n", "IP_ADDR=192.168.0.1\n", "X=\"\"\n",
		  "loading\nNAME=\"my net\"\n", ""},
		 run_flash},
		{"usb", {USB_DEVICES, "P: Vendor=19d2 ProdID=31\nI:* Driver=usb-storage\n", ""}, run_usb},
		{"wget", {WGET_SPIDER, WGET_DOWNLOAD, "Length: unspecified [text/html]\r\n", ""}, run_wget},
		{"count", {"9", "9\n", "0x7fffffff", "-12", "", "  010"}, run_count},
		{"line", {"a\nbc\n\nlast", std::string(1451, 'x') + "\n" + std::string(4096, 'y'), ""}, run_line},
	};
	return targets;
}
