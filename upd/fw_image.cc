/* Walking and checking a firmware image, section by section. */
#include "fw_image.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "apmib.h"
#include "be.h"

namespace {

struct ImageSig {
	char sig[5];
	FwKind kind;
};

/* Compared in this order. */
constexpr ImageSig kImageSigs[] = {
	{"cs6c", FW_FIRMWARE}, {"cr6c", FW_FIRMWARE}, {"w6cg", FW_WEB}, {"r6cr", FW_ROOTFS},
};
constexpr const char *kConfigSigs[] = {"COMPHS", "COMPDS", "COMPCS"};

struct CfgTag {
	char tag[3];
	int kind;
	int variant;
};

/* The tag alone decides the kind, whatever the outer signature says. */
constexpr CfgTag kCfgTags[] = {
	{"6g", CURRENT_SETTING, 1}, {"Cf", CURRENT_SETTING, 2}, {"Cu", CURRENT_SETTING, 0},
	{"6G", DEFAULT_SETTING, 1}, {"Df", DEFAULT_SETTING, 2}, {"Du", DEFAULT_SETTING, 0},
	{"H6", HW_SETTING, 1},      {"Hf", HW_SETTING, 2},      {"Hu", HW_SETTING, 0},
};

constexpr size_t kBlockHeader = 6;
/* tag, version, a 16-bit length, that many bytes */
constexpr size_t kBlockMax = kBlockHeader + 0xffff;

const ImageSig *image_sig(const uint8_t *p, size_t left)
{
	if (left < 4)
		return nullptr;
	for (const ImageSig &s : kImageSigs)
		if (!memcmp(p, s.sig, 4))
			return &s;
	return nullptr;
}

int past_end(char *status, size_t off, size_t len, size_t size)
{
	snprintf(status, FW_STATUS_SIZE,
		 "Image section runs past the end of the file! offset=0x%zx len=0x%zx size=0x%zx",
		 off, len, size);
	return -1;
}

/* Length and checksum of an image section; the header is there. */
int check_image(const uint8_t *img, size_t size, size_t off, FwSection *sec, char *status)
{
	const uint8_t *p = img + off;
	uint32_t len = be32(p + 12);
	if (len > FW_MAX_LEN) {
		snprintf(status, FW_STATUS_SIZE, "Image len exceed max size 0x%x ! len=0x%x</b><br>",
			 FW_MAX_LEN, len);
		return -1;
	}
	if (len > size - off - FW_HEADER_LEN)
		return past_end(status, off, len, size);
	const uint8_t *payload = p + FW_HEADER_LEN;
	if (sec->kind != FW_WEB && len % 2) {
		snprintf(status, FW_STATUS_SIZE, "Image len is odd, no word checksum! len=0x%x", len);
		return -1;
	}
	if (sec->kind != FW_WEB && !fwChecksumOk(payload, (int)len)) {
		/* The word reported stands at len - 2 of the image, not of the
		 * section: what the router's own tools have always shown. */
		snprintf(status, FW_STATUS_SIZE, "Image checksum mismatched! len=0x%x, checksum=0x%x",
			 len, be16(img + len - 2));
		return -1;
	}
	if (sec->kind == FW_WEB && fw_byte_sum(payload, len)) {
		snprintf(status, FW_STATUS_SIZE, "Image checksum mismatched! len=0x%x", len);
		return -1;
	}
	sec->len = len;
	sec->burn_addr = be32(p + 8);
	sec->total = len + FW_HEADER_LEN;
	return 1;
}

int check_config(const uint8_t *img, size_t size, size_t off, FwSection *sec, char *status)
{
	size_t left = size - off;
	if (left < FW_CFG_HEADER_LEN || be32(img + off + 8) > left - FW_CFG_HEADER_LEN)
		return past_end(status, off, left < FW_CFG_HEADER_LEN ? 0 : be32(img + off + 8), size);
	FwCfgResult rc = fw_config_check(img + off, left, sec);
	if (rc == FW_CFG_NO_MEMORY)
		puts("malloc for expFile error!!");
	if (rc != FW_CFG_OK) {
		snprintf(status, FW_STATUS_SIZE, "Invalid configuration file!");
		return -1;
	}
	return 1;
}

/* The block's version: its two digit characters, read as "%02d" would,
 * but never beyond them; -1 when they hold no number. */
int block_version(const uint8_t *p)
{
	char text[3] = {(char)p[0], (char)p[1], '\0'};
	int v;
	return sscanf(text, "%2d", &v) == 1 ? v : -1;
}

}  // namespace

