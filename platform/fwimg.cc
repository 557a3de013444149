/*
 * fwimg - builds a firmware image for romfetch from its parts.
 *
 *   fwimg OUT SECTION...
 *     firmware FILE ADDR          FIRMWARE ("cs6c"), written at ADDR of /dev/mtdblock0
 *     web FILE ADDR               WEB ("w6cg"), written at ADDR of /dev/mtdblock0
 *     rootfs FILE                 ROOTFS ("r6cr"), payload to /dev/mtdblock1 at 0
 *     config FILE TAG VERSION SIG settings file FILE as a configuration section
 *                                 (TAG 6g Cf Cu 6G Df Du H6 Hf Hu, VERSION 00..99,
 *                                 SIG COMPCS, COMPDS or COMPHS)
 *     bytes FILE                  FILE as it stands (e.g. trailing data)
 *   each optionally followed by faults, for tests:
 *     sig=TEXT len=N sum=N word=N cut=N, and for config rate=N tag=XX blocklen=N
 * Exit status 0, or 1 with a message on standard error.
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "fwpack.h"
#include "sys.h"

namespace {

const char kUsage[] =
	"usage: fwimg OUT SECTION...\n"
	"  firmware FILE ADDR | web FILE ADDR | rootfs FILE | bytes FILE\n"
	"  config SETTINGS_FILE TAG VERSION SIG\n"
	"  each may be followed by faults: sig=TEXT len=N sum=N word=N cut=N\n"
	"  (config also rate=N tag=XX blocklen=N)\n";

constexpr size_t kFileMax = 64u << 20;

int fail(const char *what, const char *detail)
{
	fprintf(stderr, "fwimg: %s: %s\n", what, detail);
	return -1;
}

int read_whole(const char *path, std::vector<uint8_t> &out)
{
	FILE *f = sys_fopen(path, "rbe");
	if (!f)
		return fail(path, "cannot open");
	uint8_t buf[65536];
	size_t n;
	while ((n = fread(buf, 1, sizeof(buf), f)) > 0 && out.size() <= kFileMax)
		out.insert(out.end(), buf, buf + n);
	bool bad = ferror(f) || out.size() > kFileMax;
	fclose(f);
	return bad ? fail(path, "cannot read, or too large") : 0;
}

bool number(const char *text, unsigned long max, unsigned long *out)
{
	char *end;
	*out = strtoul(text, &end, 0);
	return *text && !*end && *out <= max;
}

struct Kind {
	const char *name;
	FwPartKind kind;
	int args;	/* words after the name */
};

constexpr Kind kKinds[] = {
	{"firmware", FWP_FIRMWARE, 2}, {"web", FWP_WEB, 2},     {"rootfs", FWP_ROOTFS, 1},
	{"config", FWP_CONFIG, 4},     {"bytes", FWP_BYTES, 1},
};

/* The kind's own words: file, then address or tag, version and signature. */
int part_args(FwPart &p, char **w)
{
	if (read_whole(w[0], p.data) < 0)
		return -1;
	unsigned long n;
	if (p.kind == FWP_FIRMWARE || p.kind == FWP_WEB) {
		if (!number(w[1], 0xffffffffUL, &n))
			return fail(w[1], "not an address");
		p.addr = (uint32_t)n;
	}
	if (p.kind == FWP_CONFIG) {
		if (strlen(w[2]) != 2 || !number(w[2], 99, &n))
			return fail(w[2], "version must be two digits");
		p.tag = w[1];
		p.version = (int)n;
		p.sig = w[3];
	}
	return 0;
}

/* One key=value fault; false when it is not one. */
bool fault(FwPart &p, const char *word)
{
	const char *eq = strchr(word, '=');
	if (!eq)
		return false;
	std::string key(word, eq - word);
	const char *v = eq + 1;
	unsigned long n = 0;
	if (key == "sig")
		return p.sig = v, true;
	if (key == "tag")
		return p.block_tag = v, true;
	if (key == "cut")
		return number(v, kFileMax, &n) && (p.cut = (long)n, true);
	if (key == "sum")
		return number(v, 0xffff, &n) && (p.sum_delta = (int)n, true);
	if (key == "word")
		return number(v, 0xffffffffUL, &n) && (p.word = (uint32_t)n, true);
	if (key == "len")
		return number(v, 0xffffffffUL, &n) && (p.len = (uint32_t)n, p.set_len = true);
	if (key == "rate")
		return number(v, 0xffff, &n) && (p.rate = (uint16_t)n, p.set_rate = true);
	if (key == "blocklen")
		return number(v, 0xffff, &n) && (p.block_len = (uint16_t)n, p.set_block_len = true);
	return false;
}

const Kind *find_kind(const char *name)
{
	for (const Kind &k : kKinds)
		if (!strcmp(k.name, name))
			return &k;
	return nullptr;
}

/* Parses and packs the section starting at argv[i]; the next index, or -1. */
int section(int argc, char **argv, int i, std::vector<uint8_t> &image)
{
	const Kind *k = find_kind(argv[i]);
	if (!k)
		return fail(argv[i], "not a section kind"), -1;
	if (i + k->args >= argc)
		return fail(argv[i], "missing arguments"), -1;
	FwPart p;
	p.kind = k->kind;
	if (part_args(p, argv + i + 1) < 0)
		return -1;
	for (i += 1 + k->args; i < argc && !find_kind(argv[i]); i++)
		if (!fault(p, argv[i]))
			return fail(argv[i], "not a fault (key=value)"), -1;
	const char *why = "";
	if (fw_pack_part(p, image, &why) < 0)
		return fail(k->name, why), -1;
	return i;
}

}  // namespace

int main(int argc, char **argv)
{
	if (argc < 3) {
		fputs(kUsage, stderr);
		return 1;
	}
	std::vector<uint8_t> image;
	for (int i = 2; i < argc;)
		if ((i = section(argc, argv, i, image)) < 0)
			return 1;
	if (sys_write_atomic(argv[1], image.data(), image.size(), 0644) < 0)
		return fail(argv[1], "cannot write"), 1;
	return 0;
}
