// MagCoder and MagNBSCoder until the protocol engine is built in: the record
// and handle checks every coder call makes first, then MRW_COMMERROR, as the
// driver cannot carry the command out.
#include "TRKDRV32.h"
#include "session.h"

namespace {

int32_t refuse(int32_t handle, const CoderRecord* record) {
  if (!record || record->size != CODER_RECORD_SIZE) return STRUCTSIZEERROR;
  ActiveCall call(handle);
  if (!call.session()) return MRW_NOSESSION;
  // Packed as every coder result: the session's last result in the high half.
  return static_cast<int32_t>((static_cast<uint32_t>(call.session()->lastResult) << 16) | MRW_COMMERROR);
}

}  // namespace

extern "C" int32_t MagCoder(int32_t session, int32_t, CoderRecord* record) {
  return refuse(session, record);
}

extern "C" int32_t MagNBSCoder(int32_t session, int32_t, CoderRecord* record, const char*) {
  return refuse(session, record);
}
