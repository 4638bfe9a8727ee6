// One track write of the write tests ("Write Test" and "Auto Test").
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "pages/TestSteps.h"

// `trackChar` and `data` (cut to the transmit buffer's room) go out in
// TxBuffer under the command of the chosen write mode; the reply is awaited
// for `boundMs`, or for kInsertCardReplyMs in the modes that wait for a card.
// A missing reply, or one naming no track, counts one error in `errors` and
// becomes WriteErrorText with WriteErrorFlag set; WriteErrorFlag is cleared
// before the send, so after the step it tells whether the write failed.
StepResult writeTrackStep(char trackChar, const std::string& data, uint32_t boundMs,
                          std::atomic<int32_t>& errors);
