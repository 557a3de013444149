/* romfetch's image walker and config decoder under fuzzing. */
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "fuzz.h"
#include "fw_image.h"
#include "fw_write.h"
#include "fwpack.h"

namespace {

/* The image under test, in a buffer of exactly its size. */
const uint8_t *img_lo, *img_hi;
bool stray;

bool inside(const void *p, size_t n)
{
	const uint8_t *b = (const uint8_t *)p;
	return b >= img_lo && n <= (size_t)(img_hi - b);
}

/* The writer's operations do nothing but check what they are handed. */
const fw_ops_t kChecking = {
	[](const char *) { return 0; },
	[](const char *) {},
	[](const char *dev) { return strcmp(dev, "/dev/mtdblock1") ? 10 : 11; },
	[](int) -> long long { return 8 << 20; },
	[](int, const void *buf, size_t n, uint32_t) {
		stray |= !inside(buf, n);
		return (long)n;
	},
	[](int) {},
	[](const char *) { return 0; },
	[](int, int) { return 0; },
	[](unsigned) {},
	[] {},
	[](int) {},
	[] {},
	[](int kind, char *block, int length, int variant, int) {
		stray |= !inside(block, length > 0 ? (size_t)length : 0) || kind < 1 || kind > 4 ||
			 variant < 0 || variant > 2;
		return 1;
	},
	[] {},
};

/* The writer reports every refusal on standard error: not wanted here. */
template <typename F> int quietly(F f)
{
	int saved = dup(2), null = open("/dev/null", O_WRONLY);
	dup2(null, 2);
	int rc = f();
	dup2(saved, 2);
	close(saved);
	close(null);
	return rc;
}

/* Sections the walker takes lie whole within the image, and the writer
 * reads nothing but them. */
bool run_image(const std::string &input)
{
	std::vector<uint8_t> img(input.begin(), input.end());
	img_lo = img.data();
	img_hi = img.data() + img.size();
	char status[FW_STATUS_SIZE];
	FwSummary sum;
	int rc = fw_check_image(img.data(), img.size(), status, &sum);
	if (!memchr(status, '\0', sizeof(status)))
		return fail("status text not terminated");
	FwSection sec;
	size_t off = 0;
	unsigned n = 0;
	while (rc == 0 && off < img.size() && fw_section_at(img.data(), img.size(), off, n > 0, &sec, status) > 0) {
		if (!inside(sec.start, sec.total) || sec.start != img.data() + off)
			return fail("section outside the image");
		off += sec.total;
		n++;
	}
	if (rc == 0 && n != sum.sections)
		return fail("second walk differs");
	stray = false;
	fw_ops = &kChecking;
	int written = quietly([&] {
		return firmwareUpgrade((char *)img.data(), (int)img.size(), status, "romfetch");
	});
	fw_ops = &fw_sys_ops;
	if (stray)
		return fail("the writer read outside the image");
	/* Beyond the image's own faults the writer refuses only sections
	 * that do not fit their 8 MiB device. */
	bool too_big = !strncmp(status, "Image section does not fit", 26);
	if (written != (rc == 0 && !too_big))
		return fail("the writer and the walker disagree");
	return true;
}

/* A config section decodes within its buffer, whatever it claims. */
bool run_config(const std::string &input)
{
	std::vector<uint8_t> sec(input.begin(), input.end());
	if (sec.size() < FW_CFG_HEADER_LEN)
		return true;
	img_lo = sec.data();
	img_hi = sec.data() + sec.size();
	FwSection out;
	FwCfgResult rc = fw_config_check(sec.data(), sec.size(), &out);
	if (rc == FW_CFG_OK && (out.cfg_kind < 1 || out.cfg_kind > 4 || out.total > sec.size()))
		return fail("accepted block out of range");
	stray = false;
	fw_ops = &kChecking;
	int kinds = 0, ok = 0;
	int end = updateConfigIntoFlash(sec.data(), (int)sec.size(), &kinds, &ok);
	fw_ops = &fw_sys_ops;
	if (stray || end < 0 || (size_t)end > sec.size())
		return fail("config walk outside its data");
	return true;
}

std::string packed(std::initializer_list<FwPart> parts)
{
	std::vector<uint8_t> img;
	const char *why;
	for (const FwPart &p : parts)
		fw_pack_part(p, img, &why);
	return std::string(img.begin(), img.end());
}

FwPart part(FwPartKind kind, size_t n, const char *tag = "")
{
	FwPart p;
	p.kind = kind;
	p.data.assign(n, 0);
	for (size_t i = 0; i < n; i++)
		p.data[i] = (uint8_t)(i * 7 + 3);
	p.addr = 0x1000;
	p.tag = tag;
	p.version = 1;
	p.sig = kind == FWP_CONFIG ? "COMPCS" : "";
	return p;
}

}  // namespace

void fuzz_setup(void) {}

const std::vector<FuzzTarget> &fuzz_targets(void)
{
	static const std::vector<FuzzTarget> targets = {
		{"image",
		 {packed({part(FWP_FIRMWARE, 300), part(FWP_WEB, 41), part(FWP_ROOTFS, 200),
			  part(FWP_CONFIG, 120, "6G")}),
		  packed({part(FWP_CONFIG, 64, "Hu"), part(FWP_BYTES, 9)}), "cs6c", "COMPCS", ""},
		 run_image},
		{"config",
		 {packed({part(FWP_CONFIG, 200, "6g"), part(FWP_CONFIG, 30, "Df")}),
		  packed({part(FWP_CONFIG, 1000, "Cu")})},
		 run_config},
	};
	return targets;
}
