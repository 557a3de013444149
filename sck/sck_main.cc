/* syscheck: keeps the mobile-data link and the sibling daemons alive. */
#include "sck.h"

int main(int argc, char **argv)
{
	if (sck_init(argc, argv) < 0)
		return -1;
	for (;;) {
		sck_wait(sck_sc);
		sck_pass(sck_sc);
	}
}
