// State of the main window's unit shared between the page handlers (GUI
// thread) and the reply handler (receive thread over serial, GUI thread over
// Ethernet). The handlers write TxBuffer, HexDumpFlag and CommandId before
// they send; the send notes them with the command (reply/ReplyTurns.h), and
// the reply handler handles each reply with what was noted for its command.
// The reply handler writes ReplyBuffer, ReplyStatus, the counters and the
// write error before it raises ResponseFlag and signals ResponseEvent; the
// handlers read them after the flag or the event.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "reply/ResponseEvent.h"

// What reply is expected (see the reply handler for the values in use).
extern std::atomic<int> CommandId;

// The reply being handled: status digits at 0-1, echo character at 2, payload
// from 3 with its line end (binary reply frames: the frame from its offset 3).
constexpr int kReplyBufferSize = 0x6000;
extern char ReplyBuffer[kReplyBufferSize];
extern int ReplyStatus;

// Data of track, IC and ATMEL commands; for track writes byte 0 is the track
// character ('1'-'3', '4' TimeLox).
constexpr int kTxBufferSize = 2048;
extern char TxBuffer[kTxBufferSize];

extern std::atomic<uint8_t> ResponseFlag;
extern ResponseEventHandle ResponseEvent;
extern std::atomic<uint8_t> HexDumpFlag;
extern std::atomic<uint8_t> BootMode;

// Test state of the read and write tests.
extern std::atomic<int32_t> SetCount;
extern std::atomic<int32_t> DoCount;
extern std::atomic<int32_t> ErrorCount1;
extern std::atomic<int32_t> ErrorCount2;
extern std::atomic<int32_t> ErrorCount3;
extern std::atomic<int32_t> ErrorCountTimeLox;
constexpr int kRateTextSize = 10;
extern char RateText[4][kRateTextSize];  // "%.2f %", at most 9 characters
extern std::atomic<uint8_t> BreakFlag;

// The last write error of a write test (a text shared by two threads).
class SharedText {
 public:
  void Set(const std::string& text);
  std::string Get() const;

 private:
  mutable std::mutex mutex_;
  std::string text_;
};
extern std::atomic<uint8_t> WriteErrorFlag;
extern SharedText WriteErrorText;
