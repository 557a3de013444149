/*
 * The local host-name table in the hosts file.
 *
 * One classifier decides for listing, counting and deleting which lines
 * are entries, so that entry n is the same line whichever operation asks.
 * Every change replaces the file whole (temporary beside it, fsync,
 * rename): a crash, a full disk or a read-only file system leaves the old
 * file as it was.  Lines that are not entries go back byte for byte.
 */
#include "easydns.h"

#include <arpa/inet.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cs.h"
#include "cui.h"
#include "sys.h"

const cs_easydns_t ExcludedEasyDnsEntry = {{127, 0, 0, 1}, "localhost.localdomain", ""};

namespace {

/* A line is judged by its first 1023 characters, as a 1024-byte line
 * buffer reads it; the rest of a longer line belongs to the same line. */
constexpr size_t LINE_MAX_CHARS = 1023;
constexpr size_t ADDR_MAX_CHARS = 15;	/* "255.255.255.255" */
constexpr mode_t HOSTS_MODE = 0644;	/* for a file that did not exist */
constexpr size_t EASYDNS_LINE_MAX = ADDR_MAX_CHARS + 1 + 255 + 1 + 67 + 2;

/* One TAB-separated field: [begin, end). */
struct Field {
	const char *begin, *end;
	size_t len() const { return (size_t)(end - begin); }
	bool is(const char *text) const
	{
		return len() == strlen(text) && memcmp(begin, text, len()) == 0;
	}
};

/* The field that starts at `p` after any TABs and ends at a TAB or `end`. */
Field next_field(const char *p, const char *end)
{
	while (p < end && *p == '\t')
		p++;
	const char *q = p;
	while (q < end && *q != '\t')
		q++;
	return {p, q};
}

void copy_field(char *dst, size_t room, Field f)
{
	size_t n = f.len() < room - 1 ? f.len() : room - 1;
	memcpy(dst, f.begin, n);
	dst[n] = '\0';
}

bool parse_address(Field f, uint8_t addr[4])
{
	char text[ADDR_MAX_CHARS + 1];
	if (f.len() > ADDR_MAX_CHARS)
		return false;
	copy_field(text, sizeof(text), f);
	/* a NUL inside the field would end the text early */
	return strlen(text) == f.len() && inet_pton(AF_INET, text, addr) == 1;
}

/* What a line of the hosts file is. */
enum LineKind { NOT_ENTRY, LOOPBACK, ENTRY };

/*
 * Judges one line: `line` is its content without the LF, `len` its
 * length.  Fields are separated by TABs only, so a line whose fields are
 * separated by blanks is not an entry.  Fills `rec` for LOOPBACK and ENTRY.
 */
LineKind classify(const char *line, size_t len, cs_easydns_t *rec)
{
	if (len > LINE_MAX_CHARS)
		len = LINE_MAX_CHARS;
	const char *end = line + len;
	if (len == 0 || line[0] == '#')
		return NOT_ENTRY;
	const char *tab = (const char *)memchr(line, '\t', len);
	if (!tab || !parse_address({line, tab}, rec->addr))
		return NOT_ENTRY;
	Field host = next_field(tab, end);
	if (host.len() == 0)
		return NOT_ENTRY;
	Field comment = next_field(host.end, end);
	copy_field(rec->host, sizeof(rec->host), host);
	copy_field(rec->comment, sizeof(rec->comment), comment);
	const cs_easydns_t &lo = ExcludedEasyDnsEntry;
	if (memcmp(rec->addr, lo.addr, 4) == 0 && (host.is(lo.host) || host.is("localhost")))
		return LOOPBACK;
	return ENTRY;
}

/*
 * Reads one line into buf (at most LINE_MAX_CHARS kept, the rest of a
 * longer line skipped) and sets *len to the characters kept, LF excluded.
 * False at the end of the file.
 */
bool read_line(FILE *f, char *buf, size_t *len)
{
	size_t n = 0;
	int c;
	while ((c = getc_unlocked(f)) != EOF && c != '\n')
		if (n < LINE_MAX_CHARS)
			buf[n++] = (char)c;
	*len = n;
	return c != EOF || n > 0;
}

/*
 * Serialises changes of the hosts file between processes: a lock on its
 * directory, which stays the same inode while the file is replaced.
 * Without a directory there is nothing to change, and the change fails
 * on its own.
 */
struct DirLock {
	int fd = -1;
	DirLock()
	{
		char dir[sizeof(EASYDNS_FILE)];
		memcpy(dir, EASYDNS_FILE, sizeof(dir));
		*strrchr(dir, '/') = '\0';
		fd = sys_open(dir, O_RDONLY | O_DIRECTORY);
		if (fd >= 0)
			while (sys_flock(fd, LOCK_EX) < 0 && errno == EINTR)
				;
	}
	~DirLock()
	{
		if (fd >= 0)
			close(fd);
	}
	DirLock(const DirLock &) = delete;
	DirLock &operator=(const DirLock &) = delete;
};

/* The whole hosts file in memory, with room for `extra` more bytes. */
struct HostsImage {
	char *data = nullptr;
	size_t len = 0;
	mode_t mode = HOSTS_MODE;

