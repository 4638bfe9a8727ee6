#include "raw_track_bits.h"

namespace {
constexpr int kPayloadStart = 3;  // after the two status digits and the echo
}

int RawTrackToBits(char* out, const unsigned char* data) {
  for (int i = 0; i < kRawTrackBytes; ++i) {
    for (int j = 0; j < 8; ++j) out[8 * i + j] = (data[i] >> (7 - j)) & 1 ? '1' : '0';
  }
  return kRawTrackBits;
}

bool RawBitsToTrack(unsigned char* out, const char* reply, int length) {
  int frame = kPayloadStart;
  while (frame < length && reply[frame] == '0') ++frame;
  if (length - (frame + 1) < kRawTrackBits) return false;

  const char* bits = reply + frame + 1;
  for (int i = 0; i < kRawTrackBytes; ++i) {
    unsigned value = 0;
    for (int j = 0; j < 8; ++j) value |= static_cast<unsigned>(bits[8 * i + j] - '0') << (7 - j);
    out[i] = static_cast<unsigned char>(value);
  }
  return true;
}
