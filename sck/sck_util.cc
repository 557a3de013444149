/* Small helpers shared by the checks. */
#include "sck.h"

#include <stdarg.h>
#include <string.h>
#include <sys/stat.h>

#include "sys.h"
#include "utl.h"

namespace {

/* Long enough for every fixed text with a 127-character host name or a
 * 511-character line read from a file. */
constexpr size_t LINE_MAX_LEN = 640;

void say_text(char *line)
{
	size_t len = strlen(line);
	if (!len || line[len - 1] != '\n')
		memcpy(line + len, "\n", 2);
	sck_ops->say(line);
}

/* Syslog takes the line without its end. */
void log_text(int priority, char *text)
{
	size_t len = strlen(text);
	while (len && text[len - 1] == '\n')
		text[--len] = '\0';
	sck_ops->log(priority, text);
}

}  // namespace

bool sck_count_down(const sck_soft_t *sck, uint32_t *timer)
{
	*timer = *timer > sck->interval ? *timer - sck->interval : 0;
	return *timer == 0;
}

void sck_say(const char *fmt, ...)
{
	char line[LINE_MAX_LEN + 2];
	va_list ap;
	va_start(ap, fmt);
	int n = vsnprintf(line, LINE_MAX_LEN, fmt, ap);
	va_end(ap);
	if (n >= 0)
		say_text(line);
}

void sck_log(int priority, const char *fmt, ...)
{
	char text[LINE_MAX_LEN];
	va_list ap;
	va_start(ap, fmt);
	int n = vsnprintf(text, sizeof(text), fmt, ap);
	va_end(ap);
	if (n >= 0)
		log_text(priority, text);
}

void sck_tell(int priority, const char *fmt, ...)
{
	char line[LINE_MAX_LEN + 2];
	va_list ap;
	va_start(ap, fmt);
	int n = vsnprintf(line, LINE_MAX_LEN, fmt, ap);
	va_end(ap);
	if (n < 0)
		return;
	say_text(line);
	log_text(priority, line);
}

bool sck_exists(const char *path)
{
	struct stat st;
	return sys_stat(path, &st) == 0;
}

void sck_remove(const char *path)
{
	sys_unlink(path);
}

void sck_mark(const char *path)
{
	utl_putfile(path, "1", 1);
}

void sck_ask_wanctl(const char *marker, int sig)
{
	sck_mark(marker);
	sck_ops->kill_proc("wanctl", sig);
}
