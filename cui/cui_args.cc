/* kp7cui's command line: the control block, the options and their checks. */
#include "cui.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "apmib.h"
#include "utl.h"

cui_soft_t cui_soft;
cui_soft_t *cui_sc = &cui_soft;

namespace {

/*
 * Option parsing stops at the first operand ('+'): values such as "-1" or
 * a time zone "-9 1" are operands of -s, and the text restore replays them
 * as such; taking them for options would lose them.
 */
constexpr char OPTSTRING[] = "+sfgilt:aw:p:d:To:";

struct CommandOption {
	char letter;
	uint8_t command;
};

constexpr CommandOption COMMAND_OPTIONS[] = {
	{'s', CUI_CMD_SET}, {'f', CUI_CMD_FLUSH}, {'g', CUI_CMD_GET},
	{'i', CUI_CMD_INFO}, {'l', CUI_CMD_LOAD}, {'T', CUI_CMD_TEXT_CONF},
};

/* How often the options that must stand once were given. */
struct Counts {
	int command;
	int type;
	int operation;
};

void diag(const char *text)
{
	if (cui_sc->debug_level >= CUI_DL_ERROR)
		printf("%s\n", text);
}

[[noreturn]] void fail(int argc, char **argv, const char *text, int status)
{
	diag(text);
	cui_usage(argc, argv, status);
}

/* A number that nothing follows, read with base detection. */
bool whole_number(const char *text, long *value)
{
	char *end;
	errno = 0;
	*value = strtol(text, &end, 0);
	return end != text && *end == '\0' && errno != ERANGE;
}

bool command_option(int c, Counts *counts)
{
	for (const CommandOption &o : COMMAND_OPTIONS) {
		if (o.letter != c)
			continue;
		cui_sc->command = o.command;
		counts->command++;
		return true;
	}
	return false;
}

void type_option(const char *arg, Counts *counts)
{
	if (strlen(arg) != 1) {
		cui_sc->set_type = CUI_SET_FILE;
		snprintf(cui_sc->filename, sizeof(cui_sc->filename), "%s", arg);
	} else if (arg[0] == 'c' || arg[0] == 'd') {
		cui_sc->set_type = arg[0] == 'c' ? CUI_SET_CURRENT : CUI_SET_DEFAULT;
		counts->type++;
	}
}

void operation_option(const char *arg, Counts *counts)
{
	if (arg[0] == 's' || arg[0] == 'l') {
		cui_sc->operation = arg[0] == 's' ? CUI_OP_SAVE : CUI_OP_LOAD;
		counts->operation++;
	}
}

/* One option; exits on a bad one. */
void take_option(int c, int argc, char **argv, Counts *counts)
{
	long n;

	if (command_option(c, counts))
		return;
	switch (c) {
	case 't':
		type_option(optarg, counts);
		break;
	case 'o':
		operation_option(optarg, counts);
		break;
	case 'a':
		cui_sc->flags |= CUI_F_ALL;
		break;
	case 'w':
		/* the tool only ever works on radio 0 */
		if (!whole_number(optarg, &n) || n != 0)
			fail(argc, argv, "invalid index(-w)", 2);
		wlan_idx = 0;
		break;
	case 'p':
	case 'd':
		if (!whole_number(optarg, &n))
			fail(argc, argv, "invalid value(-d)", 2);
		(c == 'p' ? cui_sc->port : cui_sc->debug_level) = (uint8_t)n;
		break;
	default:
		if (cui_sc->debug_level >= CUI_DL_ERROR)
			printf("bad parameter -%c\n", c);
		cui_usage(argc, argv, 2);
	}
}

/* What each command needs of the other options and of its operands. */
enum Operands : uint8_t { OPS_ANY, OPS_NONE, OPS_TWO, OPS_ALL_OR_TWO };

struct CommandRule {
	uint8_t command;
	uint8_t set_types;	/* bit per accepted set_type; 0: no -t needed */
	bool operation;		/* needs one -o s or -o l */
	Operands operands;
	bool past_operands;	/* n_arg = argc: the command takes no operand */
	const char *failure;
};

constexpr uint8_t TYPE_CD = 1 << CUI_SET_CURRENT | 1 << CUI_SET_DEFAULT;
constexpr uint8_t TYPE_DF = 1 << CUI_SET_DEFAULT | 1 << CUI_SET_FILE;
constexpr char BAD_TYPE[] = "invalid type(-t) or argument";

constexpr CommandRule COMMAND_RULES[] = {
	{CUI_CMD_SET, TYPE_CD, false, OPS_ANY, false, BAD_TYPE},
	{CUI_CMD_FLUSH, TYPE_CD, false, OPS_NONE, true, BAD_TYPE},
	{CUI_CMD_GET, TYPE_CD, false, OPS_ALL_OR_TWO, false, BAD_TYPE},
	{CUI_CMD_INFO, 0, false, OPS_TWO, false, "invalid argument"},
	{CUI_CMD_LOAD, TYPE_DF, false, OPS_NONE, true, BAD_TYPE},
	{CUI_CMD_TEXT_CONF, 0, true, OPS_NONE, true, "invalid operation(-o) or argument"},
};

bool operands_ok(Operands rule, int ops)
{
	switch (rule) {
	case OPS_NONE:
		return ops == 0;
	case OPS_TWO:
		return ops == 2;
	case OPS_ALL_OR_TWO:
		return cui_sc->flags & CUI_F_ALL ? ops == 0 : ops == 2;
	default:
		return true;
	}
}

bool rule_met(const CommandRule &r, const Counts &c, int ops)
{
	/* a file name is no counted -t, so a load of a file needs -t d too */
	if (r.set_types && (c.type != 1 || !(r.set_types & 1 << cui_sc->set_type)))
		return false;
	if (r.operation && (c.operation != 1 || cui_sc->operation == CUI_OP_NONE))
		return false;
	/* n_arg is one byte: operands it cannot reach cannot be handled */
	return operands_ok(r.operands, ops) && optind <= UINT8_MAX;
}

/* Checks the combination and sets n_arg; returns the failure text or
 * nullptr. */
const char *check_command(const Counts &c, int argc)
{
	for (const CommandRule &r : COMMAND_RULES) {
		if (r.command != cui_sc->command)
			continue;
		if (!rule_met(r, c, argc - optind))
			return r.failure;
		cui_sc->n_arg = (uint8_t)(r.past_operands ? argc : optind);
		return nullptr;
	}
	return "invalid command";
}

}  // namespace