	~HostsImage() { free(data); }
	/* 0; -1 with the trace of what failed.  A missing file reads as
	 * empty when `missing_ok`. */
	int load(size_t extra, bool missing_ok);
};

int HostsImage::load(size_t extra, bool missing_ok)
{
	int fd = sys_open(EASYDNS_FILE, O_RDONLY);
	struct stat st = {};
	if (fd < 0 && !(missing_ok && errno == ENOENT)) {
		cui_trace("can't open file.\n");
		return -1;
	}
	if (fd >= 0 && sys_fstat(fd, &st) < 0) {
		cui_trace("can't open file.\n");
		close(fd);
		return -1;
	}
	if (fd >= 0)
		mode = st.st_mode & 07777;
	size_t size = (size_t)st.st_size;
	data = (char *)malloc(size + extra + 1);
	if (!data) {
		cui_trace("can't get memory.\n");
		if (fd >= 0)
			close(fd);
		return -1;
	}
	if (fd < 0)
		return 0;
	/* a file that shrank meanwhile gives what is there; one that cannot
	 * be read must not be written back in part */
	ssize_t got = sys_read_all(fd, data, size);
	close(fd);
	if (got < 0) {
		cui_trace("can't open file.\n");
		return -1;
	}
	len = (size_t)got;
	return 0;
}

int replace_hosts(const HostsImage &img)
{
	if (sys_write_atomic(EASYDNS_FILE, img.data, img.len, img.mode) < 0) {
		cui_trace("can't write file.\n");
		return -1;
	}
	return 0;
}

/* A text the hosts file cannot hold as one field of one line. */
bool breaks_line(const char *text, size_t room, const char *bad)
{
	return !memchr(text, '\0', room) || strpbrk(text, bad) != nullptr;
}

}  // namespace

namespace {

/*
 * One pass over the file: counts the entries, copies entry `index` (from
 * 1) to `rec` and stops there, and copies the first `max` entries to
 * `list`.  Returns the count, or `index` when that entry was found.
 */
int scan_entries(int index, cs_easydns_t *rec, cs_easydns_t *list, int max)
{
	FILE *f = sys_fopen(EASYDNS_FILE, "r");
	if (!f) {
		cui_trace("can't open file.\n");
		return 0;
	}
	char *line = (char *)malloc(LINE_MAX_CHARS + 1);
	if (!line) {
		cui_trace("can't get memory.\n");
		fclose(f);
		return 0;
	}
	int count = 0;
	size_t len;
	cs_easydns_t e;
	while (read_line(f, line, &len)) {
		LineKind kind = classify(line, len, &e);
		if (kind == NOT_ENTRY)
			continue;
		cui_trace("%u.%u.%u.%u %s %s\n", e.addr[0], e.addr[1], e.addr[2], e.addr[3],
			  e.host, e.comment);
		if (kind == LOOPBACK)
			continue;
		if (count < max)
			list[count] = e;
		if (++count == index) {
			if (rec)
				*rec = e;
			break;
		}
	}
	free(line);
	fclose(f);
	return count;
}

}  // namespace

int GetEasyDns(int index, cs_easydns_t *rec)
{
	int count = scan_entries(index, rec, nullptr, 0);
	if (index == 0)
		return count;
	return count == index ? index : 0;
}

