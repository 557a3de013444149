/*
 * emu_exec.h - exec one of the build's programs from a test, also when the
 * build is for another processor.
 *
 * A cross build's tests run under user-mode emulation (ctest starts them
 * through the emulator), but a program they exec would be handed to the
 * kernel directly, which cannot run it without binfmt_misc.  ctest then
 * sets KP7_EMULATOR (the emulator's command line, words separated by
 * blanks) and the program is started through it instead.
 */
#ifndef KP7_TESTS_EMU_EXEC_H
#define KP7_TESTS_EMU_EXEC_H

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

/* execv(3), through $KP7_EMULATOR when it is set; returns only on failure. */
inline int emu_execv(const char *path, char *const argv[])
{
	const char *emu = getenv("KP7_EMULATOR");
	if (!emu || !*emu)
		return execv(path, argv);
	std::vector<std::string> words;
	std::string w;
	for (const char *p = emu;; p++) {
		if (*p && *p != ' ') {
			w += *p;
			continue;
		}
		if (!w.empty())
			words.push_back(w);
		w.clear();
		if (!*p)
			break;
	}
	std::vector<char *> args;
	for (std::string &s : words)
		args.push_back(&s[0]);
	/* The program sees its own name as argv[0], as without emulation. */
	args.push_back((char *)"-0");
	args.push_back(argv[0]);
	args.push_back((char *)path);
	for (int i = 1; argv[0] && argv[i]; i++)
		args.push_back(argv[i]);
	args.push_back(nullptr);
	return execvp(args[0], args.data());
}

#endif
