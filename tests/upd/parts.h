/* Images for the romfetch tests, built with the integrators' packer. */
#ifndef KP7_TESTS_UPD_PARTS_H
#define KP7_TESTS_UPD_PARTS_H

#include <stdint.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "fwpack.h"

using Bytes = std::vector<uint8_t>;

/* `n` bytes of a pattern that differs between calls with another seed. */
Bytes pattern(size_t n, unsigned seed = 1);

FwPart firmware(size_t n, uint32_t addr, unsigned seed = 1);
FwPart web(size_t n, uint32_t addr, unsigned seed = 2);
FwPart rootfs(size_t n, unsigned seed = 3);
/* A config section around `settings` (any bytes: only the store reads them). */
FwPart config(const char *tag, const char *sig = "COMPCS", const std::string &settings = "settings");
FwPart bytes(const std::string &text);

/* The parts one after another; a part that does not pack fails the test. */
Bytes image(std::initializer_list<FwPart> parts);

#endif
