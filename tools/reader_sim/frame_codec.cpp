#include "frame_codec.h"

#include <array>

namespace readersim {
namespace {

std::array<uint16_t, 256> makeCrcTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    uint16_t crc = static_cast<uint16_t>(i);
    for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0x8408 : crc >> 1;
    table[i] = crc;
  }
  return table;
}

void appendBigEndian16(std::string& out, unsigned value) {
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
  out.push_back(static_cast<char>(value & 0xFF));
}

}  // namespace

uint16_t Crc16Kermit(const std::string& bytes) {
  static const std::array<uint16_t, 256> table = makeCrcTable();
  uint16_t crc = 0;
  for (unsigned char byte : bytes) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return crc;
}

unsigned char XorCheck(const std::string& bytes) {
  unsigned char check = 0;
  for (unsigned char byte : bytes) check ^= byte;
  return check;
}

std::string BuildRequestFrame(const std::string& data) {
  std::string frame(1, static_cast<char>(kFrameStart));
  appendBigEndian16(frame, static_cast<unsigned>(data.size() + 2));
  appendBigEndian16(frame, Crc16Kermit(data));
  frame += data;
  frame.push_back(static_cast<char>(XorCheck(frame)));
  return frame;
}

std::string BuildReplyFrame(const std::string& data) {
  std::string frame(1, static_cast<char>(kFrameStart));
  appendBigEndian16(frame, static_cast<unsigned>(data.size() + 3));
  return frame + data;
}

size_t RequestFrameSize(unsigned char lengthHigh, unsigned char lengthLow) {
  return ((static_cast<size_t>(lengthHigh) << 8) | lengthLow) + 4;
}

bool CheckRequestFrame(const std::string& frame, std::string& data) {
  data.clear();
  if (frame.size() < kFrameHeaderSize + 1) return false;
  data = frame.substr(kFrameHeaderSize, frame.size() - kFrameHeaderSize - 1);
  uint16_t crc = static_cast<uint16_t>((static_cast<unsigned char>(frame[3]) << 8) |
                                       static_cast<unsigned char>(frame[4]));
  unsigned char check = static_cast<unsigned char>(frame.back());
  return crc == Crc16Kermit(data) && check == XorCheck(frame.substr(0, frame.size() - 1));
}

}  // namespace readersim