[[noreturn]] void cui_usage(int argc, char **argv, int status)
{
	(void)argc;
	const char *name = argv[0] ? argv[0] : "kp7cui";
	/* the diagnostic first, then the usage it explains */
	fflush(stdout);
	fprintf(stderr,
		"usage: %s [-s] [-t c | d] name index value ...\n"
		"usage: %s [-f] [-t c | d]\n"
		"usage: %s [-g] [-t c | d] [-a | name index]\n"
		"usage: %s [-i] [-p ttyUSB port] name index\n"
		"usage: %s [-l] [-t d | filename]\n"
		"usage: %s [-T] [-o s | l\n",
		name, name, name, name, name, name);
	exit(status);
}

int parse_arg(int argc, char **argv)
{
	Counts counts = {};
	int c;

	while ((c = getopt(argc, argv, OPTSTRING)) != -1)
		take_option(c, argc, argv, &counts);
	if (counts.command > 1 || counts.type > 1 || counts.operation > 1)
		fail(argc, argv, "parameter duplicate", 1);
	if (cui_sc->debug_level >= CUI_DL_TRACE)
		printf("argc %d optind %d\n", argc, optind);

	const char *bad = check_command(counts, argc);
	if (bad)
		fail(argc, argv, bad, 2);
	return 0;
}

void cui_init(int argc, char **argv)
{
	memset(cui_sc, 0, sizeof(*cui_sc));
	cui_sc->port = CUI_PORT_NONE;
	char *slash = argv[0] ? strrchr(argv[0], '/') : nullptr;
	cui_sc->prog_name = slash ? slash + 1 : argv[0];
	/* before the options: the library always runs at level 0 here */
	utl_set_dlevel(cui_sc->debug_level);
	utl_sigset();
	if (parse_arg(argc, argv) < 0)
		exit(2);
}
