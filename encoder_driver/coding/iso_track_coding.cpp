#include "iso_track_coding.h"

namespace {

constexpr int kTrack1DataBits = 6;
constexpr int kTrack1Offset = 32;
constexpr int kTrack1Start = 5;
constexpr int kTrack1End = 31;

constexpr int kTrack23DataBits = 4;
constexpr int kTrack23Offset = 48;
constexpr int kTrack23Start = 11;
constexpr int kTrack23End = 15;

int encodeTrack(char* out, const char* text, int length, int nbits, int offset, int start,
                int end) {
  const int width = nbits + 1;
  const int dataMask = (1 << nbits) - 1;
  char* next = out;

  const int startGroup = SetOddParity(start, nbits);
  next += BitsToText(next, startGroup, width);
  int lrc = startGroup;

  for (int i = 0; i < length; ++i) {
    const int value = (static_cast<unsigned char>(text[i]) - offset) & dataMask;
    const int group = SetOddParity(value, nbits);
    next += BitsToText(next, group, width);
    lrc ^= group;
  }

  const int endGroup = SetOddParity(end, nbits);
  next += BitsToText(next, endGroup, width);
  lrc ^= endGroup;

  // The XOR still carries the parity bits of its inputs; the LRC character
  // gets its own parity over its data bits.
  next += BitsToText(next, SetOddParity(lrc, nbits), width);
  return static_cast<int>(next - out);
}

}  // namespace

int SetOddParity(int value, int nbits) {
  int ones = 0;
  for (int i = 0; i < nbits; ++i) ones += (value >> i) & 1;
  const int parityBit = 1 << nbits;
  return (ones % 2 == 1) ? (value & ~parityBit) : (value | parityBit);
}

int BitsToText(char* out, int value, int n) {
  for (int i = 0; i < n; ++i) out[i] = ((value & 0xFF) >> i) & 1 ? '1' : '0';
  return n;
}

int EncodeTrack1(char* out, const char* text, int length) {
  return encodeTrack(out, text, length, kTrack1DataBits, kTrack1Offset, kTrack1Start, kTrack1End);
}

int EncodeTrack23(char* out, const char* text, int length) {
  return encodeTrack(out, text, length, kTrack23DataBits, kTrack23Offset, kTrack23Start,
                     kTrack23End);
}

int ReadBitChar(int* error, int nbits, const char* bits) {
  *error = 0;
  int value = 0;
  int ones = 0;
  for (int i = nbits; i >= 0; --i) {
    const char c = bits[i];
    if (c != '0' && c != '1') {
      *error = 1;
      return 0;
    }
    const int bit = c - '0';
    ones += bit;
    if (i < nbits) value += bit << i;
  }
  if (ones % 2 == 0) {
    *error = 1;
    return 0;
  }
  return value;
}

int DecodeTrack(int* error, char* out, int outSize, const char* bits, int n, int start, int end,
                int nbits, int offset) {
  const int width = nbits + 1;
  *error = 0;

  while (n > 0 && *bits == '0') {
    ++bits;
    --n;
  }
  if (n < 4 * width) {
    *error = kDecodeNotEncoded;
    return 0;
  }

  int groupError = 0;
  int c = ReadBitChar(&groupError, nbits, bits);
  if (groupError != 0) {
    *error = kDecodeNotEncoded;
    return 0;
  }
  if (c != start) {
    *error = kDecodeWrongStartSentinel;
    return 0;
  }
  int lrc = c;

  c = ReadBitChar(&groupError, nbits, bits + width);
  if (groupError != 0) {
    *error = kDecodeNotEncoded;
    return 0;
  }
  bits += 2 * width;
  n -= 2 * width;

  int count = 0;
  for (;;) {
    lrc ^= c;
    if (c == end) {
      out[count] = '\0';
      if (n < width) {
        *error = kDecodeNoEndSentinel;
        return 0;
      }
      const int lrcRead = ReadBitChar(&groupError, nbits, bits);
      if (groupError != 0) {
        *error = kDecodeNotEncoded;
        return 0;
      }
      if (lrcRead != lrc) {
        *error = kDecodeLrcError;
        return 0;
      }
      return count;
    }
    // One byte stays for the terminator: a text that would fill the area has
    // no end sentinel within the room the caller has.
    if (count + 1 >= outSize) {
      *error = kDecodeNoEndSentinel;
      return 0;
    }
    out[count++] = static_cast<char>(c + offset);
    if (n < width) {
      *error = kDecodeNoEndSentinel;
      return 0;
    }
    c = ReadBitChar(&groupError, nbits, bits);
    if (groupError != 0) {
      *error = kDecodeNotEncoded;
      return 0;
    }
    bits += width;
    n -= width;
  }
}

int DecodeTrack1(int* error, char* out, int outSize, const char* bits, int n) {
  return DecodeTrack(error, out, outSize, bits, n, kTrack1Start, kTrack1End, kTrack1DataBits,
                     kTrack1Offset);
}

int DecodeTrack23(int* error, char* out, int outSize, const char* bits, int n) {
  return DecodeTrack(error, out, outSize, bits, n, kTrack23Start, kTrack23End, kTrack23DataBits,
                     kTrack23Offset);
}
