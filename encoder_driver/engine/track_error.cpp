#include "protocol_engine.h"

void SetTrackError(SessionRecord* session, int code, int track) {
  const int shift = (track >= 1 && track <= 3) ? 8 * track : 0;
  const uint32_t mask = 0xFFu << shift;
  session->lastError = (session->lastError & ~mask) | ((static_cast<uint32_t>(code) & 0xFFu) << shift);
}
