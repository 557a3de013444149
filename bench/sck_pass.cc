/*
 * sck_pass_bench N: N passes of syscheck in which no countdown runs out,
 * in the root KP7_ROOT: the flag-file scan and the Ethernet link logging
 * that every pass does, with the daemon's own operations.  Run under
 * callgrind with N and with 0, the difference is the cost of N passes.
 */
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "sck.h"

int main(int argc, char **argv)
{
	int n = argc == 2 ? atoi(argv[1]) : -1;
	if (n < 0)
		return 2;
	sck_soft_t *sck = sck_sc;
	memset(sck, 0, sizeof(*sck));
	sck->prog_name = "syscheck";
	sck_start_checks(sck);
	/* the link state seen once, as after the first pass of a run */
	sck_link_status(sck);
	sck->reload_timer = sck->boa_timer = sck->usb_driver_timer = UINT32_MAX;
	for (int i = 0; i < n; i++)
		sck_pass(sck);
	return 0;
}
