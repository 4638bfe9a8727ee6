#include "read_data_store.h"

#include "iso_track_coding.h"
#include "protocol_engine.h"
#include "raw_track_bits.h"
#include "track_fields.h"

namespace {

constexpr int kReplyPayload = 3;  // after two status digits and the echo

// The reply's characters before its first byte outside 0x20..0x7F (its CR or
// other line end).
int printableLength(const char* reply) {
  int length = 0;
  while (length < kLineBufferSize) {
    const unsigned char c = static_cast<unsigned char>(reply[length]);
    if (c < 0x20 || c > 0x7F) break;
    ++length;
  }
  return length;
}

}  // namespace

int StoreReadData(SessionRecord* session, CoderRecord* record, int track) {
  if (record == nullptr || track < 1 || track > 3) return MRW_OK;
  char* area = TrackArea(record, track);
  uint8_t& length = TrackLength(record, track);
  const char* reply = session->recvBuf;
  const int printable = printableLength(reply);

  if (TrackCodingFlag(session, track) == 0) {
    if (!RawBitsToTrack(reinterpret_cast<unsigned char*>(area), reply, printable)) {
      length = 0;
      SetTrackError(session, kDecodeNotEncoded, track);
      return MRW_ENCODERERROR;
    }
    length = kRawTrackBytes;
    return MRW_OK;
  }

  length = 0;
  const int bits = printable > kReplyPayload ? printable - kReplyPayload : 0;
  int error = 0;
  const int count = track == 1
                        ? DecodeTrack1(&error, area, kTrackAreaSize, reply + kReplyPayload, bits)
                        : DecodeTrack23(&error, area, kTrackAreaSize, reply + kReplyPayload, bits);
  if (error != 0) {
    SetTrackError(session, error, track);
    return MRW_ENCODERERROR;
  }
  length = static_cast<uint8_t>(count);
  return MRW_OK;
}
