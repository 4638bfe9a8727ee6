// The exports that work on an open session apart from the coder calls.
#include "TRKDRV32.h"
#include "session.h"

namespace {

// Stores a track's coding flag and returns the one it replaces.
int32_t swapFlag(int32_t handle, int32_t SessionRecord::*flag, int32_t value) {
  SessionRecord* session = FindSession(handle);
  if (!session) return MRW_NOSESSION;
  const int32_t previous = session->*flag;
  session->*flag = value;
  return previous;
}

}  // namespace

extern "C" int32_t MagClose(int32_t session) { return CloseSession(session); }

extern "C" int32_t MagAbort(int32_t session) {
  return UseSession(session, RaiseAbort) ? MRW_OK : MRW_NOSESSION;
}

extern "C" int32_t MagGetLastError(int32_t handle) {
  SessionRecord* session = FindSession(handle);
  if (!session) return MRW_NOSESSION;
  const uint32_t errors = session->lastError;
  session->lastError = 0;
  return static_cast<int32_t>(errors);
}

extern "C" int32_t MagSetNonHalvikCard(int32_t session, int32_t flag) {
  return swapFlag(session, &SessionRecord::nonHalvikTrack3, flag);
}

extern "C" int32_t MagSet1NonHalvikCard(int32_t session, int32_t flag) {
  return swapFlag(session, &SessionRecord::nonHalvikTrack1, flag);
}

extern "C" int32_t MagSet2NonHalvikCard(int32_t session, int32_t flag) {
  return swapFlag(session, &SessionRecord::nonHalvikTrack2, flag);
}
