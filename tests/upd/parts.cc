#include "parts.h"

#include <gtest/gtest.h>

Bytes pattern(size_t n, unsigned seed)
{
	Bytes b(n);
	uint32_t x = seed * 2654435761u + 1;
	for (size_t i = 0; i < n; i++) {
		x = x * 1103515245u + 12345u;
		b[i] = (uint8_t)(x >> 16);
	}
	return b;
}

static FwPart part(FwPartKind kind, Bytes data, uint32_t addr)
{
	FwPart p;
	p.kind = kind;
	p.data = std::move(data);
	p.addr = addr;
	return p;
}

FwPart firmware(size_t n, uint32_t addr, unsigned seed)
{
	return part(FWP_FIRMWARE, pattern(n, seed), addr);
}

FwPart web(size_t n, uint32_t addr, unsigned seed)
{
	return part(FWP_WEB, pattern(n, seed), addr);
}

FwPart rootfs(size_t n, unsigned seed)
{
	return part(FWP_ROOTFS, pattern(n, seed), 0);
}

FwPart config(const char *tag, const char *sig, const std::string &settings)
{
	FwPart p = part(FWP_CONFIG, Bytes(settings.begin(), settings.end()), 0);
	p.tag = tag;
	p.version = 7;
	p.sig = sig;
	return p;
}

FwPart bytes(const std::string &text)
{
	return part(FWP_BYTES, Bytes(text.begin(), text.end()), 0);
}

Bytes image(std::initializer_list<FwPart> parts)
{
	Bytes img;
	for (const FwPart &p : parts) {
		const char *why = "";
		EXPECT_EQ(fw_pack_part(p, img, &why), 0) << why;
	}
	return img;
}
