#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/event.h"

using platform::ManualResetEvent;
using Clock = std::chrono::steady_clock;

TEST(ManualResetEvent, StaysSetForEveryWaiterUntilReset) {
  ManualResetEvent event;
  EXPECT_FALSE(event.IsSet());
  event.Set();
  EXPECT_TRUE(event.Wait(0));
  EXPECT_TRUE(event.Wait(0));
  event.Reset();
  EXPECT_FALSE(event.IsSet());
  EXPECT_FALSE(event.Wait(0));
}

TEST(ManualResetEvent, WaitTimesOutWithinBound) {
  ManualResetEvent event;
  auto start = Clock::now();
  EXPECT_FALSE(event.Wait(100));
  auto elapsed = Clock::now() - start;
  EXPECT_GE(elapsed, std::chrono::milliseconds(95));
  EXPECT_LT(elapsed, std::chrono::seconds(5));
}

TEST(ManualResetEvent, SetFromAnotherThreadWakesWaiter) {
  ManualResetEvent event;
  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    event.Set();
  });
  EXPECT_TRUE(event.Wait(10000));
  setter.join();
}
