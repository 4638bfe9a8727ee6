// The exports that work on an open session apart from the coder calls. Each
// works on the record under the table's lock, so that a close from another
// thread cannot free it meanwhile.
#include "TRKDRV32.h"
#include "session.h"

namespace {

// Stores a track's coding flag and returns the one it replaces.
int32_t swapFlag(int32_t handle, int32_t SessionRecord::*flag, int32_t value) {
  int32_t previous = MRW_NOSESSION;
  UseSession(handle, [&](SessionRecord& session) {
    previous = session.*flag;
    session.*flag = value;
  });
  return previous;
}

}  // namespace

extern "C" int32_t MagClose(int32_t session) { return CloseSession(session); }

extern "C" int32_t MagAbort(int32_t session) {
  return UseSession(session, RaiseAbort) ? MRW_OK : MRW_NOSESSION;
}

extern "C" int32_t MagGetLastError(int32_t handle) {
  int32_t errors = MRW_NOSESSION;
  UseSession(handle, [&errors](SessionRecord& session) {
    errors = static_cast<int32_t>(session.lastError);
    session.lastError = 0;
  });
  return errors;
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
