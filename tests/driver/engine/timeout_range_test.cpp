// Reply time-outs outside the range the driver can wait for: too long to be
// counted in milliseconds, or negative. Each must still give a deadline ahead
// of the tick count and an input flush that ends.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <future>
#include <string>
#include <thread>

#include "driver_harness.h"

namespace {

class TimeoutRange : public ::testing::TestWithParam<int> {
 protected:
  void TearDown() override { RestoreTicks(); }
  DriverHarness h{Link::Tcp};
};

CoderRecord askTrack1() {
  CoderRecord record = EmptyRecord();
  SetTrackLength(record, 1, 1);
  return record;
}

TEST_P(TimeoutRange, ReplyIsAwaited) {
  h.LayIsoTrack(1, "A");
  ASSERT_NE(h.Open(GetParam()), 0);
  CoderRecord record = askTrack1();
  EXPECT_EQ(MagCoder(h.Handle(), READ_CARD, &record), 0) << "the deadline lay in the past";
  EXPECT_EQ(TrackText(record, 1), "A");
}

TEST_P(TimeoutRange, ReaderThatNeverStopsSendingIsFlushedWithinTheLongestTimeout) {
  ASSERT_NE(h.Open(GetParam()), 0);
  CoderRecord init = EmptyRecord();
  ASSERT_EQ(MagCoder(h.Handle(), INIT_LINK, &init), 0);
  auto babbler = std::make_unique<Babbler>(h.sim);
  // An hour of ticks passes in 36 ms; the 49 days of a wrapped time-out
  // would take 43 s.
  SpeedUpTicks(100000);
  CoderRecord record = askTrack1();
  std::future<int32_t> call = std::async(std::launch::async, [&] {
    return MagCoder(h.Handle(), READ_CARD, &record);
  });
  const bool ended = call.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  if (!ended) MagAbort(h.Handle());  // the flush also ends on an abort
  const int32_t result = call.get();
  babbler.reset();
  EXPECT_TRUE(ended) << "the input flush had no usable bound";
  EXPECT_NE(ResultCode(result), MRW_OK);
}

INSTANTIATE_TEST_SUITE_P(Seconds, TimeoutRange, ::testing::Values(-1, INT_MIN, 2147484, INT_MAX),
                         [](const auto& info) {
                           const int seconds = info.param;
                           return seconds < 0 ? "Minus" + std::to_string(-static_cast<long long>(seconds))
                                              : std::to_string(seconds);
                         });

}  // namespace
