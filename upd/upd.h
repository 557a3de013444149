/*
 * upd.h - romfetch, the automatic firmware update daemon: its control
 * block, the minute scheduler and the update attempt.
 *
 * Once a minute, at second 1, the daemon reads its six settings through
 * `flash get`, and when the configured weekday, hour and minute have come
 * (every whole minute since the previous wake-up is looked at) it
 * downloads the version file; on any other version than the running one
 * it downloads the image and hands it to the image writer (fw_write.h),
 * which writes it and reboots.
 */
#ifndef KP7_UPD_H
#define KP7_UPD_H

#include <stdint.h>
#include <time.h>

#define UPD_URL_SIZE 256

struct upd_soft_t {
	char *prog_name;	/* argv[0] after its last '/' */
	char work_buf[512];	/* settings read, the version line, commands */
	char image_url[UPD_URL_SIZE];	/* AUTO_FIRMUP_URL, at most 255 characters */
	char version_url[UPD_URL_SIZE];	/* from image_url; empty without a '.' */
	uint8_t debug_level;
	uint8_t auto_enable;	/* AUTO_FIRMUP_ENABLE */
	uint8_t week_mask;	/* bit 7 every day; bits 6..0 Sunday..Saturday */
	uint8_t hour;		/* AUTO_FIRMUP_HOUR, local time */
	uint8_t minute;		/* AUTO_FIRMUP_MIN */
	uint8_t op_mode;	/* OP_MODE: read, not used */
};

extern upd_soft_t upd_soft;
extern upd_soft_t *upd_sc;	/* always &upd_soft */

/* The running firmware's version. */
extern const char *fwVersion;

#define UPD_VERSION_FILE "/tmp/vers"
#define UPD_IMAGE_FILE "/tmp/download"
#define UPD_VERSION_QUOTA 1024u
#define UPD_IMAGE_QUOTA 0x600000u

/* What the scheduler needs of the world; the daemon's is upd_sys_env,
 * tests bring a fake clock. */
struct upd_env_t {
	time_t (*now)(void);
	int (*flash_get)(const char *name, char *value);	/* 0 or -1 */
	int (*date_sync)(void);					/* 1 once NTP set the clock */
	void (*attempt)(upd_soft_t *sc);
};
extern const upd_env_t upd_sys_env;

/* ---- scheduler (upd_sched.cc) ---- */

/* Seconds to sleep from `now` to second 1 of the next minute. */
unsigned upd_sleep_secs(time_t now);

/* The version file's URL: `image_url` (at most 255 characters) up to and
 * with its last '.', then "ver"; empty when it has none, or when that
 * would not fit UPD_URL_SIZE. */
void upd_version_url(const char *image_url, char *version_url);

/* Reads the six settings into the block; a setting that cannot be read
 * keeps its value, and without AUTO_FIRMUP_ENABLE the rest are not read. */
void upd_read_settings(upd_soft_t *sc, const upd_env_t *env);

/* True when minute `t` (local time) is the scheduled one. */
bool upd_minute_due(const upd_soft_t *sc, time_t t);

/* One wake-up: settings, then the decision, then at most one attempt.
 * `prev` is the time of the previous wake-up that looked at the clock. */
void upd_minute(upd_soft_t *sc, time_t *prev, const upd_env_t *env);

/* ---- the update attempt (upd_attempt.cc) ---- */

/* Version file, comparison, image, writer; every way out removes both
 * temporary files. */
void upd_attempt(upd_soft_t *sc);

/* The version text of the version file's first line, in place: the line's
 * first word, or the line as it stands when it starts with a separator. */
char *upd_version_text(char *line);

#endif
