/* The minute scheduler: settings, the clock's sanity, the due minute. */
#include "upd.h"

#include <stdlib.h>
#include <string.h>
#include <syslog.h>

#include "sys.h"

namespace {

constexpr long kDisparityLimit = 3600;

/* A setting's value with base detection, its low byte kept. */
bool read_byte(const upd_env_t *env, upd_soft_t *sc, const char *name, uint8_t *out)
{
	if (env->flash_get(name, sc->work_buf) != 0)
		return false;
	*out = (uint8_t)strtol(sc->work_buf, nullptr, 0);
	return true;
}

void read_url(const upd_env_t *env, upd_soft_t *sc)
{
	if (env->flash_get("AUTO_FIRMUP_URL", sc->work_buf) != 0)
		return;
	/* At most 255 characters: a longer setting is cut. */
	size_t n = strnlen(sc->work_buf, sizeof(sc->image_url) - 1);
	memcpy(sc->image_url, sc->work_buf, n);
	sc->image_url[n] = '\0';
	upd_version_url(sc->image_url, sc->version_url);
}

/* Whole minutes t with prev < t <= now, in order; the first due one. */
bool first_due(const upd_soft_t *sc, time_t prev, time_t now, time_t *due)
{
	time_t t = prev - (prev % 60 + 60) % 60 + 60;
	for (; t <= now; t += 60) {
		if (upd_minute_due(sc, t)) {
			*due = t;
			return true;
		}
	}
	return false;
}

}  // namespace

unsigned upd_sleep_secs(time_t now)
{
	return (unsigned)(61 - (now % 60 + 60) % 60);
}

void upd_version_url(const char *image_url, char *version_url)
{
	size_t n = strlen(image_url);
	memcpy(version_url, image_url, n + 1);
	while (n > 0 && version_url[n - 1] != '.')
		version_url[--n] = '\0';
	/* A URL ending in its dot has no room for "ver": no version file
	 * rather than one written past the buffer. */
	if (n == 0 || n + 3 >= UPD_URL_SIZE)
		version_url[0] = '\0';
	else
		memcpy(version_url + n, "ver", 4);
}

void upd_read_settings(upd_soft_t *sc, const upd_env_t *env)
{
	read_byte(env, sc, "OP_MODE", &sc->op_mode);
	if (!read_byte(env, sc, "AUTO_FIRMUP_ENABLE", &sc->auto_enable))
		return;
	read_url(env, sc);
	read_byte(env, sc, "AUTO_FIRMUP_WEEK", &sc->week_mask);
	read_byte(env, sc, "AUTO_FIRMUP_HOUR", &sc->hour);
	read_byte(env, sc, "AUTO_FIRMUP_MIN", &sc->minute);
}

bool upd_minute_due(const upd_soft_t *sc, time_t t)
{
	struct tm tm;
	if (!localtime_r(&t, &tm))
		return false;
	bool day = (sc->week_mask & 0x80) || (sc->week_mask >> (6 - tm.tm_wday) & 1);
	return day && tm.tm_hour == sc->hour && tm.tm_min == sc->minute;
}

void upd_minute(upd_soft_t *sc, time_t *prev, const upd_env_t *env)
{
	upd_read_settings(sc, env);
	/* Disabled: prev stays, so re-enabling after an hour is a disparity. */
	if (sc->auto_enable != 1)
		return;
	time_t now = env->now();
	long d = (long)(now - *prev);
	time_t due;
	if (!env->date_sync()) {
		/* the clock is not set yet: nothing it says can be trusted */
	} else if (d < -kDisparityLimit || d > kDisparityLimit) {
		sys_syslog(LOG_INFO, "time diparity of %d minutes detected", (int)(d / 60));
	} else if (d > 0 && first_due(sc, *prev, now, &due)) {
		env->attempt(sc);
	}
	*prev = now;
}
