// Raw-mode track data as the reader stores it: "1", the 264 bits of 33 bytes
// most significant bit first, "1".
#pragma once
#include <string>

inline std::string RawTrackLine(const std::string& bytes33) {
  std::string bits = "1";
  for (size_t i = 0; i < 33; ++i) {
    const unsigned char byte = i < bytes33.size() ? static_cast<unsigned char>(bytes33[i]) : 0;
    for (int bit = 7; bit >= 0; --bit) bits += ((byte >> bit) & 1) ? '1' : '0';
  }
  return bits + "1";
}

inline std::string SampleRawBytes() {
  std::string bytes;
  for (int i = 0; i < 33; ++i) bytes += static_cast<char>(0xA5 ^ (i * 29));
  return bytes;
}
