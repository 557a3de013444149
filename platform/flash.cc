/*
 * flash - read and write the settings store from the shell.
 *
 *   flash get NAME         prints NAME=VALUE: numbers in decimal, strings
 *                          in double quotes, addresses dotted, byte strings
 *                          as hex digits; a list name (or its count name)
 *                          prints the number of entries.  Per-network
 *                          parameters are those of the first network.
 *   flash set NAME VALUE   writes the current set and commits it to flash
 *                          at once; further words join VALUE with blanks
 *   flash reset            factory settings into both sets' flash copies
 * Exit status 0, or 1 with a message on standard error.
 */
#include <stdio.h>
#include <string.h>

#include "apmib.h"
#include "mibstore.h"
#include "mibval.h"

namespace {

const char kUsage[] =
	"usage: flash get NAME\n"
	"       flash set NAME VALUE\n"
	"       flash reset\n";

MibRef find(const char *name)
{
	MibRef ref = mib_lookup_name(name);
	if (!ref.rec)
		fprintf(stderr, "flash: unknown parameter %s\n", name);
	return ref;
}

int cmd_get(int argc, char **argv)
{
	(void)argc;
	MibRef ref = find(argv[2]);
	if (!ref.rec)
		return 1;
	const MibRec *rec = ref.rec;
	unsigned char buf[MIB_API_MAX] = {0};
	bool list = rec->flags & MIB_F_LIST;
	int id = list ? mib_list_count_id(rec) : rec->id;
	char text[2 * MIB_API_MAX + 1];
	vwlan_idx = 0;
	if (!apmib_get(id, buf)) {
		fprintf(stderr, "flash: cannot read %s\n", argv[2]);
		return 1;
	}
	if (list) {
		unsigned count;
		memcpy(&count, buf, sizeof(count));
		printf("%s=%u\n", argv[2], count);
		return 0;
	}
	mib_api_to_text(rec, buf, text, sizeof(text));
	printf(rec->type == STRING_T ? "%s=\"%s\"\n" : "%s=%s\n", argv[2], text);
	return 0;
}

int cmd_set(int argc, char **argv)
{
	MibRef ref = find(argv[2]);
	if (!ref.rec)
		return 1;
	const MibRec *rec = ref.rec;
	if (ref.role != MIB_VALUE || (rec->flags & (MIB_F_LIST | MIB_F_RO))) {
		fprintf(stderr, "flash: %s cannot be set\n", argv[2]);
		return 1;
	}
	char value[1024] = "";
	for (int i = 3; i < argc; i++) {
		size_t used = strlen(value);
		snprintf(value + used, sizeof(value) - used, "%s%s", i > 3 ? " " : "", argv[i]);
	}
	unsigned char buf[MIB_API_MAX] = {0};
	if (mib_text_to_api(rec, value, buf) < 0) {
		fprintf(stderr, "flash: invalid value for %s: %s\n", argv[2], value);
		return 1;
	}
	vwlan_idx = 0;
	bool hw = rec->flags & MIB_F_HW;
	if (!apmib_set(rec->id, buf) || (!hw && !apmib_update(CURRENT_SETTING))) {
		fprintf(stderr, "flash: cannot write %s\n", argv[2]);
		return 1;
	}
	return 0;
}

int cmd_reset(int, char **)
{
	if (mib_reset() < 0) {
		fprintf(stderr, "flash: reset failed\n");
		return 1;
	}
	return 0;
}

struct Command {
	const char *name;
	int min_args, max_args; /* counting argv[0] and the command */
	int (*run)(int argc, char **argv);
};

constexpr Command kCommands[] = {
	{"get", 3, 3, cmd_get},
	{"set", 4, 64, cmd_set},
	{"reset", 2, 2, cmd_reset},
};

}  // namespace

int main(int argc, char **argv)
{
	for (const Command &c : kCommands) {
		if (argc < 2 || strcmp(argv[1], c.name))
			continue;
		if (argc < c.min_args || argc > c.max_args)
			break;
		apmib_init();
		return c.run(argc, argv);
	}
	fputs(kUsage, stderr);
	return 1;
}
