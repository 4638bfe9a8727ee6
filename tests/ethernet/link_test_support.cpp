#include "link_test_support.h"

#include "platform/message_box.h"
#include "platform/tick.h"

namespace linktest {
namespace {

std::mutex boxMutex;
std::vector<std::string> boxes;

void recordBox(const char* text) {
  std::lock_guard<std::mutex> lock(boxMutex);
  boxes.push_back(text);
}

std::atomic<uint32_t> racingTicks{0};
uint32_t racingTickSource() { return racingTicks.fetch_add(5000) + 5000; }

}  // namespace

void RecordBoxes() {
  {
    std::lock_guard<std::mutex> lock(boxMutex);
    boxes.clear();
  }
  platform::SetMessageBoxHook(recordBox);
}

void StopRecordingBoxes() { platform::SetMessageBoxHook(nullptr); }

std::vector<std::string> ShownBoxes() {
  std::lock_guard<std::mutex> lock(boxMutex);
  return boxes;
}

void RaceTicks() {
  racingTicks = 0;
  platform::SetTickSource(racingTickSource);
}

uint32_t TicksRead() { return racingTicks.load(); }

void RestoreTicks() { platform::SetTickSource(nullptr); }

Received Receive() {
  uint8_t buffer[1024];
  std::memset(buffer, 0xEE, sizeof buffer);
  int32_t length = -7;
  int32_t result = EthernetReceive(buffer, &length);
  if (result != 1) {
    // Nothing is written on failure.
    EXPECT_EQ(length, -7);
    EXPECT_EQ(buffer[0], 0xEE);
    return {result, ""};
  }
  EXPECT_GE(length, 1);
  EXPECT_LE(length, 1024);
  return {result, std::string(reinterpret_cast<char*>(buffer), static_cast<size_t>(length))};
}

int32_t Send(const std::string& text) {
  return EthernetCommandSend(reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()));
}

}  // namespace linktest
