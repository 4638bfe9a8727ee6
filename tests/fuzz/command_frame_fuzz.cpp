// The console's command text and binary frame builder. Every command built
// must be exactly the reference bytes (prefix, data, CR LF; or start byte,
// length, CRC-16/KERMIT, payload, XOR check) with a NUL behind it, and a
// command that would not fit the 4096-byte send buffer must leave it empty.
// The CRC reference here works bit by bit, independently of the table the
// link layer uses.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_check.h"
#include "link.h"

namespace {

constexpr int kLongestCommand = kLinkBufferSize - 1;

uint16_t bitwiseKermit(const uint8_t* data, size_t length) {
  uint16_t crc = 0;
  for (size_t i = 0; i < length; ++i) {
    crc ^= data[i];
    for (int bit = 0; bit < 8; ++bit)
      crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0x8408) : crc >> 1;
  }
  return crc;
}

void requireLastCommand(const std::vector<uint8_t>& expected) {
  if (static_cast<long long>(expected.size()) > kLongestCommand) {
    require(LastSendLength() == 0, "a command too long for the send buffer is not built");
    return;
  }
  require(LastSendLength() == static_cast<int>(expected.size()), "command length");
  require(std::equal(expected.begin(), expected.end(), LastSendBytes()), "command bytes");
  require(LastSendBytes()[expected.size()] == 0, "NUL behind the command");
}

void checkText(const uint8_t* prefix, int prefixLength, const std::vector<uint8_t>& data) {
  BuildCommandText(reinterpret_cast<const char*>(prefix), prefixLength, data.data(),
                   static_cast<int>(data.size()));
  std::vector<uint8_t> expected(prefix, prefix + prefixLength);
  expected.insert(expected.end(), data.begin(), data.end());
  if (prefixLength > 0) expected.insert(expected.end(), {'\r', '\n'});
  requireLastCommand(expected);
}

void checkFrame(const std::vector<uint8_t>& payload) {
  const int length = static_cast<int>(payload.size());
  const int result = SendCommand(CMD_RAW_FRAME, payload.data(), length);
  const uint16_t crc = bitwiseKermit(payload.data(), payload.size());
  std::vector<uint8_t> expected = {
      0x60, static_cast<uint8_t>((length + 2) >> 8), static_cast<uint8_t>((length + 2) & 0xFF),
      static_cast<uint8_t>(crc >> 8), static_cast<uint8_t>(crc & 0xFF)};
  expected.insert(expected.end(), payload.begin(), payload.end());
  uint8_t check = 0;
  for (uint8_t byte : expected) check ^= byte;
  expected.push_back(check);
  if (static_cast<long long>(expected.size()) > kLongestCommand) {
    require(result == -1, "an oversized frame is refused");
    require(LastSendLength() == 0, "an oversized frame sends nothing");
    return;
  }
  require(result == 0, "a frame on a closed link reports 0");
  requireLastCommand(expected);
}

void checkTableCode(int code, const std::vector<uint8_t>& data) {
  if (code == CMD_RAW_FRAME) return checkFrame(data);
  const char* prefix = CommandPrefix(code);
  const int result = SendCommand(code, data.data(), static_cast<int>(data.size()));
  if (prefix == nullptr) {
    require(result == -1, "a code outside the table is refused");
    return;
  }
  std::vector<uint8_t> expected(prefix, prefix + std::strlen(prefix));
  expected.insert(expected.end(), data.begin(), data.end());
  if (prefix[0] != '\0') expected.insert(expected.end(), {'\r', '\n'});
  if (static_cast<long long>(expected.size()) > kLongestCommand) {
    require(result == -1, "a line too long for the send buffer is refused");
    return;
  }
  require(result == 0, "a line on a closed link reports 0");
  requireLastCommand(expected);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* check = "123456789";
  require(bitwiseKermit(reinterpret_cast<const uint8_t*>(check), 9) == 0x2189,
          "the reference computes CRC-16/KERMIT");
  LinkMode = LINK_CLOSED;
  return 0;
}

// Input: mode, repeat, code (two bytes), prefix length, then prefix and data.
// The data is repeated so that short inputs also reach the send buffer's end.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  if (size < 5) return 0;
  const int mode = input[0] % 3;
  const int repeat = 1 + input[1] % 8;
  const int code = (input[2] << 8) | input[3];
  const int prefixLength = std::min<int>(input[4] % 8, static_cast<int>(size) - 5);
  const uint8_t* prefix = input + 5;
  std::vector<uint8_t> data;
  for (int i = 0; i < repeat; ++i) data.insert(data.end(), prefix + prefixLength, input + size);

  switch (mode) {
    case 0:
      checkText(prefix, prefixLength, data);
      break;
    case 1:
      checkFrame(data);
      break;
    default:
      checkTableCode(code, data);
      break;
  }
  return 0;
}
