/*
 * cfgsect.h - configuration sections as carried in firmware images.
 *
 * Section: signature (6: "COMPCS", "COMPDS" or "COMPHS"), comp_rate (2),
 * comp_len (4), comp_len bytes of compressed data (lzss.h).  Decoded, the
 * data is one config block: tag (2), version (2 ASCII digits), len (2),
 * len payload bytes summing to 0 modulo 256.  The payload is a settings
 * file (mibset.h) followed by one byte that balances the sum.
 * Numbers big-endian.
 */
#ifndef KP7_APMIB_CFGSECT_H
#define KP7_APMIB_CFGSECT_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

#define CFG_SECTION_HEADER 12
#define CFG_BLOCK_HEADER 6

struct CfgTag {
	const char *tag;
	int kind;
	int variant;
};

/* The tag's record, or null. */
const CfgTag *cfg_find_tag(const char *tag);
bool cfg_valid_sig(const char *sig);

/* The decoded block around a settings file: header, the file, the byte
 * that balances the sum; 0, or -1 with a reason. */
int cfg_block(const uint8_t *file, size_t len, const char *tag, int version,
	      std::vector<uint8_t> &block, const char **why);

/* A section (6-character signature `sig`) around a block, compressed. */
void cfg_section(const std::vector<uint8_t> &block, const char *sig, std::vector<uint8_t> &out);

/* Builds a section around a settings file; 0, or -1 with a reason. */
int cfg_pack(const uint8_t *file, size_t len, const char *tag, int version, const char *sig,
	     std::vector<uint8_t> &out, const char **why);

struct CfgBlock {
	const CfgTag *tag;
	int version;
	std::vector<uint8_t> file; /* the payload without its balancing byte */
};

/* Checks and decodes a section of `len` bytes (trailing bytes beyond
 * comp_len are not looked at); 0, or -1 with a reason. */
int cfg_unpack(const uint8_t *sec, size_t len, CfgBlock &out, const char **why);

#endif
