/* Downloads with wget under a size quota. */
#include "utl.h"

#include <stdlib.h>
#include <string.h>
#include <syslog.h>

#include "sys.h"
#include "text.h"
#include "utl_int.h"

namespace {

constexpr size_t LINE_MAX_LEN = sizeof(utl_soft_t::work_buf);

/* "Length: 1024 (1.0K) [text/plain]": the word after the label, read with
 * base detection; "Length: unspecified [text/html]" gives 0. */
bool length_of(char *line, unsigned long *size)
{
	char *p = strstr(line, "Length:");
	if (!p)
		return false;
	char *save = nullptr;
	const char *word = strtok_r(p + 7, " \t\n", &save);
	*size = word ? strtoul(word, nullptr, 0) : 0;
	return true;
}

/* Both command lines share their options; outside values are quoted. */
void wget_common(SysText &cmd, int read_timeout)
{
	cmd.text("-t 3 --dns-timeout=5 --connect-timeout=5 --read-timeout=")
		.num(read_timeout)
		.text(" --progress=dot ");
}

/* A URL that starts like an option would be taken for one by wget. */
bool url_usable(const char *url)
{
	return url && url[0] && url[0] != '-';
}

FILE *start_size_query(const char *options, const char *url, int read_timeout)
{
	SysText cmd(utl_sc->work_buf);
	cmd.text("wget --spider ");
	wget_common(cmd, read_timeout);
	cmd.word(url).text(" ").text(options);
	return cmd.ok() ? utl_popen(cmd.buf, "e") : nullptr;
}

FILE *start_download(const char *options, const char *url, const char *outfile,
		     int read_timeout)
{
	SysText cmd(utl_sc->work_buf);
	cmd.text("wget ");
	wget_common(cmd, read_timeout);
	cmd.word(url).text(" -O ").word(outfile).text(" ").text(options);
	return cmd.ok() ? utl_popen(cmd.buf, "e") : nullptr;
}

}  // namespace

/*
 * wget reports on its standard error, a line at a time; progress lines end
 * in a carriage return as often as in a line feed.  A size query stops at
 * a NUL byte or a line that does not fit (not wget's own output), a
 * download is read to its end whatever comes: closing early would kill it.
 */
unsigned long utl_wget_scan(FILE *in, bool want_size)
{
	char *line = utl_sc->work_buf;
	size_t len = 0;
	int c;
	while ((c = getc(in)) != EOF) {
		if (c == '\r' || c == '\n') {
			line[len] = '\0';
			unsigned long size;
			if (want_size && length_of(line, &size))
				return size;
			len = 0;
			continue;
		}
		if (want_size && (c == '\0' || len == LINE_MAX_LEN - 1))
			return 0;
		if (len < LINE_MAX_LEN - 1)
			line[len++] = (char)c;
	}
	return 0;
}

int utl_wget(const char *options, const char *url, const char *outfile, int read_timeout,
	     unsigned quota)
{
	if (!options)
		options = "";
	if (!outfile)
		outfile = "";
	FILE *err = url_usable(url) ? start_size_query(options, url, read_timeout) : nullptr;
	if (!err) {
		sys_syslog(LOG_NOTICE, "can't get file size url %s", url ? url : "");
		return -1;
	}
	unsigned long remote = utl_wget_scan(err, true);
	utl_pclose(err);
	/* A size beyond what the quota can express is over any quota. */
	unsigned size = (unsigned)remote == remote ? (unsigned)remote : ~0U;
	if (size == 0) {
		sys_syslog(LOG_NOTICE, "can't get file size url %s size %u", url, 0U);
		return -1;
	}
	if (quota < size) {
		sys_syslog(LOG_NOTICE, "%s quota size over quota %u size %u url %s\n", "utl_wget",
			   quota, size, url);
		return -1;
	}
	err = start_download(options, url, outfile, read_timeout);
	if (!err) {
		sys_syslog(LOG_NOTICE, "can't get url %s", url);
		return -1;
	}
	utl_wget_scan(err, false);
	utl_pclose(err);
	return 0;
}
