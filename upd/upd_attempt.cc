/* One update attempt: version file, comparison, image, writer. */
#include "upd.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <syslog.h>

#include "fw_image.h"
#include "fw_write.h"
#include "sys.h"
#include "utl.h"

namespace {

constexpr char kWgetOptions[] = "--no-check-certificate";
constexpr int kVersionTimeout = 10;
constexpr int kImageTimeout = 100;

/* Our own file names only: nothing from outside reaches this command. */
void remove_file(upd_soft_t *sc, const char *path)
{
	snprintf(sc->work_buf, sizeof(sc->work_buf), "rm -f %s", path);
	sys_system(sc->work_buf);
}

void clean_up(upd_soft_t *sc)
{
	remove_file(sc, UPD_VERSION_FILE);
	remove_file(sc, UPD_IMAGE_FILE);
}

/* True when the version file names another firmware than ours. */
bool new_version(upd_soft_t *sc)
{
	sys_syslog(LOG_INFO, "Download version file %s", sc->version_url);
	if (utl_wget(kWgetOptions, sc->version_url, UPD_VERSION_FILE, kVersionTimeout,
		     UPD_VERSION_QUOTA) < 0)
		return false;
	FILE *f = sys_fopen(UPD_VERSION_FILE, "re");
	if (!f) {
		sys_syslog(LOG_ERR, "%s open error errno %d", UPD_VERSION_FILE, errno);
		return false;
	}
	sc->work_buf[0] = '\0';
	const char *version = fgets(sc->work_buf, sizeof(sc->work_buf), f)
				      ? upd_version_text(sc->work_buf)
				      : sc->work_buf;
	fclose(f);
	if (!version[0]) {
		sys_syslog(LOG_NOTICE, "can't version string %s\n", UPD_VERSION_FILE);
		return false;
	}
	sys_syslog(LOG_INFO, "Download version %s Current Version %s", version, fwVersion);
	bool same = !strncmp(version, fwVersion, sizeof(sc->work_buf));
	if (same)
		sys_syslog(LOG_INFO, "firmware version is same, do nothing");
	remove_file(sc, UPD_VERSION_FILE);
	return !same;
}

/* The downloaded image, whole, in memory; null after a logged failure. */
char *load_image(long *size)
{
	FILE *f = sys_fopen(UPD_IMAGE_FILE, "re");
	if (!f) {
		sys_syslog(LOG_ERR, "%s open error errono %d", UPD_IMAGE_FILE, errno);
		return nullptr;
	}
	fseek(f, 0, SEEK_END);
	*size = ftell(f);
	fseek(f, 0, SEEK_SET);
	/* wget may have fetched more than the size it was told: the image is
	 * never held beyond the quota. */
	if (*size > (long)UPD_IMAGE_QUOTA) {
		sys_syslog(LOG_ERR, "%s size %ld over quota %u", UPD_IMAGE_FILE, *size, UPD_IMAGE_QUOTA);
		fclose(f);
		return nullptr;
	}
	char *image = (char *)malloc(*size > 0 ? (size_t)*size : 1);
	if (!image) {
		sys_syslog(LOG_ERR, "malloc error errno %d", errno);
		fclose(f);
		return nullptr;
	}
	errno = 0;
	if (*size <= 0 || fread(image, (size_t)*size, 1, f) != 1) {
		sys_syslog(LOG_ERR, "%s read error errno %d", UPD_IMAGE_FILE, errno);
		fclose(f);
		free(image);
		return nullptr;
	}
	fclose(f);
	return image;
}

void fetch_and_write(upd_soft_t *sc)
{
	sys_syslog(LOG_INFO, "Download firmware %s", sc->image_url);
	if (utl_wget(kWgetOptions, sc->image_url, UPD_IMAGE_FILE, kImageTimeout, UPD_IMAGE_QUOTA) < 0)
		return;
	long size = 0;
	char *image = load_image(&size);
	if (!image)
		return;
	remove_file(sc, UPD_IMAGE_FILE);
	char status[FW_STATUS_SIZE];
	if (!firmwareUpgrade(image, (int)size, status, sc->prog_name))
		sys_syslog(LOG_ERR, "firmware update error %s", status);
	free(image);
}

}  // namespace

char *upd_version_text(char *line)
{
	/* strtok() ends the first word in place and leaves leading
	 * separators where they are: the text is the buffer itself. */
	char *save = nullptr;
	strtok_r(line, "\t \n", &save);
	return line;
}

void upd_attempt(upd_soft_t *sc)
{
	if (!sc->image_url[0])
		sys_syslog(LOG_NOTICE, "FIRMUP_URL NULL");
	else if (!sc->version_url[0])
		sys_syslog(LOG_NOTICE, "can't get version file");
	else if (new_version(sc))
		fetch_and_write(sc);
	clean_up(sc);
}
