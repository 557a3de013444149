/* Configuration sections: packing for image builds, checking and writing
 * for firmware updates. */
#include "cfgsect.h"

#include <string.h>
#include <syslog.h>

#include "apmib.h"
#include "be.h"
#include "lzss.h"
#include "mibstore.h"
#include "sys.h"

namespace {

constexpr CfgTag CFG_TAGS[] = {
	{"6g", CURRENT_SETTING, 1}, {"Cf", CURRENT_SETTING, 2}, {"Cu", CURRENT_SETTING, 0},
	{"6G", DEFAULT_SETTING, 1}, {"Df", DEFAULT_SETTING, 2}, {"Du", DEFAULT_SETTING, 0},
	{"H6", HW_SETTING, 1},      {"Hf", HW_SETTING, 2},      {"Hu", HW_SETTING, 0},
};
constexpr const char *CFG_SIGNATURES[] = {"COMPCS", "COMPDS", "COMPHS"};

uint8_t byte_sum(const uint8_t *p, size_t n)
{
	unsigned s = 0;
	for (size_t i = 0; i < n; i++)
		s += p[i];
	return (uint8_t)s;
}

bool two_digits(const uint8_t *p)
{
	return p[0] >= '0' && p[0] <= '9' && p[1] >= '0' && p[1] <= '9';
}

}  // namespace

const CfgTag *cfg_find_tag(const char *tag)
{
	for (const CfgTag &t : CFG_TAGS)
		if (!strncmp(t.tag, tag, 2) && strlen(tag) >= 2)
			return &t;
	return nullptr;
}

bool cfg_valid_sig(const char *sig)
{
	for (const char *s : CFG_SIGNATURES)
		if (!strcmp(s, sig))
			return true;
	return false;
}

int cfg_block(const uint8_t *file, size_t len, const char *tag, int version,
	      std::vector<uint8_t> &block, const char **why)
{
	if (strlen(tag) != 2 || !cfg_find_tag(tag))
		return *why = "unknown tag", -1;
	if (version < 0 || version > 99)
		return *why = "version must be 00 to 99", -1;
	size_t payload = len + 1;
	if (payload > 0xffff)
		return *why = "settings file too large", -1;
	block.assign(CFG_BLOCK_HEADER, 0);
	memcpy(block.data(), tag, 2);
	block[2] = (uint8_t)('0' + version / 10);
	block[3] = (uint8_t)('0' + version % 10);
	put_be16(&block[4], (uint16_t)payload);
	block.insert(block.end(), file, file + len);
	block.push_back((uint8_t)-byte_sum(file, len));
	return 0;
}

void cfg_section(const std::vector<uint8_t> &block, const char *sig, std::vector<uint8_t> &out)
{
	std::vector<uint8_t> comp;
	mib_encode(block.data(), block.size(), comp);
	/* the reader sizes its buffer comp_rate * comp_len */
	size_t rate = (block.size() + comp.size() - 1) / comp.size();
	out.assign(CFG_SECTION_HEADER, 0);
	memcpy(out.data(), sig, 6);
	put_be16(&out[6], (uint16_t)rate);
	put_be32(&out[8], (uint32_t)comp.size());
	out.insert(out.end(), comp.begin(), comp.end());
}

int cfg_pack(const uint8_t *file, size_t len, const char *tag, int version, const char *sig,
	     std::vector<uint8_t> &out, const char **why)
{
	if (!cfg_valid_sig(sig))
		return *why = "unknown section signature", -1;
	std::vector<uint8_t> block;
	if (cfg_block(file, len, tag, version, block, why) < 0)
		return -1;
	cfg_section(block, sig, out);
	return 0;
}

int cfg_unpack(const uint8_t *sec, size_t len, CfgBlock &out, const char **why)
{
	if (len < CFG_SECTION_HEADER)
		return *why = "section too short", -1;
	char sig[7] = {0};
	memcpy(sig, sec, 6);
	if (!cfg_valid_sig(sig))
		return *why = "bad section signature", -1;
	uint32_t comp_len = be32(sec + 8);
	if (comp_len > len - CFG_SECTION_HEADER)
		return *why = "section shorter than its compressed length", -1;
	std::vector<uint8_t> block(APMIB_DECODE_MAX);
	int n = mib_decode_bound(sec + CFG_SECTION_HEADER, comp_len, block.data(), (unsigned)block.size());
	if (n < CFG_BLOCK_HEADER)
		return *why = "compressed data is corrupt", -1;
	char tag[3] = {(char)block[0], (char)block[1], 0};
	out.tag = cfg_find_tag(tag);
	if (!out.tag)
		return *why = "unknown config block tag", -1;
	if (!two_digits(&block[2]))
		return *why = "bad config block version", -1;
	out.version = (block[2] - '0') * 10 + (block[3] - '0');
	size_t plen = be16(&block[4]);
	if (plen < 1 || plen > (size_t)n - CFG_BLOCK_HEADER)
		return *why = "config block length exceeds its data", -1;
	const uint8_t *payload = &block[CFG_BLOCK_HEADER];
	if (byte_sum(payload, plen))
		return *why = "config block checksum mismatch", -1;
	out.file.assign(payload, payload + plen - 1);
	return 0;
}

int apmib_updateFlash(int kind, char *block, int length, int variant, int version)
{
	CfgBlock cb;
	const char *why = "bad arguments";
	bool args_ok = block && length > 0 && variant >= 0 && variant <= 2;
	if (!args_ok || cfg_unpack((const uint8_t *)block, (size_t)length, cb, &why) < 0) {
		sys_syslog(LOG_ERR, "apmib: settings block refused: %s", why);
		return 0;
	}
	if (cb.tag->kind != kind || cb.tag->variant != variant || (version != -1 && version != cb.version)) {
		sys_syslog(LOG_ERR, "apmib: settings block refused: tag %s does not match kind %d variant %d",
			   cb.tag->tag, kind, variant);
		return 0;
	}
	if (mib_install(kind, cb.file.data(), cb.file.size(), &why) < 0) {
		sys_syslog(LOG_ERR, "apmib: settings block refused: %s", why);
		return 0;
	}
	return 1;
}
