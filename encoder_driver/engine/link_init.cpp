// The link initialisation: the reader is put into bit norm once per session,
// and again after a reply time-out asked for it.
#include "platform/tick.h"
#include "protocol_engine.h"

void InitLink(SessionRecord* session, CoderRecord* record) {
  session->lastResult = MRW_OK;
  if (session->initNorm == kInitNormSent) return;
  send_msg(session, MSG_INIT_LINK, nullptr, 0);
  session->deadline = platform::TickCount() + kInitLinkTimeoutMs;
  WaitReply(session, record, 0);
  session->initNorm = kInitNormSent;
}

int PrepareTrackCommand(SessionRecord* session, CoderRecord* record, int track) {
  session->deadline = platform::TickCount() + static_cast<uint32_t>(session->timeoutMs);
  // Track 2 right after track 1 follows that track's exchange at once.
  const bool followsTrack1 = track == 2 && record->len1 != 0;
  if ((track >= 1 && track <= 3) && !followsTrack1) InitLink(session, record);
  return 1;
}
