/* Settings through the firmware's flash command: one child per call. */
#include "utl.h"

#include <string.h>

#include "sys.h"
#include "text.h"
#include "utl_int.h"

namespace {

/* The output line is NAME=VALUE or NAME="VALUE". */
constexpr char FLASH_SEPARATORS[] = "=\" \t\n";

int flash_set(const char *name, const char *value)
{
	char *buf = utl_sc->work_buf;
	SysText cmd(utl_sc->work_buf);
	cmd.text("flash set ").word(name).text(" ").word(value);
	FILE *out = cmd.ok() ? sys_popen(buf, "r") : nullptr;
	if (!out)
		return -1;
	/* What it prints does not matter, but it must not block on a full pipe. */
	while (fgets(buf, sizeof(utl_sc->work_buf), out))
		;
	sys_pclose(out);
	return 0;
}

int flash_get(const char *name, char *value)
{
	char *buf = utl_sc->work_buf;
	SysText cmd(utl_sc->work_buf);
	cmd.text("flash get ").word(name);
	FILE *out = cmd.ok() ? sys_popen(buf, "r") : nullptr;
	if (!out)
		return -1;
	int rc = utl_flash_parse(out, value);
	sys_pclose(out);
	return rc;
}

}  // namespace

int utl_flash_parse(FILE *in, char *value)
{
	char *buf = utl_sc->work_buf;
	/* Without this, no output would leave the command text to be parsed. */
	buf[0] = '\0';
	while (fgets(buf, sizeof(utl_sc->work_buf), in))
		;
	char *save = nullptr;
	const char *param = strtok_r(buf, FLASH_SEPARATORS, &save);
	const char *text = param ? strtok_r(nullptr, FLASH_SEPARATORS, &save) : nullptr;
	if (!text) {
		value[0] = '\0';
		return -1;
	}
	/* At most 510 characters: fgets() filled 512 bytes at most. */
	strcpy(value, text);
	return 0;
}

int utl_flash(const char *name, char *value, char set)
{
	if (!name || !value)
		return -1;
	return set ? flash_set(name, value) : flash_get(name, value);
}
