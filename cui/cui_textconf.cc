/*
 * kp7cui -T: the text configuration backup.
 *
 * Save dumps both settings sets through `kp7cui -g -a` and records the
 * store's layout version; load, when the running store's version differs,
 * replays every saved line as one `kp7cui -s` run, commits both sets and
 * removes the backup.  Every step is a command through the shell; the
 * store is never written directly here.
 */
#include "textconf.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <syslog.h>
#include <unistd.h>

#include "apmib.h"
#include "cs.h"
#include "sys.h"

namespace {

constexpr char CUR_VER[] = TEXTCONF_DIR "/cur_ver";
constexpr int SAVE_FAILED = 10;
constexpr int LOAD_FAILED = 11;

/* One settings set as the backup knows it. */
struct TextSet {
	char letter;		/* -t */
	const char *label;	/* in messages */
	const char *file;	/* its dump */
	const char *temp;	/* the dump while it is written */
	const char *flush;	/* the commit */
};

constexpr TextSet CURRENT = {'c', "current", TEXTCONF_DIR "/cur.txt", TEXTCONF_DIR "/cur.txt.tmp",
			     "kp7cui -f -tc"};
constexpr TextSet DEFAULT = {'d', "default", TEXTCONF_DIR "/def.txt", TEXTCONF_DIR "/def.txt.tmp",
			     "kp7cui -f -td"};

/* ---- reading the dumps ---- */

/* Reads one saved line: at most TEXTCONF_LINE_MAX characters and the line
 * feed.  1 for a line, 0 at the end, -1 for a longer line (skipped whole:
 * cut, its rest would pass for a line of its own). */
int read_saved_line(FILE *f, char *buf)
{
	size_t n = 0;
	bool too_long = false;
	int c;
	while ((c = getc(f)) != EOF) {
		if (c == '\n') {
			buf[n++] = '\n';
			break;
		}
		if (n < TEXTCONF_LINE_MAX)
			buf[n++] = (char)c;
		else
			too_long = true;
	}
	buf[n] = '\0';
	if (n == 0)
		return 0;
	return too_long ? -1 : 1;
}

/* ---- running and reporting ---- */

/* Every command is traced, then run through the shell; its wait status. */
int run(const char *cmd)
{
	size_t n = strlen(cmd);
	cui_trace("%s%s", cmd, n > 0 && cmd[n - 1] == '\n' ? "" : "\n");
	fflush(stdout);
	return sys_system(cmd);
}

/* A wait status as the shell would show it: the exit code, or 128 and the
 * signal; -1 when the command could not be started. */
int exit_code(int status)
{
	if (status == -1)
		return -1;
	return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

/* A failure already written into sc->msg: traced, logged, returned. */
int report(cui_soft_t *sc, int code, const char *log_text)
{
	cui_trace("%s", sc->msg);
	sys_syslog(LOG_ERR, "%s", log_text);
	return code;
}

/* A regular file with something in it (a FIFO must not block the load). */
bool file_has_data(const char *path)
{
	int fd = sys_open(path, O_RDONLY | O_NONBLOCK);
	if (fd < 0)
		return false;
	struct stat st;
	bool data = sys_fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
	close(fd);
	return data;
}

/* ---- save ---- */

/*
 * A dump is whole when its last line is the get table's last row: a dump
 * stops at its first error, and output that could not be written (a full
 * disk) is cut short while the dumping run may still exit with 0.
 */
bool dump_complete(const char *path)
{
	int fd = sys_open(path, O_RDONLY);
	if (fd < 0)
		return false;
	char tail[TEXTCONF_LINE_MAX + 2];
	off_t size = lseek(fd, 0, SEEK_END);
	off_t from = size > (off_t)sizeof(tail) - 1 ? size - (off_t)(sizeof(tail) - 1) : 0;
	ssize_t n = size > 0 ? sys_pread(fd, tail, sizeof(tail) - 1, from) : 0;
	close(fd);
	if (n <= 0 || tail[n - 1] != '\n')
		return false;
	tail[n - 1] = '\0';
	const char *last = strrchr(tail, '\n');
	last = last ? last + 1 : from == 0 ? tail : nullptr;
	const char *name = cs_text(CGC2M[CGC2M_COUNT - 1].name);
	size_t len = strlen(name);
	return last && strncmp(last, name, len) == 0 && last[len] == ' ';
}

/* The set's dump into its temporary file, then in place whole. */
int save_dump(const TextSet &set)
{
	char cmd[128];
	snprintf(cmd, sizeof(cmd), "kp7cui -g -t %c -a > %s", set.letter, set.temp);
	if (run(cmd) != 0 || !dump_complete(set.temp) || sys_commit_file(set.temp, set.file) < 0) {
		int e = errno;
		sys_unlink(set.temp);
		errno = e;
		return -1;
	}
	return 0;
}

/* The version, last: its presence claims that both dumps are whole.
 * Replaced whole, like the dumps. */
int write_version(cui_soft_t *sc, int32_t version)
{
	char text[16];
	int n = snprintf(text, sizeof(text), "%d", (int)version);
	bool made;
	if (sys_write_atomic(CUR_VER, text, (size_t)n, 0644, &made) == 0)
		return 0;
	if (!made) {
		cui_fail(sc, SAVE_FAILED, "can't open cur_ver file errno %d\n", errno);
		return report(sc, SAVE_FAILED, "can't open cur_ver file");
	}
	cui_fail(sc, SAVE_FAILED, "can't write cur_ver file errno %d\n", errno);
	return report(sc, SAVE_FAILED, "can't write cur_ver file");
}

/* ---- load ---- */

/* Reads the saved version: 1 read, 0 no backup, -1 no number in it. */
int read_saved_version(int32_t *saved)
{
	int fd = sys_open(CUR_VER, O_RDONLY);
	if (fd < 0) {
		cui_trace("can't open %s file errno %d, do nothing\n", CUR_VER, errno);
		return 0;
	}
	char text[32];
	ssize_t n = sys_read_all(fd, text, sizeof(text) - 1);
	int e = errno;
	close(fd);
	errno = e;
	text[n > 0 ? n : 0] = '\0';
	/* one decimal number, as scanf's %d takes it, without its overflow */
	char *end;
	long long v = strtoll(text, &end, 10);
	if (end == text)
		return -1;
	*saved = v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : (int32_t)v;
	return 1;
}

/* Replays one set when its dump is there and commits it.  The replay's
 * result; *flush_status the commit's wait status (0 when none ran). */
int restore_set(cui_soft_t *sc, const TextSet &set, int area, int *flush_status)
{
	*flush_status = 0;
	if (!file_has_data(set.file)) {
		cui_trace("text saved %s config file %s is not exist or size 0. do nothing\n",
			  set.label, set.file);
		sys_syslog(LOG_NOTICE, "text saved %s config file %s is not exist or size 0, do nothing",
			   set.label, set.file);
		return 0;
	}
	int rc = cui_load_text_config_area(sc, area);
	if (rc != 0)
		return rc;	/* a failed replay is not committed */
	sys_syslog(LOG_NOTICE, "load saved text %s setting succeed", set.label);
	*flush_status = run(set.flush);
	if (*flush_status != 0) {
		sys_syslog(LOG_ERR, "save %s setting failed", set.label);
		return 0;
	}
	sys_syslog(LOG_NOTICE, "save %s setting succeed", set.label);
	return 0;
}

void remove_backup(void)
{
	/* with whatever an interrupted save left behind */
	const char *files[] = {CURRENT.file, DEFAULT.file, CUR_VER, CURRENT.temp, DEFAULT.temp};
	for (const char *f : files)
		sys_unlink(f);
}

/* What a record's restore attribute does to a dump line's value text:
 * the dump prints some values in another form than the set takes. */
typedef int restore_rewrite_t(const char *value, char *out);
constexpr restore_rewrite_t *RESTORE_REWRITES[] = {nullptr, cui_text_hex_value, cui_text_zone_value};
static_assert(sizeof(RESTORE_REWRITES) / sizeof(RESTORE_REWRITES[0]) == CS_RESTORE_COUNT,
	      "a rewrite per restore attribute");

/* `*value` rewritten into `room` (TEXTCONF_VALUE_MAX bytes) as `rec`
 * asks; -1 when the line lacks what the rewrite needs. */
int restore_value(const cs_comm_c2m_t *rec, const char **value, char *room)
{
	restore_rewrite_t *rewrite = rec->restore < CS_RESTORE_COUNT ? RESTORE_REWRITES[rec->restore] :
								   nullptr;
	if (!rewrite)
		return 0;
	if (rewrite(*value, room) < 0)
		return -1;
	*value = room;
	return 0;
}

/* The list a dump line belongs to, or nullptr. */
const cs_restor_mib_t *find_list(const char *name, bool *count_row)
{
	for (const cs_restor_mib_t &r : CS_RESTOR_MIB_TBL) {
		if (!strcmp(name, cs_text(r.get_name)) || !strcmp(name, cs_text(r.count_name))) {
			*count_row = !strcmp(name, cs_text(r.count_name));
			return &r;
		}
	}
	return nullptr;
}

void empty_lists(const TextSet &set)
{
	char cmd[128];
	for (const cs_restor_mib_t &r : CS_RESTOR_MIB_TBL) {
		const char *delall = cs_text(r.delall_name);
		snprintf(cmd, sizeof(cmd), "kp7cui -s -t %c %s 0", set.letter, delall);
		if (run(cmd) != 0)
			cui_trace("ERROR can't delete %s setting %s\n", set.label, delall);
	}
}

/*
 * The set table's record of a dump row: the row's own name, except for a
 * parameter that the get table names differently (the dump's
 * SSH_WAN_ACCESS_ENABLED is SSH_SSH_WAN_ACCESS_ENABLED to the set
 * command), found by its store number; replayed under the dump's name
 * that setting would be refused and lost.
 */
const cs_comm_c2m_t *set_record_of(const char *name)
{
	if (const cs_comm_c2m_t *rec = cs_find_set_name(name))
		return rec;
	const cgc2m_t *row = cs_find_get_name(name);
	if (!row || row->get_kind == CG_KIND_EDNS)
		return nullptr;
	for (const cs_comm_c2m_t &rec : CS_COMM_C2M)
		if (rec.number == row->number)
			return &rec;
	return nullptr;
}

int malformed(cui_soft_t *sc, const TextSet &set, int line_no, FILE *f)
{
	fclose(f);
	cui_fail(sc, LOAD_FAILED, "can't get %s config parameter line %d \n", set.label, line_no);
	cui_trace("%s", sc->msg);
	sys_syslog(LOG_ERR, "can't get %s config parameter line %d \n", set.label, line_no);
	return LOAD_FAILED;
}

/* What one saved line is replayed as. */
enum LineAction { LINE_MALFORMED = -1, LINE_RUN, LINE_NOTHING, LINE_REFUSED };

/*
 * One saved line to its command in `cmd`: LINE_RUN, LINE_NOTHING for a
 * list's count row, LINE_REFUSED for a value no set command takes (a line
 * feed), LINE_MALFORMED.  *name is the line's NAME, *entry whether it is
 * a list entry.
 */
LineAction line_command(const TextSet &set, char *line, char *cmd, const char **name, bool *entry)
{
	char *split_name, *split_value;
	if (cui_text_split(line, &split_name, &split_value) < 0)
		return LINE_MALFORMED;
	*name = split_name;
	const char *set_name = split_name, *value = split_value;
	bool count_row = false;
	const cs_restor_mib_t *list = find_list(split_name, &count_row);
	*entry = list != nullptr;
	char rewritten[TEXTCONF_VALUE_MAX];
	if (list) {
		if (count_row)
			return LINE_NOTHING;
		set_name = cs_text(list->add_name);
	} else if (const cs_comm_c2m_t *rec = set_record_of(split_name)) {
		set_name = cs_text(rec->name);
		if (restore_value(rec, &value, rewritten) < 0)
			return LINE_MALFORMED;
	}
	int n = cui_text_set_command(cmd, TEXTCONF_CMD_MAX, set.letter, set_name, value);
	return n == TEXTCONF_LINE_FEED ? LINE_REFUSED : n < 0 ? LINE_MALFORMED : LINE_RUN;
}

/*
 * A line whose setting did not come back: traced, and logged with its
 * NAME, so that what a firmware change lost is on record; the replay goes
 * on.  `why` follows the log line ("" for a set command that failed).
 */
void not_restored(const TextSet &set, const char *name, bool entry, int line_no, const char *why)
{
	if (entry) {
		cui_trace("ERROR can't add %s config table entry line %d\n", set.label, line_no);
		sys_syslog(LOG_ERR, "can't add %s config table entry %s line %d%s", set.label, name,
			   line_no, why);
	} else {
		cui_trace("ERROR can't set %s config setting entry line %d\n", set.label, line_no);
		sys_syslog(LOG_ERR, "can't set %s config setting %s line %d%s", set.label, name, line_no,
			   why);
	}
}

/* The saved lines of one set, each replayed by its own set command. */
int replay_lines(cui_soft_t *sc, const TextSet &set, FILE *f)
{
	/* a line can double when escaped: the command has a buffer of its
	 * own, never the message buffer, and is never cut */
	char line[TEXTCONF_LINE_MAX + 2], cmd[TEXTCONF_CMD_MAX];
	int got;
	for (int line_no = 0; (got = read_saved_line(f, line)) != 0; line_no++) {
		cui_trace("READ: %s\n", line);
		if (got < 0) {
			cui_trace("ERROR %s config line %d is too long, skipped\n", set.label, line_no);
			sys_syslog(LOG_ERR, "%s config line %d is too long, skipped", set.label, line_no);
			continue;
		}
		const char *name = "";
		bool entry = false;
		switch (line_command(set, line, cmd, &name, &entry)) {
		case LINE_MALFORMED:
			return malformed(sc, set, line_no, f);
		case LINE_REFUSED:
			not_restored(set, name, entry, line_no, ": a line feed in its value");
			break;
		case LINE_RUN:
			if (run(cmd) != 0)
				not_restored(set, name, entry, line_no, "");
			break;
		case LINE_NOTHING:
			break;
		}
	}
	fclose(f);
	return 0;
}

}  // namespace

/* ---- the handlers ---- */

int cui_load_text_config_area(cui_soft_t *sc, int area)
{
	const TextSet &set = area == 1 ? CURRENT : DEFAULT;
	FILE *f = sys_fopen(set.file, "r");
	if (!f) {
		cui_fail(sc, LOAD_FAILED, "can't open text saved %s config file %s errno %d\n", set.label,
			 set.file, errno);
		cui_trace("%s", sc->msg);
		sys_syslog(LOG_ERR, "can't open text saved %s config file %s", set.label, set.file);
		return LOAD_FAILED;
	}
	/* the set commands below take list entries back as the lists held
	 * them, not only as a person may type them */
	setenv(CS_REPLAY_ENV, "1", 1);
	empty_lists(set);
	int result = replay_lines(sc, set, f);
	unsetenv(CS_REPLAY_ENV);
	return result;
}

int cui_conf_text_save(cui_soft_t *sc, int argc, char **argv)
{
	cui_trace_handler(sc, "cui_conf_text_save", argc, argv);
	sys_syslog(LOG_NOTICE, "save current setting as text file by cui command");
	int32_t version = 0;
	if (!apmib_get(MIB_VER, &version)) {
		cui_fail(sc, SAVE_FAILED, "can't get MIB_VER errno %d\n", errno);
		return report(sc, SAVE_FAILED, "can't get MIB_VER");
	}
	/* from here until the new version is written no backup is claimed:
	 * an interrupted save leaves nothing that a load would replay */
	sys_unlink(CUR_VER);
	char cmd[64];
	snprintf(cmd, sizeof(cmd), "mkdir -p %s", TEXTCONF_DIR);
	run(cmd);
	if (save_dump(CURRENT) < 0) {
		cui_fail(sc, SAVE_FAILED, "kp7cui get all current setting error ret %d errno %d\n", 1, errno);
		return report(sc, SAVE_FAILED, "can't get all current setting");
	}
	if (save_dump(DEFAULT) < 0) {
		int e = errno;
		cui_trace("ERROR %u: kp7cui get all default setting error ret %d errno %d\n", SAVE_FAILED, 1, e);
		cui_fail(sc, SAVE_FAILED, "kp7cui get all defaultt setting error ret %d errno %d\n", 1, e);
		sys_syslog(LOG_ERR, "can't get all default setting");
		return SAVE_FAILED;
	}
	return write_version(sc, version);
}

int cui_text_conf_load(cui_soft_t *sc, int argc, char **argv)
{
	cui_trace_handler(sc, "cui_text_conf_load", argc, argv);
	int32_t version = 0, saved = 0;
	if (!apmib_get(MIB_VER, &version)) {
		cui_fail(sc, LOAD_FAILED, "can't get MIB_VER errno %d\n", errno);
		return report(sc, LOAD_FAILED, " can't get MIB_VER");
	}
	int got = read_saved_version(&saved);
	if (got == 0)
		return 0;
	if (got < 0) {
		cui_fail(sc, LOAD_FAILED, "can't read saved mib version errno %d\n", errno);
		cui_trace("%s", sc->msg);
		return LOAD_FAILED;
	}
	if (saved == version) {
		cui_trace("saved config is current mib version, do nothing\n");
		return 0;
	}
	int cur_flush, def_flush;
	restore_set(sc, CURRENT, 1, &cur_flush);
	int result = restore_set(sc, DEFAULT, 2, &def_flush);
	if (cur_flush != 0 || def_flush != 0) {
		/* the replayed settings are only in the working copies, which a
		 * reboot loses: keep the backup so that the next load can retry */
		const TextSet &set = cur_flush != 0 ? CURRENT : DEFAULT;
		int status = cur_flush != 0 ? cur_flush : def_flush;
		cui_fail(sc, LOAD_FAILED, "kp7cui save %s setting error ret %d\n", set.label,
			 exit_code(status));
		cui_trace("%s", sc->msg);
		return LOAD_FAILED;
	}
	remove_backup();
	return result;
}

int cui_text_config(cui_soft_t *sc, int argc, char **argv)
{
	sys_openlog("textconfig", 0, LOG_DAEMON);
	int result = 0;
	if (sc->operation == CUI_OP_SAVE)
		result = cui_conf_text_save(sc, argc, argv);
	else if (sc->operation == CUI_OP_LOAD)
		result = cui_text_conf_load(sc, argc, argv);
	sys_closelog();
	return result;
}