int SetEasyDns(const cs_easydns_t *rec)
{
	/* a host name with a TAB, or a line feed anywhere, would make other
	 * lines of the file out of this one */
	if (breaks_line(rec->host, sizeof(rec->host), "\t\n") ||
	    breaks_line(rec->comment, sizeof(rec->comment), "\n") || !rec->host[0])
		return -1;
	DirLock lock;
	HostsImage img;
	if (img.load(EASYDNS_LINE_MAX + 1, true) < 0)
		return -1;
	/* a last line without its LF would swallow the new entry */
	if (img.len > 0 && img.data[img.len - 1] != '\n')
		img.data[img.len++] = '\n';
	const uint8_t *a = rec->addr;
	img.len += (size_t)snprintf(img.data + img.len, EASYDNS_LINE_MAX + 1, "%u.%u.%u.%u\t%s\t%s\n",
				    a[0], a[1], a[2], a[3], rec->host, rec->comment);
	return replace_hosts(img);
}

int DelEasyDns(int index)
{
	DirLock lock;
	HostsImage img;
	if (img.load(0, false) < 0)
		return -1;
	/* the lines that stay move down over the dropped ones, in place */
	char *out = img.data;
	const char *p = img.data, *end = img.data + img.len;
	int count = 0;
	bool dropped = false;
	while (p < end) {
		const char *lf = (const char *)memchr(p, '\n', (size_t)(end - p));
		const char *next = lf ? lf + 1 : end;
		cs_easydns_t e;
		if (classify(p, (size_t)((lf ? lf : end) - p), &e) == ENTRY) {
			count++;
			if (index == 0 || count == index) {
				dropped = true;
				p = next;
				continue;
			}
		}
		memmove(out, p, (size_t)(next - p));
		out += next - p;
		p = next;
	}
	if (!dropped)
		return 0;
	img.len = (size_t)(out - img.data);
	return replace_hosts(img);
}

/* ---- the host names as a list of the set and get commands ---- */

namespace {

const cs_easydns_t *as_host(const uint8_t *entry)
{
	return reinterpret_cast<const cs_easydns_t *>(entry);
}

bool hosts_count(const cui_soft_t *, const cs_list_t *, uint32_t *count)
{
	int n = GetEasyDns(0, nullptr);
	*count = n > 0 ? (uint32_t)n : 0;
	return true;	/* a missing file is an empty list */
}

bool hosts_read(const cui_soft_t *, const cs_list_t *, unsigned index, uint8_t *entry)
{
	return GetEasyDns((int)index, reinterpret_cast<cs_easydns_t *>(entry)) != 0;
}

/* One pass over the file: the dump sees one state of it. */
unsigned hosts_read_all(const cui_soft_t *, const cs_list_t *, uint8_t *entries, unsigned max)
{
	return (unsigned)scan_entries(0, nullptr, reinterpret_cast<cs_easydns_t *>(entries), (int)max);
}

/*
 * The entry becomes one line "ADDRESS<TAB>HOST<TAB>COMMENT" of the hosts
 * file: a host name is needed, and neither field may hold the file's
 * separators.  A comment a person types must be a hosts-file comment (or
 * none), else its words would become names; a replay takes back the
 * comment field as the file held it.  The refused field's position, or 0.
 */
unsigned hosts_check_add(const cs_list_t *, const uint8_t *entry, bool replay)
{
	const cs_easydns_t *e = as_host(entry);
	if (!e->host[0] || strpbrk(e->host, "\t\n"))
		return 2;
	if (strpbrk(e->comment, "\t\n") || (!replay && e->comment[0] && e->comment[0] != '#'))
		return 3;
	return 0;
}

bool hosts_apply(cui_soft_t *sc, const cs_list_t *list, const cs_comm_c2m_t *rec, int index)
{
	switch (cs_list_command_of(list, rec)) {
	case CS_LIST_ADD:
		return SetEasyDns(as_host(reinterpret_cast<const uint8_t *>(sc->msg))) == 0;
	case CS_LIST_DEL:
		return DelEasyDns(index & 0xff) == 0;	/* 0 is every entry */
	case CS_LIST_DELALL:
		return DelEasyDns(0) == 0;
	default:
		return false;
	}
}

constexpr const char *HOST_FIELD_NAMES[] = {"ip", "hostname", "comment"};

}  // namespace

/* The hosts file's list: read in one pass for the dump, its delete of
 * entry 0 empties it. */
const cs_list_ops_t CS_HOSTS_LIST_OPS = {
	hosts_count, hosts_read, hosts_read_all, hosts_check_add, hosts_apply, HOST_FIELD_NAMES,
	true, false,
};
