/* kp7cui's commands, one record each, in the order of the usage text. */
#include "cui.h"

#include <stddef.h>

namespace {

constexpr uint8_t TYPE_CD = 1 << CUI_SET_CURRENT | 1 << CUI_SET_DEFAULT;
constexpr uint8_t TYPE_DF = 1 << CUI_SET_DEFAULT | 1 << CUI_SET_FILE;
constexpr char BAD_TYPE[] = "invalid type(-t) or argument";

}  // namespace

const cui_command_t CUI_COMMANDS[CUI_COMMAND_COUNT] = {
	{'s', CUI_CMD_SET, "SET", "cui_set", cui_set, TYPE_CD, false, CUI_OPERANDS_NAME_INDEX_MORE,
	 BAD_TYPE, " [-s] [-t c | d] name index value ..."},
	{'f', CUI_CMD_FLUSH, "FLUSH", "cui_flush", cui_flush, TYPE_CD, false, CUI_OPERANDS_NONE,
	 BAD_TYPE, " [-f] [-t c | d]"},
	/* its trace adds " getall 0" or " getall 1" */
	{'g', CUI_CMD_GET, "GET", "cui_get", cui_get, TYPE_CD, false, CUI_OPERANDS_ALL_OR_NAME_INDEX,
	 BAD_TYPE, " [-g] [-t c | d] [-a | name index]"},
	/* the status reports */
	{'i', CUI_CMD_INFO, "INFO", "cui_info", cui_info, 0, false, CUI_OPERANDS_NAME_INDEX,
	 "invalid argument", " [-i] [-p ttyUSB port] name index"},
	{'l', CUI_CMD_LOAD, "LOAD", "cui_load", cui_load, TYPE_DF, false, CUI_OPERANDS_NONE,
	 BAD_TYPE, " [-l] [-t d | filename]"},
	/* save and load trace themselves: they are handlers of their own */
	{'T', CUI_CMD_TEXT_CONF, "TEXT CONF", nullptr, cui_text_config, 0, true, CUI_OPERANDS_NONE,
	 "invalid operation(-o) or argument", " [-T] [-o s | l"},
};

const cui_command_t *cui_command_by_letter(int letter)
{
	for (const cui_command_t &c : CUI_COMMANDS)
		if (c.letter == letter)
			return &c;
	return nullptr;
}

const cui_command_t *cui_command_by_number(uint8_t command)
{
	for (const cui_command_t &c : CUI_COMMANDS)
		if (c.command == command)
			return &c;
	return nullptr;
}
