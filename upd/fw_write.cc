/* The image writer: check everything, then write, then reboot. */
#include "fw_write.h"

#include <stdio.h>

#include "be.h"
#include "fw_image.h"

int isCFG_ONLY = 0;
int configlen = 0;
int isUpgrade_OK = 0;

namespace {

constexpr const char *kDevices[] = {"/dev/mtdblock0", "/dev/mtdblock1"};

struct SectionLog {
	const char *start, *complete;
};

/* By FwKind; configuration sections log nothing of their own. */
constexpr SectionLog kSectionLog[] = {
	{"/bin/logger -p 6 'ZT-KP7' 'Firmawre version up start.' &",
	 "/bin/logger -p 6 'ZT-KP7' 'Firmawre version up is complete.' &"},
	{"/bin/logger -p 6 'ZT-KP7' 'WEB version up start.' &",
	 "/bin/logger -p 6 'ZT-KP7' 'WEB version up is complete.' &"},
	{"/bin/logger -p 6 'ZT-KP7' 'ROOTFS version up start.' &",
	 "/bin/logger -p 6 'ZT-KP7' 'ROOTFS version up is complete.' &"},
};
static_assert(sizeof(kSectionLog) / sizeof(kSectionLog[0]) == FW_CONFIG, "one entry per image kind");

int fail(char *status)
{
	fprintf(stderr, "%s\n", status);
	return 0;
}

/* Where an image section goes: device, offset, and which of its bytes. */
struct Placement {
	const char *dev;
	uint32_t dev_off;
	uint32_t from;	/* within the section: ROOTFS leaves its header out */
	uint32_t count;
};

Placement place(const FwSection &s)
{
	if (s.kind == FW_ROOTFS)
		return {kDevices[1], 0, FW_HEADER_LEN, s.len};
	return {kDevices[0], s.burn_addr, 0, s.total};
}

/* Every device the image needs opens read-write and holds what goes
 * there; checked before anything changes.  Sizes are asked once each. */
int check_devices(const uint8_t *img, size_t size, char *status)
{
	long long dev_size[2] = {-2, -2};
	FwSection sec;
	for (size_t off = 0; off < size && fw_section_at(img, size, off, off > 0, &sec, status) > 0;
	     off += sec.total) {
		if (sec.kind == FW_CONFIG)
			continue;
		Placement p = place(sec);
		long long &have = dev_size[p.dev == kDevices[1]];
		if (have == -2) {
			int fd = fw_ops->open_dev(p.dev);
			if (fd < 0) {
				snprintf(status, FW_STATUS_SIZE, "File open failed!");
				return -1;
			}
			have = fw_ops->dev_size(fd);
			fw_ops->close_dev(fd);
		}
		if (have >= 0 && (unsigned long long)p.dev_off + p.count > (unsigned long long)have) {
			snprintf(status, FW_STATUS_SIZE,
				 "Image section does not fit the flash partition! addr=0x%x len=0x%x size=0x%llx",
				 p.dev_off, p.count, have);
			return -1;
		}
	}
	return 0;
}

int write_image(const FwSection &sec, int size, const char *name, bool *stopped, char *status)
{
	Placement p = place(sec);
	int fd = fw_ops->open_dev(p.dev);
	if (fd < 0) {
		snprintf(status, FW_STATUS_SIZE, "File open failed!");
		return -1;
	}
	fw_ops->run(kSectionLog[sec.kind].start);
	if (sec.kind != FW_WEB && !*stopped) {
		fw_stop_services(name);
		*stopped = true;
	}
	long wrote = fw_ops->write_at(fd, sec.start + p.from, p.count, p.dev_off);
	if (wrote != (long)p.count) {
		snprintf(status, FW_STATUS_SIZE,
			 "File write failed. locWrite=%d numLeft=%d numWrite=%d Size=%d bytes.",
			 (int)p.from, (int)p.count, (int)wrote, size);
		fw_ops->close_dev(fd);
		return -1;
	}
	fw_ops->close_dev(fd);
	fw_ops->run(kSectionLog[sec.kind].complete);
	return 0;
}

int write_config(const FwSection &sec, char *status)
{
	int kinds = 0, ok = 0;
	updateConfigIntoFlash((unsigned char *)sec.start, configlen, &kinds, &ok);
	if (ok == 1 && kinds) {
		snprintf(status, FW_STATUS_SIZE, "version up suceed.");
		return 0;
	}
	snprintf(status, FW_STATUS_SIZE, "Invalid configuration file!");
	return -1;
}

}  // namespace

int updateConfigIntoFlash(unsigned char *data, int total_len, int *kind_flags, int *ok)
{
	size_t total = total_len > 0 ? (size_t)total_len : 0, offset = 0;
	int flags = 0, good = 1;
	do {
		const uint8_t *block = data + offset;
		if (offset > 0 && !fw_config_sig(block, total - offset))
			break;
		/* The first block is the caller's; later ones must fit total_len. */
		size_t avail = offset < total ? total - offset : FW_CFG_HEADER_LEN + be32(block + 8);
		FwSection sec;
		FwCfgResult rc = fw_config_check(block, avail, &sec);
		if (rc == FW_CFG_NO_MEMORY) {
			puts("malloc for expFile error!!");
			return 0;
		}
		if (rc == FW_CFG_BAD)
			good = 0;
		if (rc != FW_CFG_OK)
			break;
		fw_ops->update_flash(sec.cfg_kind, (char *)block, (int)sec.total, sec.variant, sec.version);
		offset += sec.total;
		flags |= sec.cfg_kind;
	} while (offset < total);
	*kind_flags = flags;
	*ok = good;
	return (int)offset;
}

int firmwareUpgrade(char *image, int size, char *status, const char *name)
{
	const uint8_t *img = (const uint8_t *)image;
	FwSummary sum;
	status[0] = '\0';
	if (size < 0)
		size = 0;
	if (fw_check_image(img, size, status, &sum) < 0 || check_devices(img, size, status) < 0)
		return fail(status);
	if (!isCFG_ONLY)
		fw_ops->run("ifconfig br0 down 2> /dev/null");
	bool stopped = false;
	FwSection sec;
	for (size_t off = 0; off < (size_t)size; off += sec.total) {
		if (fw_section_at(img, size, off, off > 0, &sec, status) <= 0)
			break;
		int rc = sec.kind == FW_CONFIG ? write_config(sec, status)
					       : write_image(sec, size, name, &stopped, status);
		if (rc < 0)
			return fail(status);
	}
	if (sum.has_config)
		fw_ops->run("/bin/factory.sh");
	isUpgrade_OK = 1;
	fw_ops->sleep(1);
	fw_ops->run("reboot");
	fw_ops->halt();
	return 1;
}
