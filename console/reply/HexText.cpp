#include "reply/HexText.h"

namespace {

uint8_t pairDigit(char c) {
  const uint8_t byte = static_cast<uint8_t>(c);
  return static_cast<uint8_t>(byte <= '9' ? byte - 48 : byte - 55);
}

uint8_t textDigit(char c) {
  const uint8_t byte = static_cast<uint8_t>(c);
  return static_cast<uint8_t>(byte < 'A' ? byte - 48 : byte - 55);
}

char hexDigit(unsigned value) {
  return static_cast<char>(value <= 9 ? '0' + value : 'A' + value - 10);
}

}  // namespace

uint8_t HexDigitValue(char c) { return pairDigit(c); }

void ByteToHex(uint8_t b, char out[2]) {
  out[0] = hexDigit(b >> 4);
  out[1] = hexDigit(b & 15u);
}

uint8_t HexPairToByte(const char pair[2]) {
  return static_cast<uint8_t>(((pairDigit(pair[0]) << 4) & 0xF0) + (pairDigit(pair[1]) & 0x0F));
}

int HexTextToBytes(uint8_t* out, const char* text, uint8_t n) {
  const int pairs = n / 2;
  for (int i = 0; i < pairs; ++i) {
    const char high = text[2 * i];
    const char low = text[2 * i + 1];
    const uint8_t lowValue = low == ' ' ? 0 : static_cast<uint8_t>(textDigit(low) & 0x0F);
    out[i] = static_cast<uint8_t>(((textDigit(high) << 4) & 0xF0) | lowValue);
  }
  return pairs;
}
