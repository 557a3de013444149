/*
 * fwpack.h - firmware images for integrators and tests.
 *
 * An image is sections back to back.  An image section is a 16-byte
 * header (signature, a word carried unchanged, burn address, payload
 * length; big-endian) and its payload; the packer appends what balances
 * the payload's checksum: a word (after a zero byte that evens an odd
 * length) for FIRMWARE and ROOTFS, whose 16-bit words sum to 0, a byte
 * for WEB, whose bytes sum to 0.  A configuration section is a settings
 * file in a config block, compressed as the store's own tools do
 * (cfgsect.h).  Every field can be broken on purpose, for tests.
 */
#ifndef KP7_PLATFORM_FWPACK_H
#define KP7_PLATFORM_FWPACK_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

enum FwPartKind { FWP_FIRMWARE, FWP_WEB, FWP_ROOTFS, FWP_CONFIG, FWP_BYTES };

#define FW_HEADER 16

struct FwPart {
	FwPartKind kind = FWP_BYTES;
	std::vector<uint8_t> data;	/* payload, settings file or raw bytes */
	uint32_t addr = 0;		/* burn address (FIRMWARE, WEB) */
	uint32_t word = 0;		/* header bytes 4..7, carried into flash */
	std::string tag;		/* config: block tag, e.g. "6g" */
	int version = 0;		/* config: 0..99 */
	std::string sig;		/* signature; empty: the kind's own */

	/* Deliberate faults; the defaults make a sound section. */
	bool set_len = false;		/* header length (payload or compressed) */
	uint32_t len = 0;
	int sum_delta = 0;		/* added to the balancing word or byte */
	bool set_rate = false;		/* config: comp_rate */
	uint16_t rate = 0;
	std::string block_tag;		/* config: tag inside the block */
	bool set_block_len = false;	/* config: the block's own length */
	uint16_t block_len = 0;
	long cut = -1;			/* keep only this many bytes of the section */
};

/* Appends the part to `image`; 0, or -1 with a reason. */
int fw_pack_part(const FwPart &part, std::vector<uint8_t> &image, const char **why);

/* The signature a kind gets unless told otherwise. */
const char *fw_part_sig(FwPartKind kind);

#endif
