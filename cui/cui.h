/*
 * cui.h - kp7cui, the configuration command tool: its control block, the
 * command handlers and the settings-store wrappers.
 *
 * One run, one command: cui_init() parses the command line into cui_sc,
 * main() opens the store and hands the control block to the handler of
 * the command.  A handler returns 0 or an error code, which becomes the
 * exit status; on an error its text is left in cui_sc->msg.
 */
#ifndef KP7_CUI_H
#define KP7_CUI_H

#include <stdint.h>

/* cui_soft_t::command */
enum {
	CUI_CMD_NONE = 0,
	CUI_CMD_SET = 1,	/* -s */
	CUI_CMD_FLUSH = 2,	/* -f */
	CUI_CMD_GET = 3,	/* -g */
	CUI_CMD_INFO = 4,	/* -i */
	CUI_CMD_LOAD = 5,	/* -l */
	CUI_CMD_TEXT_CONF = 6,	/* -T */
};

/* cui_soft_t::set_type; 1 and 2 are also the store wrappers' selector */
enum {
	CUI_SET_NONE = 0,
	CUI_SET_CURRENT = 1,	/* -t c */
	CUI_SET_DEFAULT = 2,	/* -t d */
	CUI_SET_FILE = 3,	/* -t FILENAME */
};

/* cui_soft_t::operation (2 is not used) */
enum {
	CUI_OP_NONE = 0,
	CUI_OP_SAVE = 1,	/* -o s */
	CUI_OP_LOAD = 3,	/* -o l */
};

/* Exit status of a command whose standard output could not be written. */
#define CUI_EXIT_OUTPUT 255

#define CUI_F_ALL 0x80		/* cui_soft_t::flags: -a */
#define CUI_PORT_NONE 255	/* cui_soft_t::port without -p */

/* Debug levels: errors and diagnostics, "Succeed.", traces. */
#define CUI_DL_ERROR 3
#define CUI_DL_SUCCESS 6
#define CUI_DL_TRACE 7

struct cui_soft_t {
	char *prog_name;	/* argv[0] after its last '/' */
	char msg[1024];		/* error text of a failed handler; scratch */
	char filename[256];	/* -t FILENAME, at most 255 characters */
	uint8_t command;
	uint8_t set_type;
	uint8_t operation;
	uint8_t flags;
	uint8_t n_arg;		/* argv index of the next operand */
	uint8_t port;		/* -p, the modem's serial port number */
	uint8_t debug_level;	/* -d */
};

extern cui_soft_t cui_soft;
extern cui_soft_t *cui_sc;	/* always &cui_soft */

/* ---- command line (cui_args.cc) ---- */

/* Zeroes the control block, blocks the termination signals and parses the
 * command line.  Command-line errors exit 1 (duplicates) or 2. */
void cui_init(int argc, char **argv);

/* Fills cui_sc from the options and checks the combination.  Returns 0;
 * every error ends in cui_usage(). */
int parse_arg(int argc, char **argv);

/* The usage text on standard error, then exit(status). */
[[noreturn]] void cui_usage(int argc, char **argv, int status);

/* ---- the commands (cui_commands.cc) ---- */

typedef int cui_handler_t(cui_soft_t *sc, int argc, char **argv);

/* What a command takes after its options. */
enum : uint8_t {
	CUI_OPERANDS_NONE,		/* nothing */
	CUI_OPERANDS_NAME_INDEX_MORE,	/* NAME INDEX and what NAME needs */
	CUI_OPERANDS_NAME_INDEX,	/* NAME INDEX */
	CUI_OPERANDS_ALL_OR_NAME_INDEX,	/* nothing with -a, else NAME INDEX */
};

/*
 * One command: its option, what it needs of the other options and of its
 * operands, and what runs it.  The parser, the usage text, the traces and
 * the dispatcher all read these records; a command is one row.
 */
struct cui_command_t {
	char letter;		/* its option */
	uint8_t command;	/* CUI_CMD_* */
	const char *name;	/* in the command-line trace: "SET" */
	const char *trace;	/* the handler's trace line; nullptr: it traces itself */
	cui_handler_t *handler;
	uint8_t set_types;	/* bit per accepted set_type; 0: no -t needed */
	bool operation;		/* needs one -o s or -o l */
	uint8_t operands;	/* CUI_OPERANDS_* */
	const char *failure;	/* the diagnostic of a combination it refuses */
	const char *usage;	/* its usage line after "usage: PROGRAM" */
};

#define CUI_COMMAND_COUNT 6
extern const cui_command_t CUI_COMMANDS[CUI_COMMAND_COUNT];	/* in usage order */

/* The record of an option letter, or of a CUI_CMD_* value; nullptr for none. */
const cui_command_t *cui_command_by_letter(int letter);
const cui_command_t *cui_command_by_number(uint8_t command);

/* ---- dispatch (cui_dispatch.cc) ---- */

/* The debug level 7 trace of the parsed command line. */
void cui_trace_args(int argc, char **argv);

/*
 * Runs the command's handler and reports its result as the debug level
 * asks; returns the exit status (the result's low 8 bits).  A command
 * whose operands begin with NAME INDEX fails with 7 when they are not
 * there; then the handler's trace comes, then the handler.
 */
int cui_dispatch(int argc, char **argv);

/* `name` as a line, then the operands still to be consumed ("%s " each)
 * and a newline: the trace a handler starts with at debug level 7. */
void cui_trace_handler(const cui_soft_t *sc, const char *name, int argc, char **argv);

/* printf() at debug level 7 and above only. */
void cui_trace(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

/*
 * A handler's failure: clears sc->msg (all 1024 bytes), writes
 * "ERROR <code>: " and then `fmt` with its arguments, and returns `code`.
 * The callers' texts are the messages without the "ERROR %u: " head.
 */
int cui_fail(cui_soft_t *sc, int code, const char *fmt, ...) __attribute__((format(printf, 3, 4)));

/*
 * A whole-text signed number with base detection (decimal, 0x hex,
 * leading 0 octal; leading blanks and a sign allowed; "" is 0), read as
 * the router's 32-bit strtol() reads it: out-of-range values stand at
 * INT32_MIN or INT32_MAX.  False when text follows the number.
 */
bool cui_parse_int(const char *text, int32_t *value);

/* ---- handlers: called by cui_dispatch() after their operand check ---- */

cui_handler_t cui_flush;	/* -f: write a settings set to flash */
cui_handler_t cui_load;		/* -l: factory defaults or a settings file */
cui_handler_t cui_set;
cui_handler_t cui_get;
cui_handler_t cui_info;		/* -i: the status reports (ci.h) */
cui_handler_t cui_text_config;

/* ---- settings store (cui_store.cc) ---- */

/* The current set for set type 1, the default set for 2; -1 for any other
 * type, else the store's result (non-zero = success). */
int CuiApmibGet(int set_type, int id, void *value);
int CuiApmibSet(int set_type, int id, void *value);

#endif
