// Tells a sender that the reader began to answer its last serial write,
// without taking any byte away from the receive thread: whoever reads or
// first sees input on the port notes it here, and SerialWrite clears the note
// before it writes.
#pragma once
#include <cstdint>

void ResetAnswerStart();
void NoteAnswerStart();

// Blocks until input was noted since the last reset or `boundMs` pass by the
// tick count (checked at least every platform::kWaitSliceMs): 1 the answer
// began, -3 nothing came in time. Any thread may call it.
int WaitForAnswerStart(uint32_t boundMs);
