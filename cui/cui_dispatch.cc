/* From the parsed command line to the handler, and its result to the caller. */
#include "cui.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

struct CommandEntry {
	uint8_t command;
	const char *name;	/* in the trace */
	cui_handler_t *handler;
};

constexpr CommandEntry COMMANDS[] = {
	{CUI_CMD_SET, "SET", cui_set},
	{CUI_CMD_FLUSH, "FLUSH", cui_flush},
	{CUI_CMD_GET, "GET", cui_get},
	{CUI_CMD_INFO, "INFO", cui_info},
	{CUI_CMD_LOAD, "LOAD", cui_load},
	{CUI_CMD_TEXT_CONF, "TEXT CONF", cui_text_config},
};

/* Trace names, indexed by the field's value. */
constexpr const char *SET_TYPE_NAMES[] = {"None", "CURRENT", "DEFAULT", "FILE"};
constexpr const char *OPERATION_NAMES[] = {"", "SAVE", "", "LOAD"};

const CommandEntry *find_command(uint8_t command)
{
	for (const CommandEntry &e : COMMANDS)
		if (e.command == command)
			return &e;
	return nullptr;
}

template <size_t N>
const char *name_of(const char *const (&names)[N], uint8_t value, const char *other)
{
	return value < N ? names[value] : other;
}

}  // namespace

void cui_trace_args(int argc, char **argv)
{
	const cui_soft_t *sc = cui_sc;
	if (sc->debug_level < CUI_DL_TRACE)
		return;
	for (int i = 0; i < argc; i++)
		printf("argv[%d] %s\n", i, argv[i]);
	const CommandEntry *e = find_command(sc->command);
	printf("program name %s\n", sc->prog_name);
	printf("command %s\n", e ? e->name : "Unknown");
	printf("set type  %s\n", name_of(SET_TYPE_NAMES, sc->set_type, "None"));
	printf("operation type  %s\n", name_of(OPERATION_NAMES, sc->operation, ""));
	printf("n_arg %d\n", sc->n_arg);
	printf("filename %s\n", sc->filename);
	printf("debug_level %d\n", sc->debug_level);
}

void cui_trace_operands(const cui_soft_t *sc, int argc, char **argv)
{
	for (int i = sc->n_arg; i < argc; i++)
		printf("%s ", argv[i]);
	printf("\n");
}

int cui_dispatch(int argc, char **argv)
{
	cui_soft_t *sc = cui_sc;
	const CommandEntry *e = find_command(sc->command);
	/* the parser lets no unknown command through; stay safe regardless */
	int result = e ? e->handler(sc, argc, argv) : 2;
	if (result == 0) {
		if (sc->debug_level >= CUI_DL_SUCCESS)
			printf("Succeed.\n");
	} else if (sc->debug_level >= CUI_DL_ERROR) {
		printf("%s", sc->msg);
	}
	/* Output that did not get out is a failure, not a success: a dump
	 * cut short by a full disk must not pass for a complete one. */
	if (fflush(stdout) == EOF || ferror(stdout)) {
		fprintf(stderr, "%s: standard output: %s\n", sc->prog_name, strerror(errno));
		if (result == 0)
			result = CUI_EXIT_OUTPUT;
	}
	return result & 0xff;
}

void cui_trace(const char *fmt, ...)
{
	if (cui_sc->debug_level < CUI_DL_TRACE)
		return;
	va_list ap;
	va_start(ap, fmt);
	vprintf(fmt, ap);
	va_end(ap);
}

int cui_fail(cui_soft_t *sc, int code, const char *fmt, ...)
{
	memset(sc->msg, 0, sizeof(sc->msg));
	int n = snprintf(sc->msg, sizeof(sc->msg), "ERROR %u: ", (unsigned)code);
	va_list ap;
	va_start(ap, fmt);
	vsnprintf(sc->msg + n, sizeof(sc->msg) - n, fmt, ap);
	va_end(ap);
	return code;
}

bool cui_parse_int(const char *text, int32_t *value)
{
	char *end;
	long long v = strtoll(text, &end, 0);
	if (*end)
		return false;
	*value = v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : (int32_t)v;
	return true;
}
