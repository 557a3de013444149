/*
 * mibtool - settings files and configuration sections for image builds.
 *
 *   mibtool export cur|def|hw FILE      the set as the store sees it now
 *   mibtool pack FILE TAG VERSION SIG OUT
 *                                       a configuration section around a
 *                                       settings file; TAG one of 6g Cf Cu
 *                                       6G Df Du H6 Hf Hu, VERSION 00..99,
 *                                       SIG COMPCS, COMPDS or COMPHS
 *   mibtool unpack SECTION OUT          the settings file inside a section
 * Exit status 0, or 1 with a message on standard error.
 */
#include <stdio.h>
#include <string.h>

#include "apmib.h"
#include "cfgsect.h"
#include "mibstore.h"
#include "sys.h"

namespace {

const char kUsage[] =
	"usage: mibtool export cur|def|hw FILE\n"
	"       mibtool pack FILE TAG VERSION SIG OUT\n"
	"       mibtool unpack SECTION OUT\n"
	"  TAG: 6g Cf Cu (current) 6G Df Du (default) H6 Hf Hu (hardware)\n"
	"  VERSION: 00 to 99; SIG: COMPCS, COMPDS or COMPHS\n";

int fail(const char *what, const char *detail)
{
	fprintf(stderr, "mibtool: %s: %s\n", what, detail);
	return 1;
}

int save(const char *path, const std::vector<uint8_t> &data)
{
	if (sys_write_atomic(path, data.data(), data.size(), 0644) < 0)
		return fail(path, "cannot write");
	return 0;
}

int cmd_export(char **argv)
{
	static const struct {
		const char *name;
		int kind;
	} kSets[] = {{"cur", CURRENT_SETTING}, {"def", DEFAULT_SETTING}, {"hw", HW_SETTING}};
	for (const auto &s : kSets) {
		if (strcmp(argv[2], s.name))
			continue;
		std::vector<uint8_t> out;
		if (mib_export(s.kind, out) < 0)
			return fail(argv[2], "cannot export");
		return save(argv[3], out);
	}
	return fail(argv[2], "not one of cur, def, hw");
}

int parse_version(const char *text)
{
	if (strlen(text) != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9')
		return -1;
	return (text[0] - '0') * 10 + text[1] - '0';
}

int cmd_pack(char **argv)
{
	std::vector<uint8_t> file, out;
	if (mib_read_file(argv[2], file) < 0)
		return fail(argv[2], "cannot read (missing, unreadable or too large)");
	MibSet check;
	if (mibset_parse(file.data(), file.size(), check, nullptr) < 0)
		return fail(argv[2], "not an intact settings file");
	int version = parse_version(argv[4]);
	if (version < 0)
		return fail(argv[4], "version must be two digits");
	const char *why = "";
	if (cfg_pack(file.data(), file.size(), argv[3], version, argv[5], out, &why) < 0)
		return fail(argv[2], why);
	return save(argv[6], out);
}

int cmd_unpack(char **argv)
{
	std::vector<uint8_t> sec;
	if (mib_read_file(argv[2], sec) < 0)
		return fail(argv[2], "cannot read (missing, unreadable or too large)");
	CfgBlock block;
	const char *why = "";
	if (cfg_unpack(sec.data(), sec.size(), block, &why) < 0)
		return fail(argv[2], why);
	return save(argv[3], block.file);
}

struct Command {
	const char *name;
	int argc;
	int (*run)(char **argv);
};

constexpr Command kCommands[] = {
	{"export", 4, cmd_export},
	{"pack", 7, cmd_pack},
	{"unpack", 4, cmd_unpack},
};

}  // namespace

int main(int argc, char **argv)
{
	for (const Command &c : kCommands)
		if (argc == c.argc && !strcmp(argv[1], c.name))
			return c.run(argv);
	fputs(kUsage, stderr);
	return 1;
}
