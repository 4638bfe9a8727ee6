#include "track_text_format.h"

#include <cstring>

namespace {

constexpr int kLineLength = 16;
constexpr int kLineBreaks = 7;
constexpr char kCr = '\r';

int writeHexByte(char* out, unsigned value) {
  static const char kDigits[] = "0123456789ABCDEF";
  out[0] = kDigits[(value >> 4) & 0xF];
  out[1] = kDigits[value & 0xF];
  return 2;
}

}  // namespace

int FormatTrackLines(char* out, const char* scratch) {
  const int length = static_cast<int>(strnlen(scratch, kScratchSize));
  char* next = out;
  int breaks = 0;
  for (int i = 0; i < length; ++i) {
    if (i > 0 && i % kLineLength == 0) {
      *next++ = kCr;
      ++breaks;
    }
    *next++ = scratch[i];
  }
  for (; breaks < kLineBreaks; ++breaks) *next++ = kCr;
  return static_cast<int>(next - out);
}

int FormatTrackHex(char* out, const unsigned char* data, int length) {
  if (length < 0 || length > kTrackHexMaxBytes) return -1;
  char* next = out;
  // Each field byte takes the low bit of the byte before it (the leading 1 bit
  // for the first) as its top bit and the next data byte shifted right by one;
  // the last carries the closing 1 bit at 0x40.
  unsigned carry = 0x80;
  for (int i = 0; i < length; ++i) {
    next += writeHexByte(next, carry | (data[i] >> 1));
    carry = (data[i] & 1u) << 7;
  }
  next += writeHexByte(next, carry | 0x40);
  return static_cast<int>(next - out);
}
