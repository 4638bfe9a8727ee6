// The reply callback the tests register: it reads each reply through
// ReceiveResponse, as the console's handler does, and records what it got.
#pragma once
#include <cstddef>
#include <string>
#include <thread>
#include <vector>

// Text and status are preset to these before every ReceiveResponse, so a
// test can tell that a failed read left them alone.
constexpr const char* kUntouchedText = "untouched";
constexpr int kUntouchedStatus = -77;

struct RecordedReply {
  int result = 0;
  std::string text;
  int status = kUntouchedStatus;
  std::thread::id thread;
};

enum class RecorderAction {
  ReadReply,           // ReceiveResponse, then record
  IgnoreInput,         // record a call without reading anything
  ReadThenClosePort,   // ReceiveResponse, record, then CloseSerialPort
};

namespace recorder {

void Install(RecorderAction action = RecorderAction::ReadReply);  // clears, registers
void Clear();
std::vector<RecordedReply> Replies();
size_t Count();
// Blocks until `count` replies were recorded or timeoutMs passes.
bool WaitForCount(size_t count, int timeoutMs);
// Blocks until the callback has been entered `count` times.
bool WaitForEntered(size_t count, int timeoutMs);

}  // namespace recorder
