#include "reply/HexText.h"

namespace {

uint8_t pairDigit(char c) {
  const uint8_t byte = static_cast<uint8_t>(c);
  return static_cast<uint8_t>(byte <= '9' ? byte - 48 : byte - 55);
}

}  // namespace

uint8_t HexPairToByte(const char pair[2]) {
  return static_cast<uint8_t>(((pairDigit(pair[0]) << 4) & 0xF0) + (pairDigit(pair[1]) & 0x0F));
}
