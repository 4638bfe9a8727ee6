#include "answer_start.h"

#include <algorithm>

#include "platform/event.h"
#include "platform/tick.h"

namespace {
// Never destroyed: the receive thread may note input while the program ends.
platform::ManualResetEvent& answerStarted() {
  static platform::ManualResetEvent* const event = new platform::ManualResetEvent;
  return *event;
}
}  // namespace

void ResetAnswerStart() { answerStarted().Reset(); }

void NoteAnswerStart() { answerStarted().Set(); }

int WaitForAnswerStart(uint32_t boundMs) {
  const uint32_t start = platform::TickCount();
  for (;;) {
    uint32_t left = platform::TicksLeft(start, boundMs);
    if (left == 0) return answerStarted().IsSet() ? 1 : -3;
    if (answerStarted().Wait(std::min<uint32_t>(left, platform::kWaitSliceMs))) return 1;
  }
}
