#include <array>

#include "link.h"

namespace {

// CRC-16/KERMIT: the reflected form of polynomial 0x1021, one lookup per byte.
constexpr uint32_t kReflectedPolynomial = 0x8408;

constexpr std::array<uint32_t, 256> makeCrc16Table() {
  std::array<uint32_t, 256> table{};
  for (uint32_t index = 0; index < 256; ++index) {
    uint32_t crc = index;
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ kReflectedPolynomial : crc >> 1;
    table[index] = crc;
  }
  return table;
}

constexpr std::array<uint32_t, 256> Crc16Table = makeCrc16Table();

}  // namespace

uint16_t CalcCrc16(const uint8_t* data, int length) {
  uint32_t crc = 0;
  for (int i = 0; data && i < length; ++i) crc = Crc16Table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return static_cast<uint16_t>(crc);
}

uint8_t CalcXorCheck(const uint8_t* data, int length) {
  uint8_t check = 0;
  for (int i = 0; data && i < length; ++i) check ^= data[i];
  return check;
}
