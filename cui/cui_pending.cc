/* Commands this build does not have yet: they say so and fail alike. */
#include "cui.h"

#include <stdio.h>

namespace {

/* a status no real command returns */
constexpr int NOT_AVAILABLE = 38;

int not_available(const char *what)
{
	fprintf(stderr, "kp7cui: the %s command is not available in this build\n", what);
	return NOT_AVAILABLE;
}

}  // namespace

int cui_info(cui_soft_t *, int, char **)
{
	return not_available("info");
}
