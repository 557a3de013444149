#include "repeat.h"

#include <stdlib.h>

int kp7_repeat(int full, int min)
{
	const char *env = getenv("KP7_REPEAT");
	char *end;
	long pct = env && *env ? strtol(env, &end, 10) : 100;
	if (!env || !*env || *end || pct < 0)
		pct = 100;
	long n = (long)full * pct / 100;
	return n < min ? min : (int)n;
}
