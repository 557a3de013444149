/* romfetch's control block, the running version, and the daemon's world. */
#include "upd.h"

#include "sys.h"
#include "utl.h"

upd_soft_t upd_soft;
upd_soft_t *upd_sc = &upd_soft;
const char *fwVersion = "v2.02.50(ZT001)";

namespace {

int flash_get(const char *name, char *value)
{
	return utl_flash(name, value, 0);
}

}  // namespace

const upd_env_t upd_sys_env = {sys_time, flash_get, utl_check_date_sync, upd_attempt};
