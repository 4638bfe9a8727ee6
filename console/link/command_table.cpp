#include <cstddef>

#include "link.h"

namespace {

struct CommandRow {
  int code;
  const char* prefix;
};

// Every code the reader understands, with the digits that open its line.
// Two-digit prefixes leave the parameter character to the caller's data.
constexpr CommandRow kCommandTable[] = {
    {CMD_RAW_FRAME, ""},
    {CMD_NO_OPERATION, "000"},
    {CMD_RESET, "010"},
    {CMD_BOOT_JUMP, "020"},
    {CMD_START_SENTINEL, "04"},
    {CMD_END_SENTINEL, "05"},
    {CMD_PARITY_BIT, "06"},
    {CMD_REPEAT_COUNT, "070"},
    {CMD_SET_NORM, "080"},
    {CMD_CARD_IN, "120"},
    {CMD_ENTRY_FRONT, "160"},
    {CMD_EJECT_BACK, "150"},
    {CMD_EJECT_FRONT, "170"},
    {CMD_MOVE_BACK, "700"},
    {CMD_MOVE_FRONT, "710"},
    {CMD_NET_WRITE, "030"},
    {CMD_NET_READ, "031"},
    {CMD_LO_CO, "130"},
    {CMD_HI_CO, "140"},
    {CMD_READ_INSIDE_MOVE_BACK, "20"},
    {CMD_READ_INSIDE_EJECT_BACK, "26"},
    {CMD_READ_INSIDE_MOVE_FRONT, "28"},
    {CMD_WRITE_INSIDE_EJECT_FRONT, "19"},
    {CMD_WRITE_INSIDE_MOVE_BACK, "21"},
    {CMD_WRITE_INSIDE_EJECT_BACK, "27"},
    {CMD_WRITE_INSERT_EJECT_FRONT, "23"},
    {CMD_WRITE_INSERT_EJECT_BACK, "25"},
    {CMD_READ_INSERT_MOVE_BACK, "18"},
    {CMD_READ_INSERT_EJECT_FRONT, "22"},
    {CMD_READ_INSERT_EJECT_BACK, "24"},
    {CMD_BITS_001_200, "300"},
    {CMD_BITS_201_400, "310"},
    {CMD_BITS_401_600, "320"},
    {CMD_BITS_601_800, "330"},
    {CMD_BITS_001_800, "340"},
    {CMD_WAIT_TIME, "410"},
    {CMD_IC_ENTRY, "500"},
    {CMD_IC_POWER_ON, "51"},
    {CMD_IC_POWER_OFF, "520"},
    {CMD_IC_DIRECT, "530"},
    {CMD_VERSION, "990"},
    {CMD_ATMEL_POWER_ON, "60"},
    {CMD_ATMEL_POWER_OFF, "610"},
    {CMD_ATMEL_READ, "620"},
    {CMD_ATMEL_WRITE, "630"},
    {CMD_ATMEL_WRITE_VERIFY, "640"},
};

static_assert(sizeof kCommandTable / sizeof kCommandTable[0] == 46, "the reader knows 46 codes");

}  // namespace

const char* CommandPrefix(int code) {
  for (const CommandRow& row : kCommandTable) {
    if (row.code == code) return row.prefix;
  }
  return nullptr;
}
