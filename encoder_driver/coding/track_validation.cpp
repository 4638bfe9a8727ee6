#include "track_validation.h"

#include <cstring>

namespace {

bool inTrack1Set(char c) {
  if (c >= '0' && c <= '9') return true;
  if (c >= 'A' && c <= 'Z') return true;
  return c != '\0' && std::strchr(" $()-./[\\]^", c) != nullptr;
}

bool inTrack23Set(char c) { return (c >= '0' && c <= '9') || c == '='; }

}  // namespace

int CheckTrackData(const char* text, int length, int track, int flag) {
  if (length == -1) return kCheckAccepted;
  if (track < 1 || track > 3) return kCheckBadChar;
  if (flag == 0) return kCheckAccepted;

  const bool trackOne = track == 1;
  for (int i = 0; i < length; ++i) {
    const bool accepted = trackOne ? inTrack1Set(text[i]) : inTrack23Set(text[i]);
    if (!accepted) return kCheckBadChar;
  }

  const int longest = trackOne ? kTrack1MaxChars : track == 2 ? kTrack2MaxChars : kTrack3MaxChars;
  return length > longest ? kCheckTooLong : kCheckAccepted;
}
