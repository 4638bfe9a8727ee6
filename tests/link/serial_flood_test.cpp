// A reader that floods the serial line with bytes that never complete a
// reply: the reply read still ends at its bound.
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "serial_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;

// Long enough that a read which does not keep its bound stays inside the
// flood and is seen to take far longer than the waits below.
constexpr int kFloodLimitMs = 8000;
constexpr int kPromptMs = 3000;

struct Flood {
  const char* name;
  int framing;        // FramingMode during the flood
  std::string chunk;  // sent again and again
  // The tick source runs twenty times too fast, for a bound longer than the
  // wait below.
  bool raceTicks;
};

void PrintTo(const Flood& flood, std::ostream* out) { *out << flood.name; }

class SerialFlood : public SerialLink, public ::testing::WithParamInterface<Flood> {
 protected:
  void SetUp() override {
    SerialLink::SetUp();
    FramingMode.store(GetParam().framing);
  }
  void TearDown() override {
    stopFlood();
    SerialLink::TearDown();
  }

  void startFlood() {
    flooding_ = true;
    flooder_ = std::thread([this] {
      const auto end = Clock::now() + std::chrono::milliseconds(kFloodLimitMs);
      while (flooding_ && Clock::now() < end) sim_.SendRaw(GetParam().chunk);
    });
  }
  void stopFlood() {
    flooding_ = false;
    if (flooder_.joinable()) flooder_.join();
  }

  std::atomic<bool> flooding_{false};
  std::thread flooder_;
};

TEST_P(SerialFlood, ReplyEndsAtItsBound) {
  if (GetParam().raceTicks) platform::SetTickSource(&fastTicks);
  startFlood();
  const bool ended = recorder::WaitForCount(1, kPromptMs);
  stopFlood();
  ASSERT_TRUE(ended) << "the read waited for the flood to stop";
  EXPECT_EQ(recorder::Replies()[0].result, -3);
  EXPECT_EQ(recorder::Replies()[0].text, kUntouchedText);
}

INSTANTIATE_TEST_SUITE_P(Readers, SerialFlood,
                         ::testing::Values(Flood{"TextWithoutLineEnd", 0, std::string(4096, 'x'), true},
                                           Flood{"NoiseBeforeAFrame", 1, std::string(4096, 'n'), false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
