/*
 * fw_image.h - the sections of a downloaded firmware image.
 *
 * An image is sections back to back from offset 0, numbers big-endian:
 *   image section   "cs6c"/"cr6c" FIRMWARE, "w6cg" WEB, "r6cr" ROOTFS;
 *                   a word carried into flash, burn_addr, len, then len
 *                   bytes of payload (16-bit words summing to 0 for
 *                   FIRMWARE and ROOTFS, bytes summing to 0 for WEB)
 *   config section  "COMPCS"/"COMPDS"/"COMPHS", comp_rate (2), comp_len
 *                   (4), then comp_len bytes that decode to one config
 *                   block: tag (2), version (2 digits), len (2), len
 *                   payload bytes summing to 0; the tag names the kind
 *                   of settings and the variant.
 * The first bytes that start no section end the walk, unless they are
 * the image's first: such trailing bytes are ignored.
 *
 * Nothing here reads outside the image: a section is taken only when its
 * whole length lies within it, and a word sum only over whole words.
 */
#ifndef KP7_UPD_FW_IMAGE_H
#define KP7_UPD_FW_IMAGE_H

#include <stddef.h>
#include <stdint.h>

#define FW_HEADER_LEN 16
#define FW_CFG_HEADER_LEN 12
#define FW_MAX_LEN 0x600000u	/* largest payload; also the download quota */
#define FW_STATUS_SIZE 200	/* the caller's status text buffer */

enum FwKind { FW_FIRMWARE, FW_WEB, FW_ROOTFS, FW_CONFIG };

struct FwSection {
	FwKind kind;
	const uint8_t *start;	/* the header */
	uint32_t total;		/* bytes of the section, header included */
	uint32_t len;		/* image: payload length; config: comp_len */
	uint32_t burn_addr;	/* image sections */
	int cfg_kind;		/* config: 4 current, 2 default, 1 hardware */
	int variant;		/* config: 0..2 */
	int version;		/* config: the block's version, or -1 */
};

/* What a config block decodes to; see fw_config_check(). */
enum FwCfgResult { FW_CFG_OK = 0, FW_CFG_UNKNOWN_TAG, FW_CFG_BAD, FW_CFG_NO_MEMORY };

/*
 * The section at `off` of an image of `size` bytes.  1: *sec filled, the
 * section is sound and lies whole within the image.  0: no section starts
 * there and `seen` says one came before (the walk ends).  -1: the image
 * fails; `status` (FW_STATUS_SIZE bytes) holds why.
 */
int fw_section_at(const uint8_t *img, size_t size, size_t off, bool seen, FwSection *sec,
		  char *status);

/* Walks the whole image: 0 when every section is sound, -1 with the text
 * of the first fault in `status`.  Counts what the sections need. */
struct FwSummary {
	unsigned sections;
	bool stops_services;	/* a FIRMWARE or ROOTFS section */
	bool has_config;
};
int fw_check_image(const uint8_t *img, size_t size, char *status, FwSummary *sum);

/* True when a config section signature starts at p (left bytes there). */
bool fw_config_sig(const uint8_t *p, size_t left);

/*
 * Decodes the config section at `sec`, of which `avail` bytes are there,
 * and checks that it lies within them, that the block fits comp_rate *
 * comp_len bytes, its tag and its sum; fills kind, variant and version.
 */
FwCfgResult fw_config_check(const uint8_t *sec, size_t avail, FwSection *out);

/* Non-zero when the 16-bit big-endian words of data[0..len) sum to 0
 * modulo 65536; a len of 0 or less passes, an odd one fails (its last
 * word would need a byte beyond the data). */
int fwChecksumOk(const unsigned char *data, int len);

/* Sums modulo 65536 (whole big-endian words) and modulo 256. */
uint16_t fw_word_sum(const uint8_t *p, size_t len);
uint8_t fw_byte_sum(const uint8_t *p, size_t len);

#endif
