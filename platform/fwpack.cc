/* Packing firmware image sections, sound or broken on purpose. */
#include "fwpack.h"

#include <string.h>

#include "be.h"
#include "cfgsect.h"

namespace {

uint16_t word_sum(const std::vector<uint8_t> &p)
{
	unsigned s = 0;
	for (size_t i = 0; i + 1 < p.size(); i += 2)
		s += be16(&p[i]);
	return (uint16_t)s;
}

uint8_t byte_sum(const std::vector<uint8_t> &p)
{
	unsigned s = 0;
	for (uint8_t b : p)
		s += b;
	return (uint8_t)s;
}

/* The payload as it goes into the section: the data and its balance. */
std::vector<uint8_t> balanced(const FwPart &part)
{
	std::vector<uint8_t> p = part.data;
	if (part.kind == FWP_WEB) {
		p.push_back((uint8_t)(-byte_sum(p) + part.sum_delta));
		return p;
	}
	if (p.size() % 2)
		p.push_back(0);
	uint16_t balance = (uint16_t)(-word_sum(p) + part.sum_delta);
	p.push_back((uint8_t)(balance >> 8));
	p.push_back((uint8_t)balance);
	return p;
}

void image_section(const FwPart &part, const char *sig, std::vector<uint8_t> &out)
{
	std::vector<uint8_t> payload = balanced(part);
	out.assign(FW_HEADER, 0);
	memcpy(out.data(), sig, strlen(sig) < 4 ? strlen(sig) : 4);
	put_be32(&out[4], part.word);
	put_be32(&out[8], part.addr);
	put_be32(&out[12], part.set_len ? part.len : (uint32_t)payload.size());
	out.insert(out.end(), payload.begin(), payload.end());
}

int config_section(const FwPart &part, const char *sig, std::vector<uint8_t> &out,
		   const char **why)
{
	std::vector<uint8_t> block;
	if (cfg_block(part.data.data(), part.data.size(), part.tag.c_str(), part.version, block,
		      why) < 0)
		return -1;
	if (!part.block_tag.empty())
		memcpy(block.data(), part.block_tag.data(), part.block_tag.size() < 2 ? 1 : 2);
	if (part.sum_delta)
		block.back() = (uint8_t)(block.back() + part.sum_delta);
	if (part.set_block_len)
		put_be16(&block[4], part.block_len);
	char six[7] = "      ";
	memcpy(six, sig, strlen(sig) < 6 ? strlen(sig) : 6);
	cfg_section(block, six, out);
	if (part.set_rate)
		put_be16(&out[6], part.rate);
	if (part.set_len)
		put_be32(&out[8], part.len);
	return 0;
}

}  // namespace

const char *fw_part_sig(FwPartKind kind)
{
	switch (kind) {
	case FWP_FIRMWARE: return "cs6c";
	case FWP_WEB: return "w6cg";
	case FWP_ROOTFS: return "r6cr";
	case FWP_CONFIG: return "COMPCS";
	default: return "";
	}
}

int fw_pack_part(const FwPart &part, std::vector<uint8_t> &image, const char **why)
{
	const char *sig = part.sig.empty() ? fw_part_sig(part.kind) : part.sig.c_str();
	std::vector<uint8_t> sec;
	if (part.kind == FWP_BYTES)
		sec = part.data;
	else if (part.kind != FWP_CONFIG)
		image_section(part, sig, sec);
	else if (config_section(part, sig, sec, why) < 0)
		return -1;
	if (part.cut >= 0 && (size_t)part.cut < sec.size())
		sec.resize(part.cut);
	image.insert(image.end(), sec.begin(), sec.end());
	return 0;
}
