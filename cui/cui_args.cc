/* kp7cui's command line: the control block, the options and their checks. */
#include "cui.h"

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

/* Appends `part` to text[*n...] when it fits in `size` with a NUL. */
bool append(char *text, size_t size, size_t *n, const char *part)
{
	size_t len = strlen(part);
	if (len >= size - *n)
		return false;
	memcpy(text + *n, part, len);
	*n += len;
	return true;
}

bool command_option(int c, Counts *counts)
{
	const cui_command_t *command = cui_command_by_letter(c);
	if (!command)
		return false;
	cui_sc->command = command->command;
	counts->command++;
	return true;
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
	/* option numbers are read as every other number: whole text, base
	 * detection, "" is 0, out of range stands at the 32-bit limit */
	int32_t n;

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
		if (!cui_parse_int(optarg, &n) || n != 0)
			fail(argc, argv, "invalid index(-w)", 2);
		wlan_idx = 0;
		break;
	case 'p':
	case 'd':
		if (!cui_parse_int(optarg, &n))
			fail(argc, argv, "invalid value(-d)", 2);
		(c == 'p' ? cui_sc->port : cui_sc->debug_level) = (uint8_t)n;
		break;
	default:
		if (cui_sc->debug_level >= CUI_DL_ERROR)
			printf("bad parameter -%c\n", c);
		cui_usage(argc, argv, 2);
	}
}

bool operands_ok(uint8_t rule, int ops)
{
	switch (rule) {
	case CUI_OPERANDS_NONE:
		return ops == 0;
	case CUI_OPERANDS_NAME_INDEX:
		return ops == 2;
	case CUI_OPERANDS_ALL_OR_NAME_INDEX:
		return cui_sc->flags & CUI_F_ALL ? ops == 0 : ops == 2;
	default:	/* the handler checks what NAME needs */
		return true;
	}
}

bool rule_met(const cui_command_t &r, const Counts &c, int ops)
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
	const cui_command_t *r = cui_command_by_number(cui_sc->command);
	if (!r)
		return "invalid command";
	if (!rule_met(*r, c, argc - optind))
		return r->failure;
	/* a command without operands has consumed them all */
	cui_sc->n_arg = (uint8_t)(r->operands == CUI_OPERANDS_NONE ? argc : optind);
	return nullptr;
}

}  // namespace

[[noreturn]] void cui_usage(int argc, char **argv, int status)
{
	(void)argc;
	const char *name = argv[0] ? argv[0] : "kp7cui";
	/* the diagnostic first, then the usage it explains */
	fflush(stdout);
	/* stderr is unbuffered: the whole text in one write where it fits */
	char text[1024];
	size_t n = 0;
	bool fits = true;
	for (const cui_command_t &c : CUI_COMMANDS) {
		const char *parts[] = {"usage: ", name, c.usage, "\n"};
		for (const char *part : parts)
			fits = fits && append(text, sizeof(text), &n, part);
	}
	if (fits) {
		fwrite(text, 1, n, stderr);
	} else {
		for (const cui_command_t &c : CUI_COMMANDS)
			fprintf(stderr, "usage: %s%s\n", name, c.usage);
	}
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
