/*
 * fw_write.h - the image writer: a downloaded image into flash, then a
 * reboot.
 *
 * The whole image is checked first (fw_image.h), and the flash devices
 * it needs are opened and measured; an image that fails any of that
 * changes nothing at all: no interface down, no service stopped, no byte
 * written.  Only then does the writer take the LAN bridge down, write the
 * sections in order (stopping the router's services once, before the
 * first FIRMWARE or ROOTFS section), hand configuration sections to the
 * settings store, and reboot.
 *
 * Everything the writer does to the system goes through fw_ops, so that
 * tests can watch it; fw_sys.cc holds the router's operations.
 */
#ifndef KP7_UPD_FW_WRITE_H
#define KP7_UPD_FW_WRITE_H

#include <stddef.h>
#include <stdint.h>

struct fw_ops_t {
	int (*run)(const char *cmd);		/* through the shell, waited for */
	void (*say)(const char *text);		/* standard output, as it stands */
	int (*open_dev)(const char *dev);	/* read-write; descriptor or -1 */
	long long (*dev_size)(int fd);		/* bytes, or -1 when unknown */
	long (*write_at)(int fd, const void *buf, size_t n, uint32_t off);
	void (*close_dev)(int fd);		/* sync, then close */
	int (*read_pid)(const char *path);	/* the "%d" in the file, or 0 */
	int (*kill)(int pid, int sig);		/* refused outside a router or sandbox */
	void (*sleep)(unsigned seconds);
	void (*sync)(void);
	void (*ignore)(int sig);
	void (*new_group)(void);		/* setpgrp() */
	int (*update_flash)(int kind, char *block, int length, int variant, int version);
	void (*halt)(void);			/* waits for the reboot; the router's never returns */
};

/* The router's operations (fw_sys.cc). */
extern const fw_ops_t fw_sys_ops;
/* What the writer uses: fw_sys_ops unless a test puts its own. */
extern const fw_ops_t *fw_ops;

extern int isCFG_ONLY;		/* 0: the LAN bridge goes down first */
extern int configlen;		/* handed to updateConfigIntoFlash: one block each */
extern int isUpgrade_OK;	/* 1 once the reboot is under way */

/*
 * Writes the image (`size` bytes) and reboots; `name` is the caller's
 * program name, which picks the other updater to kill.  Returns 0 with
 * the reason in `status` (FW_STATUS_SIZE bytes, also printed on standard
 * error); on success it does not return (only a test's halt() does, and
 * then it returns 1).
 */
int firmwareUpgrade(char *image, int size, char *status, const char *name);

/*
 * Hands the config blocks at `data` to the store, while offset <
 * total_len (0: just the first).  The first block must lie whole within
 * `data`; later ones are taken only within total_len.  Stores the OR of
 * the kinds written in *kind_flags and 0 in *ok after a sum failure;
 * returns the offset past the last block handled, or 0 without touching
 * either output when no buffer could be had.
 */
int updateConfigIntoFlash(unsigned char *data, int total_len, int *kind_flags, int *ok);

/* The last stop before writing: processes 1 to 7 stopped, this process
 * protected from the signals that follow a dying system. */
void kill_processes(void);

/* The stop sequence, once per upgrade before the first FIRMWARE or
 * ROOTFS write; ends with the settings saved as text. */
void fw_stop_services(const char *name);

#endif
