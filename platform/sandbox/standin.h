/*
 * standin.h - the parts of kp7standin (see kp7standin.cc).
 */
#ifndef KP7_STANDIN_H
#define KP7_STANDIN_H

#include <string>

/* One call of a stand-in: the name it was started as and its arguments. */
struct Standin {
	const char *name;    /* base name of argv[0] */
	std::string root;    /* KP7_ROOT without trailing "/"; "" for "/" */
	int argc;
	char **argv;
};

/* A router path under the root. */
std::string standin_path(const Standin &s, const char *path);

/* Appends "NAME ARGS..." to the root's /var/log/standins. */
void standin_record(const Standin &s);

/* The test's answer for this stand-in: NAME.status under /var/sandbox.
 * True and the status when there is one. */
bool standin_status(const Standin &s, int *status);

/* Whether the test chose any answer (NAME.out, .err, .status). */
bool standin_answered(const Standin &s);

/* Copies NAME.out and NAME.err from /var/sandbox to stdout and stderr. */
void standin_output(const Standin &s);

/* Records, answers as the test chose (default: nothing, status 0). */
int standin_answer(const Standin &s);

/* A name for signal `sig` ("SIGUSR1"); a number for one without. */
std::string standin_signal_name(int sig);

/* "9", "KILL" or "SIGKILL" as a signal number; 0 if it is none. */
int standin_signal_number(const char *text);

int killall_main(const Standin &s);
int nettool_main(const Standin &s);

#endif
