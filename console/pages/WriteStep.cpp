#include "pages/WriteStep.h"

#include <algorithm>
#include <cstring>

#include "pages/PageState.h"
#include "reply/MainState.h"

StepResult writeTrackStep(char trackChar, const std::string& data, uint32_t boundMs,
                          std::atomic<int32_t>& errors) {
  WriteErrorFlag = 0;
  std::memset(TxBuffer, 0, sizeof TxBuffer);
  TxBuffer[0] = trackChar;
  const size_t length = std::min(data.size(), static_cast<size_t>(kTxBufferSize - 2));
  std::memcpy(TxBuffer + 1, data.data(), length);
  const TrackCommand command = WriteModeCommand(WriteMode);
  if (WriteMode >= kFirstInsertCardWriteMode) boundMs = kInsertCardReplyMs;
  const StepResult result =
      exchangeTrackCommand({command.commandId, command.commandCode, trackChar,
                            reinterpret_cast<const uint8_t*>(TxBuffer),
                            static_cast<int>(1 + length), boundMs});
  if (const char* error = countedStepError(result)) {
    WriteErrorText.Set(error);
    WriteErrorFlag = 1;
    ++errors;
  }
  return result;
}
