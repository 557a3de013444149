/* kp7cui: one configuration command per run. */
#include "cui.h"

#include "apmib.h"

int main(int argc, char **argv)
{
	cui_init(argc, argv);
	cui_trace_args(argc, argv);
	/* nothing to do about a store that does not open: the command fails */
	apmib_init();
	return cui_dispatch(argc, argv);
}
