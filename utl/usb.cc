/* USB modems in storage mode, USB storage, and the USB memory mount. */
#include "utl.h"

#include <dirent.h>
#include <string.h>
#include <sys/wait.h>

#include "sys.h"
#include "utl_int.h"

namespace {

constexpr char MODESWITCH_DIR[] = "/etc/usb_modeswitch.d";
constexpr char USB_DEVICES[] = "/proc/bus/usb/devices";
constexpr char USBMEM_DIR[] = "/var/usbmem";
constexpr char USBMEM_DEV[] = "/dev/sda1";
constexpr char USBMEM_FS[] = "vfat";
constexpr int MOUNT_TRIES = 20;

/* Vendor and product numbers as the device list gives them: up to 4 hex
 * digits; a fifth character is kept so that a longer one is refused. */
constexpr size_t ID_KEEP = 5;

/* "0000:0000" with each number right-aligned in its four characters. */
void id_pattern(char *out, const char *vendor, const char *product)
{
	memcpy(out, "0000:0000", 10);
	size_t v = strlen(vendor), p = strlen(product);
	memcpy(out + 4 - v, vendor, v);
	memcpy(out + 9 - p, product, p);
}

bool id_length_ok(const char *id)
{
	size_t len = strlen(id);
	return len >= 1 && len <= 4;
}

/* "Vendor=12d1" into `id` when the token is the key with a value. */
void take_id(const char *token, const char *key, char *id)
{
	size_t klen = strlen(key);
	if (strncmp(token, key, klen) || strlen(token) <= klen)
		return;
	strncpy(id, token + klen, ID_KEEP);
	id[ID_KEEP] = '\0';
}

/* Runs one command line from work_buf; true when it exited 0. */
bool run_ok(const char *fmt, const char *a, const char *b = "", const char *c = "")
{
	snprintf(utl_sc->work_buf, sizeof(utl_sc->work_buf), fmt, a, b, c);
	int status = sys_system(utl_sc->work_buf);
	return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool usbmem_mounted(void)
{
	return run_ok("/bin/mount | grep %s", USBMEM_DIR);
}

}  // namespace

int utl_is_usb3g_device(const char *vendor, const char *product)
{
	if (!id_length_ok(vendor) || !id_length_ok(product))
		return 0;
	char pattern[10];
	id_pattern(pattern, vendor, product);
	DIR *dir = sys_opendir(MODESWITCH_DIR);
	if (!dir)
		return 0;
	int found = 0;
	while (struct dirent *e = readdir(dir))
		if (strstr(e->d_name, pattern)) {
			found = 1;
			break;
		}
	closedir(dir);
	return found;
}

/*
 * "P:  Vendor=12d1 ProdID=1f01 Rev= 1.02" names the device the following
 * interface lines belong to; "I:* ... Driver=usb-storage" is an active
 * storage interface of it.
 */
int utl_usb_scan(FILE *in)
{
	char *line = utl_sc->work_buf;
	char vendor[ID_KEEP + 1] = "", product[ID_KEEP + 1] = "";
	while (fgets(line, sizeof(utl_sc->work_buf), in)) {
		char *save = nullptr;
		const char *first = strtok_r(line, " \t\n", &save);
		if (!first)
			continue;
		bool device = !strncmp(first, "P:", 2), iface = !strncmp(first, "I:*", 3);
		if (device)
			vendor[0] = product[0] = '\0';
		while (const char *tok = (device || iface) ? strtok_r(nullptr, " \t\n", &save) : nullptr) {
			if (device) {
				take_id(tok, "Vendor=", vendor);
				take_id(tok, "ProdID=", product);
			} else if (!strcmp(tok, "Driver=usb-storage")) {
				return utl_is_usb3g_device(vendor, product) ? 2 : 1;
			}
		}
	}
	return 0;
}

int utl_check_usb_storage(void)
{
	FILE *f = sys_fopen(USB_DEVICES, "re");
	if (!f)
		return 0;
	int kind = utl_usb_scan(f);
	fclose(f);
	return kind;
}

void utl_mount_usbmem(void)
{
	run_ok("/bin/mkdir -p %s", USBMEM_DIR);
	if (usbmem_mounted())
		run_ok("/bin/umount -f %s", USBMEM_DIR);
	for (int i = 0; i < MOUNT_TRIES; i++) {
		if (i)
			sys_sleep(1);
		if (run_ok("/bin/mount -t %s %s %s", USBMEM_FS, USBMEM_DEV, USBMEM_DIR)) {
			utl_sc->flags |= UTL_F_USB_MOUNTED;
			return;
		}
	}
}

void utl_umount_usbmem(void)
{
	if (!(utl_sc->flags & UTL_F_USB_MOUNTED) || !usbmem_mounted())
		return;
	for (int i = 0; i < MOUNT_TRIES; i++) {
		if (i)
			sys_sleep(1);
		if (run_ok("/bin/umount -f %s", USBMEM_DIR)) {
			utl_sc->flags &= (unsigned char)~UTL_F_USB_MOUNTED;
			return;
		}
	}
}
