#include "reply/MainState.h"

std::atomic<int> CommandId{0};
char ReplyBuffer[kReplyBufferSize];
int ReplyStatus = 0;
char TxBuffer[kTxBufferSize];

std::atomic<uint8_t> ResponseFlag{0};
ResponseEventHandle ResponseEvent;
std::atomic<uint8_t> HexDumpFlag{0};
std::atomic<uint8_t> BootMode{0};

std::atomic<int32_t> SetCount{0};
std::atomic<int32_t> DoCount{0};
std::atomic<int32_t> ErrorCount1{0};
std::atomic<int32_t> ErrorCount2{0};
std::atomic<int32_t> ErrorCount3{0};
std::atomic<int32_t> ErrorCountTimeLox{0};
char RateText[4][kRateTextSize];
std::atomic<uint8_t> BreakFlag{0};

std::atomic<uint8_t> WriteErrorFlag{0};
SharedText WriteErrorText;

void SharedText::Set(const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  text_ = text;
}

std::string SharedText::Get() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return text_;
}
