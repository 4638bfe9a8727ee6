#include "nbs_message.h"

#include <cstring>

#include "track_text_format.h"

namespace {

constexpr char kStx = 0x02;
constexpr char kEtx = 0x03;
constexpr char kCr = 0x0D;
constexpr int kTrackTextMax = 128;

int copyText(char* out, const char* text, int room) {
  const int length = static_cast<int>(strnlen(text, static_cast<size_t>(room)));
  std::memcpy(out, text, static_cast<size_t>(length));
  return length;
}

}  // namespace

int BuildNbsMessage(char* out, const CoderRecord* record, const char* texts) {
  if (record->len1 > kTrackTextMax || record->len2 > kTrackTextMax ||
      record->len3 > kTrackHexMaxBytes) {
    return -1;
  }
  char* next = out;
  *next++ = kStx;
  const int firstText = copyText(next, texts + kNbsTextOffsets[0], kNbsTextMax);
  next += firstText;
  if (firstText > 0) *next++ = ' ';
  next += copyText(next, texts + kNbsTextOffsets[1], kNbsTextMax);
  *next++ = kCr;
  next += copyText(next, texts + kNbsTextOffsets[2], kNbsTextMax);
  *next++ = kCr;
  next += copyText(next, texts + kNbsTextOffsets[3], kNbsTextMax);
  *next++ = kCr;
  next += FormatTrackLines(next, record->scratch);
  *next++ = kCr;
  next += copyText(next, record->track1, record->len1);
  *next++ = kCr;
  next += copyText(next, record->track2, record->len2);
  *next++ = kCr;
  next += FormatTrackHex(next, reinterpret_cast<const unsigned char*>(record->track3), record->len3);
  *next++ = kCr;
  *next++ = kEtx;
  return static_cast<int>(next - out);
}
