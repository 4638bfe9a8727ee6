#include <gtest/gtest.h>

#include "platform/tick.h"

namespace {
uint32_t fakeNow = 0;
uint32_t fakeTick() { return fakeNow; }

struct FakeClock : ::testing::Test {
  void SetUp() override { platform::SetTickSource(fakeTick); }
  void TearDown() override { platform::SetTickSource(nullptr); }
};
}  // namespace

TEST_F(FakeClock, TicksLeftCountsDownAndStopsAtZero) {
  fakeNow = 1000;
  EXPECT_EQ(platform::TicksLeft(1000, 500), 500u);
  fakeNow = 1499;
  EXPECT_EQ(platform::TicksLeft(1000, 500), 1u);
  fakeNow = 1500;
  EXPECT_EQ(platform::TicksLeft(1000, 500), 0u);
  fakeNow = 90000;
  EXPECT_EQ(platform::TicksLeft(1000, 500), 0u);
}

TEST_F(FakeClock, TicksLeftSurvivesWrapAround) {
  uint32_t start = 0xFFFFFF00u;
  fakeNow = 0x00000010u;  // 0x110 ms after start, across the wrap
  EXPECT_EQ(platform::TicksLeft(start, 1000), 1000u - 0x110u);
}

TEST(Tick, RealClockAdvances) {
  uint32_t first = platform::TickCount();
  platform::SleepMs(20);
  uint32_t elapsed = platform::TickCount() - first;
  EXPECT_GE(elapsed, 19u);
  EXPECT_LT(elapsed, 5000u);
}

TEST(Tick, ReplacedSleepRunsInsteadOfWaiting) {
  static uint32_t slept = 0;
  platform::SetSleepFunction([](uint32_t ms) { slept += ms; });
  const uint32_t first = platform::TickCount();
  platform::SleepMs(60000);
  platform::SleepMs(500);
  platform::SetSleepFunction(nullptr);
  EXPECT_EQ(slept, 60500u);
  EXPECT_LT(platform::TickCount() - first, 5000u);
  platform::SleepMs(20);
  EXPECT_EQ(slept, 60500u);
}

namespace {
uint32_t pacedMs = 0;
void recordPause(uint32_t ms) { pacedMs += ms; }
}  // namespace

TEST(Tick, PacingSleepGoesThroughTheInstalledFunctionUntilRestored) {
  platform::SetPacingSleep(recordPause);
  const uint32_t first = platform::TickCount();
  platform::PacingSleep(500);
  platform::PacingSleep(2500);
  EXPECT_EQ(pacedMs, 3000u);
  EXPECT_LT(platform::TickCount() - first, 500u) << "no real pause while replaced";

  platform::SetPacingSleep(nullptr);
  platform::PacingSleep(20);
  EXPECT_EQ(pacedMs, 3000u);
  EXPECT_GE(platform::TickCount() - first, 19u);
}