bool fw_config_sig(const uint8_t *p, size_t left)
{
	if (left < 6)
		return false;
	for (const char *s : kConfigSigs)
		if (!memcmp(p, s, 6))
			return true;
	return false;
}

FwCfgResult fw_config_check(const uint8_t *sec, size_t avail, FwSection *out)
{
	if (avail < FW_CFG_HEADER_LEN)
		return FW_CFG_BAD;
	uint32_t comp_len = be32(sec + 8);
	uint64_t room = (uint64_t)be16(sec + 6) * comp_len;
	if (comp_len > avail - FW_CFG_HEADER_LEN || room < kBlockHeader)
		return FW_CFG_BAD;
	/* Decode() is told no size: its buffer holds the largest block there
	 * can be, and a block larger than comp_rate * comp_len, the buffer the
	 * section asks for, is refused. */
	uint8_t *buf = (uint8_t *)malloc(kBlockMax);
	if (!buf)
		return FW_CFG_NO_MEMORY;
	int n = Decode(sec + FW_CFG_HEADER_LEN, comp_len, buf);
	bool fits = n >= (int)kBlockHeader && (size_t)n <= kBlockMax && (uint64_t)n <= room;
	FwCfgResult rc = fits ? FW_CFG_UNKNOWN_TAG : FW_CFG_BAD;
	for (const CfgTag &t : kCfgTags) {
		if (!fits || memcmp(buf, t.tag, 2))
			continue;
		size_t plen = be16(buf + 4);
		bool ok = plen <= (size_t)n - kBlockHeader && !fw_byte_sum(buf + kBlockHeader, plen);
		rc = ok ? FW_CFG_OK : FW_CFG_BAD;
		out->cfg_kind = t.kind;
		out->variant = t.variant;
		out->version = block_version(buf + 2);
		break;
	}
	free(buf);
	out->kind = FW_CONFIG;
	out->start = sec;
	out->len = comp_len;
	out->total = comp_len + FW_CFG_HEADER_LEN;
	return rc;
}

int fw_section_at(const uint8_t *img, size_t size, size_t off, bool seen, FwSection *sec,
		  char *status)
{
	size_t left = size - off;
	const ImageSig *sig = image_sig(img + off, left);
	if (sig) {
		sec->kind = sig->kind;
		sec->start = img + off;
		if (left < FW_HEADER_LEN)
			return past_end(status, off, 0, size);
		return check_image(img, size, off, sec, status);
	}
	if (fw_config_sig(img + off, left))
		return check_config(img, size, off, sec, status);
	if (seen)
		return 0;
	snprintf(status, FW_STATUS_SIZE, "Invalid file format!");
	return -1;
}

int fw_check_image(const uint8_t *img, size_t size, char *status, FwSummary *sum)
{
	*sum = FwSummary{};
	FwSection sec;
	size_t off = 0;
	while (off < size) {
		int rc = fw_section_at(img, size, off, sum->sections > 0, &sec, status);
		if (rc < 0)
			return -1;
		if (rc == 0)
			break;
		sum->sections++;
		sum->stops_services |= sec.kind == FW_FIRMWARE || sec.kind == FW_ROOTFS;
		sum->has_config |= sec.kind == FW_CONFIG;
		off += sec.total;
	}
	if (sum->sections)
		return 0;
	/* An empty image is no image. */
	snprintf(status, FW_STATUS_SIZE, "Invalid file format!");
	return -1;
}
