#include "pages/AutoWritePatterns.h"

#include <cstring>

const char* const kDefaultPatterns[kAutoTrackCount] = {
    "TEST-CARD-+/3;:^=.><!#$&*,90123456789012345678901234567890123456789012345673",
    "123456789012345678901234567890123456=",
    "1234567890123456789012345678901234567890123456789012345678901234567890123456789012345678901"
    "234567890123=",
    "12345678901234567890ABCDEF123456789012345678901234567890ABCDEF12345678901234567890ABCDEF1"
    "234567890123456",
};

namespace {

// Pattern characters turned into bits on a track's first BIT write.
constexpr int kBitCharacters[kAutoTrackCount] = {67, 23, 64, 64};

const char kTimeLoxStart[] = "00001011";
const char kTimeLoxEnd[] = "00001111";

}  // namespace

void HexCharToBits(char c, char* bits) {
  const unsigned code = static_cast<unsigned char>(c);
  unsigned value = code;
  if (code >= 0x30 && code <= 0x40) {
    value = code - 0x30;
  } else if (code >= 'A' && code <= 'F') {
    value = code - 0x37;
  }
  for (int bit = 0; bit < 8; ++bit) bits[bit] = (value >> (7 - bit)) & 1 ? '1' : '0';
  bits[8] = '\0';
}

std::string PatternBits(AutoTrack track, const std::string& pattern) {
  std::string bitText;
  char bits[9];
  for (int i = 0; i < kBitCharacters[track]; ++i) {
    HexCharToBits(i < static_cast<int>(pattern.size()) ? pattern[i] : '\0', bits);
    bitText += bits;
  }
  return bitText;
}

std::string AutoWriteData(AutoTrack track, const std::string& pattern, bool bitNorm,
                          bool converted) {
  if (!bitNorm) return pattern;
  if (!converted) return PatternBits(track, pattern);
  if (track == kAutoTrackTimeLox) return kTimeLoxStart + pattern + kTimeLoxEnd;
  return pattern;
}

std::string PatternAfterWrite(AutoTrack track, const std::string& pattern, const std::string& sent,
                              bool bitNorm) {
  if (track == kAutoTrackTimeLox && bitNorm) return pattern;
  if (sent.empty()) return sent;
  return sent.substr(1) + sent[0];
}
