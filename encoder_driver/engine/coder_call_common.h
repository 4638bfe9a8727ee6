// What the two coder calls share: how a command starts on a session, how an
// abort seen during it ends the call, and how the result is packed.
#pragma once
#include <cstdint>

#include "TRKDRV32.h"
#include "engine_codes.h"
#include "session.h"

// aborted and the session's abort flag cleared, the state machine back at its
// start, the call's input drain budget full; lastError cleared too for a read
// or a write.
inline void StartCoderCommand(SessionRecord* session, bool clearLastError) {
  session->drainStepsLeft = kCallDrainSteps;
  if (clearLastError) session->lastError = 0;
  session->aborted = 0;
  AbortFlags[session->portIndex].store(0);
  session->mrw_state = MRW_STATE_INIT;
}

// A call that a wait's abort ended: the abort is consumed and the result 35.
inline int FinishAbortedCall(SessionRecord* session, int result) {
  if (!session->aborted) return result;
  session->aborted = 0;
  AbortFlags[session->portIndex].store(0);
  return MRW_ABORTED;
}

// Low 16 bits the call's result, high 16 bits the session's lastResult.
inline int32_t PackCoderResult(int result, int32_t lastResult) {
  const uint32_t packed = (static_cast<uint32_t>(lastResult) & 0xFFFFu) << 16 |
                          (static_cast<uint32_t>(result) & 0xFFFFu);
  return static_cast<int32_t>(packed);
}
