/* Syslog, mirrored into the root's var/log/messages under a sandbox. */
#include "sys.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <syslog.h>
#include <unistd.h>

namespace {

const char *log_ident = "";
int log_facility = LOG_USER;

struct Name {
	int code;
	const char *name;
};

constexpr Name FACILITY_NAMES[] = {
	{LOG_KERN, "kern"},     {LOG_USER, "user"},     {LOG_MAIL, "mail"},
	{LOG_DAEMON, "daemon"}, {LOG_AUTH, "auth"},     {LOG_SYSLOG, "syslog"},
	{LOG_LPR, "lpr"},       {LOG_NEWS, "news"},     {LOG_UUCP, "uucp"},
	{LOG_CRON, "cron"},     {LOG_AUTHPRIV, "authpriv"}, {LOG_FTP, "ftp"},
	{LOG_LOCAL0, "local0"}, {LOG_LOCAL1, "local1"}, {LOG_LOCAL2, "local2"},
	{LOG_LOCAL3, "local3"}, {LOG_LOCAL4, "local4"}, {LOG_LOCAL5, "local5"},
	{LOG_LOCAL6, "local6"}, {LOG_LOCAL7, "local7"},
};

constexpr const char *LEVEL_NAMES[] = {
	"emerg", "alert", "crit", "err", "warning", "notice", "info", "debug",
};
static_assert(sizeof(LEVEL_NAMES) / sizeof(LEVEL_NAMES[0]) == LOG_DEBUG + 1, "one name per level");

const char *facility_name(int facility)
{
	for (const Name &f : FACILITY_NAMES)
		if (f.code == facility)
			return f.name;
	return "user";
}

/* One write per line with O_APPEND keeps lines of concurrent processes whole. */
void mirror(int priority, const char *fmt, va_list ap)
{
	int fac = priority & LOG_FACMASK ? priority & LOG_FACMASK : log_facility;
	char line[1024];
	time_t now = sys_time();
	struct tm tm;
	localtime_r(&now, &tm);
	int n = strftime(line, sizeof(line), "%b %e %H:%M:%S ", &tm);
	n += snprintf(line + n, sizeof(line) - n, "%s.%s %s[%d]: ", facility_name(fac),
		      LEVEL_NAMES[LOG_PRI(priority)],
		      *log_ident ? log_ident : program_invocation_short_name, (int)getpid());
	if (n < (int)sizeof(line))
		n += vsnprintf(line + n, sizeof(line) - n, fmt, ap);
	if (n > (int)sizeof(line) - 2)
		n = sizeof(line) - 2;
	while (n > 0 && line[n - 1] == '\n')
		n--;
	line[n++] = '\n';
	int fd = sys_open("/var/log/messages", O_WRONLY | O_APPEND | O_CREAT, 0644);
	if (fd < 0)
		return;
	ssize_t w = write(fd, line, n);
	(void)w;
	close(fd);
}

}  // namespace

void sys_openlog(const char *ident, int option, int facility)
{
	log_ident = ident ? ident : "";
	log_facility = facility;
	openlog(ident, option, facility);
}

void sys_vsyslog(int priority, const char *fmt, va_list ap)
{
	if (sys_sandboxed()) {
		va_list copy;
		va_copy(copy, ap);
		mirror(priority, fmt, copy);
		va_end(copy);
	}
	vsyslog(priority, fmt, ap);
}

void sys_syslog(int priority, const char *fmt, ...)
{
	va_list ap;
	va_start(ap, fmt);
	sys_vsyslog(priority, fmt, ap);
	va_end(ap);
}

void sys_closelog(void)
{
	closelog();
	log_ident = "";
	log_facility = LOG_USER;
}
