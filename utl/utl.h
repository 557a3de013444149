/*
 * utl.h - the utility library shared by kp7cui, syscheck and romfetch.
 *
 * One static library, one global control block.  Grouped by area; every
 * area keeps to its own section of this header.
 */
#ifndef KP7_UTL_H
#define KP7_UTL_H

/* ---- control block ---- */

/* Bits of utl_soft_t::flags. */
#define UTL_F_USB_MOUNTED 0x80	/* this program mounted the USB memory */

struct utl_soft_t {
	/* Scratch space of the library: command lines built for the shell and
	 * lines read back.  Every call that uses it overwrites it, so a caller
	 * copies out what it wants to keep before the next call. */
	char work_buf[512];
	unsigned char flags;
	unsigned char debug_level;
};

extern utl_soft_t utl_soft;
/* Always points at utl_soft; kept as a pointer so every program reaches
 * its control block the same way. */
extern utl_soft_t *utl_sc;

/* ---- debug level and signals ---- */

/* Keeps the low byte of `level`.  No library message depends on it. */
void utl_set_dlevel(int level);

/*
 * Blocks quit, termination, broken pipe, interrupt, file-size, hang-up and
 * both user signals for the rest of the run, so a command is never stopped
 * half-way; commands started through the shell inherit the mask.  Nothing
 * unblocks them again.  Returns sigprocmask()'s result.
 */
int utl_sigset(void);

#endif
