// Per-track fields of the host's CoderRecord and of the session, by track
// number 1-3.
#pragma once
#include <cstdint>

#include "TRKDRV32.h"
#include "session.h"

constexpr int kTrackAreaSize = 128;

inline char* TrackArea(CoderRecord* record, int track) {
  return track == 1 ? record->track1 : track == 2 ? record->track2 : record->track3;
}

inline uint8_t& TrackLength(CoderRecord* record, int track) {
  return track == 1 ? record->len1 : track == 2 ? record->len2 : record->len3;
}

// Non-zero: ISO 7811 characters coded by the driver; 0: raw bits.
inline int32_t TrackCodingFlag(const SessionRecord* session, int track) {
  return track == 1 ? session->nonHalvikTrack1
                    : track == 2 ? session->nonHalvikTrack2 : session->nonHalvikTrack3;
}
