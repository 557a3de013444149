/* romfetch: the automatic firmware update daemon. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <syslog.h>
#include <unistd.h>

#include "sys.h"
#include "upd.h"
#include "utl.h"

namespace {

void parse_options(upd_soft_t *sc, int argc, char **argv)
{
	int c;
	while ((c = getopt(argc, argv, "d:")) != -1) {
		if (c != 'd') {
			fprintf(stderr, "usage: %s -d debug_level\n", argv[0]);
			exit(1);
		}
		sc->debug_level = (uint8_t)strtol(optarg, nullptr, 0);
	}
}

}  // namespace

int main(int argc, char **argv)
{
	upd_soft_t *sc = upd_sc;
	memset(sc, 0, sizeof(*sc));
	const char *slash = strrchr(argv[0], '/');
	sc->prog_name = slash ? (char *)slash + 1 : argv[0];
	parse_options(sc, argc, argv);
	sys_openlog(sc->prog_name, 0, LOG_DAEMON);
	utl_set_dlevel(sc->debug_level);
	utl_sigset();
	sys_syslog(LOG_INFO, "%s start", sc->prog_name);
	time_t prev = sys_time();
	for (;;) {
		sys_sleep(upd_sleep_secs(sys_time()));
		upd_minute(sc, &prev, &upd_sys_env);
	}
}
