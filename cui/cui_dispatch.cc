/* From the parsed command line to the handler, and its result to the caller. */
#include "cui.h"

#include <errno.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

/* Trace names, indexed by the field's value. */
constexpr const char *SET_TYPE_NAMES[] = {"None", "CURRENT", "DEFAULT", "FILE"};
constexpr const char *OPERATION_NAMES[] = {"", "SAVE", "", "LOAD"};

template <size_t N>
const char *name_of(const char *const (&names)[N], uint8_t value, const char *other)
{
	return value < N ? names[value] : other;
}

/* The operands still to be consumed, "%s " each, then a newline. */
void trace_operands(const cui_soft_t *sc, int argc, char **argv)
{
	for (int i = sc->n_arg; i < argc; i++)
		printf("%s ", argv[i]);
	printf("\n");
}

/* NAME INDEX must be there for a command whose operands begin with them;
 * then the handler's trace. */
int prepare(cui_soft_t *sc, const cui_command_t *c, int argc, char **argv)
{
	bool all = sc->flags & CUI_F_ALL;
	bool name_index = c->operands != CUI_OPERANDS_NONE &&
			  !(c->operands == CUI_OPERANDS_ALL_OR_NAME_INDEX && all);
	if (name_index && argc - sc->n_arg < 2)
		return cui_fail(sc, 7, "illegal index\n");
	if (c->trace && sc->debug_level >= CUI_DL_TRACE) {
		if (c->operands == CUI_OPERANDS_ALL_OR_NAME_INDEX)
			printf("%s getall %d\n", c->trace, all ? 1 : 0);
		else
			printf("%s\n", c->trace);
		trace_operands(sc, argc, argv);
	}
	return 0;
}

int run(cui_soft_t *sc, int argc, char **argv)
{
	const cui_command_t *c = cui_command_by_number(sc->command);
	/* the parser lets no unknown command through; stay safe regardless */
	if (!c)
		return 2;
	int result = prepare(sc, c, argc, argv);
	return result ? result : c->handler(sc, argc, argv);
}

}  // namespace

void cui_trace_args(int argc, char **argv)
{
	const cui_soft_t *sc = cui_sc;
	if (sc->debug_level < CUI_DL_TRACE)
		return;
	for (int i = 0; i < argc; i++)
		printf("argv[%d] %s\n", i, argv[i]);
	const cui_command_t *c = cui_command_by_number(sc->command);
	printf("program name %s\n", sc->prog_name);
	printf("command %s\n", c ? c->name : "Unknown");
	printf("set type  %s\n", name_of(SET_TYPE_NAMES, sc->set_type, "None"));
	printf("operation type  %s\n", name_of(OPERATION_NAMES, sc->operation, ""));
	printf("n_arg %d\n", sc->n_arg);
	printf("filename %s\n", sc->filename);
	printf("debug_level %d\n", sc->debug_level);
}

void cui_trace_handler(const cui_soft_t *sc, const char *name, int argc, char **argv)
{
	if (sc->debug_level < CUI_DL_TRACE)
		return;
	printf("%s\n", name);
	trace_operands(sc, argc, argv);
}

int cui_dispatch(int argc, char **argv)
{
	cui_soft_t *sc = cui_sc;
	int result = run(sc, argc, argv);
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
