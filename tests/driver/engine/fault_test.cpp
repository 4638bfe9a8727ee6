// Coder calls when the reader does not answer as it should: silence, a
// time-out status, an abort during a wait, a dropped connection, a reply that
// never ends, a link initialisation that is not answered.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "driver_harness.h"

namespace {

using Lines = std::vector<std::string>;
using readersim::DriverLineFault;

DriverLineFault silence() {
  DriverLineFault fault;
  fault.silent = true;
  return fault;
}

CoderRecord askTracks(std::initializer_list<int> tracks) {
  CoderRecord record = EmptyRecord();
  for (int track : tracks) SetTrackLength(record, track, 1);
  return record;
}

class FaultTest : public ::testing::TestWithParam<Link> {
 protected:
  DriverHarness h{GetParam()};
};

TEST_P(FaultTest, SilentTrack3InAReadIsATimeOut) {
  h.LayIsoTrack(1, "A");
  h.lines.SetFault("223", silence());
  ASSERT_NE(h.Open(1), 0);
  CoderRecord record = askTracks({1, 3});
  EXPECT_EQ(MagCoder(h.Handle(), READ_CARD, &record), 0x10021);
  EXPECT_EQ(h.LinesOnceReceived(4), (Lines{"080B", "181", "223", "000"}));
  EXPECT_EQ(TrackText(record, 1), "A");
}

TEST_P(FaultTest, AbortFromAnotherThreadEndsTheCallAfterTheCancelLine) {
  h.lines.SetFault("223", silence());
  ASSERT_NE(h.Open(60), 0);
  CoderRecord record = askTracks({3});
  std::future<int32_t> call = std::async(std::launch::async, [&] {
    return MagCoder(h.Handle(), READ_CARD, &record);
  });
  ASSERT_TRUE(h.sim.WaitForRequests(2, 10000));  // "080B", then the read line
  EXPECT_EQ(MagAbort(h.Handle()), 0);
  ASSERT_EQ(call.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(ResultCode(call.get()), MRW_ABORTED);
  EXPECT_EQ(h.LinesOnceReceived(3), (Lines{"080B", "223", "010"}));

  // The abort was consumed: the next call runs normally.
  h.lines.ClearFaults();
  h.LayIsoTrack(1, "B");
  record = askTracks({1});
  EXPECT_EQ(MagCoder(h.Handle(), READ_CARD, &record), 0);
}

INSTANTIATE_TEST_SUITE_P(Links, FaultTest, ::testing::Values(Link::Pty, Link::Tcp),
                         [](const auto& info) { return LinkName(info.param); });

class TcpFaultTest : public ::testing::Test {
 protected:
  void TearDown() override { RestoreTicks(); }
  DriverHarness h{Link::Tcp};
};

TEST_F(TcpFaultTest, Status29IsHandledAsATimeOut) {
  DriverLineFault status29;
  status29.status = 29;
  h.lines.SetFault("221", status29);
  ASSERT_NE(h.Open(), 0);
  CoderRecord record = askTracks({1});
  EXPECT_EQ(MagCoder(h.Handle(), READ_CARD, &record), 0x10021);
  EXPECT_EQ(h.LinesOnceReceived(3), (Lines{"080B", "221", "000"}));
}

TEST_F(TcpFaultTest, AReaderAnsweringWithTheMachinesOwnEventsCannotNestItForever) {
  // Statuses 27 and 28 are also the write and read events: each such reply
  // starts that action again from inside the wait.
  DriverLineFault status28;
  status28.status = 28;
  for (const char* line : {"080", "181", "221", "000"}) h.lines.SetFault(line, status28);
  ASSERT_NE(h.Open(1), 0);
  CoderRecord record = askTracks({1});
  std::future<int32_t> call = std::async(std::launch::async, [&] {
    return MagCoder(h.Handle(), READ_CARD, &record);
  });
  ASSERT_EQ(call.wait_for(std::chrono::milliseconds(1000 + 2000 + 700)), std::future_status::ready)
      << "the call nests without end";
  EXPECT_NE(ResultCode(call.get()), MRW_OK);
  EXPECT_EQ(record.len1, 1);  // nothing delivered
}

// A reader that follows track 1's reply with empty lines.
TEST_F(TcpFaultTest, LinesNamingNoTrackCannotHoldTheCall) {
  h.sim.SetHandler("181", [](const readersim::Request&) {
    return readersim::RawReply("051\r\n" + std::string(10000, '\n'));
  });
  ASSERT_NE(h.Open(1), 0);
  CoderRecord record = askTracks({1, 2});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ResultCode(MagCoder(h.Handle(), READ_CARD, &record)), MRW_TIMEOUT);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000 + 2000 + 700));
}

TEST_F(TcpFaultTest, DroppedConnectionDoesNotCountAsRead) {
  h.LayIsoTrack(1, "A");
  ASSERT_NE(h.Open(), 0);
  CoderRecord record = askTracks({});
  ASSERT_EQ(MagCoder(h.Handle(), INIT_LINK, &record), 0);
  readersim::Faults drop;
  drop.dropConnection = true;
  h.sim.SetFaults(drop);
  record = askTracks({1});
  const int32_t result = MagCoder(h.Handle(), READ_CARD, &record);
  EXPECT_EQ(ResultCode(result), MRW_ALLFAILED);
  EXPECT_EQ(LastResultOf(result), MRW_COMMERROR);
  EXPECT_EQ(record.len1, 1);  // nothing delivered
}

TEST_F(TcpFaultTest, ReplyThatNeverEndsFailsTheTrack) {
  ASSERT_NE(h.Open(), 0);
  h.sim.SetHandler("221", [](const readersim::Request&) {
    return readersim::RawReply("001" + std::string(1200, '1'));
  });
  CoderRecord record = askTracks({1});
  const int32_t result = MagCoder(h.Handle(), READ_CARD, &record);
  EXPECT_EQ(ResultCode(result), MRW_ALLFAILED);
  EXPECT_EQ(LastResultOf(result), MRW_RECEIVEERROR);
}

TEST_F(TcpFaultTest, ReaderThatNeverStopsSendingCannotHoldTheCall) {
  ASSERT_NE(h.Open(1), 0);
  CoderRecord init = askTracks({});
  ASSERT_EQ(MagCoder(h.Handle(), INIT_LINK, &init), 0);
  auto babbler = std::make_unique<Babbler>(h.sim);
  CoderRecord record = askTracks({1});
  std::future<int32_t> call = std::async(std::launch::async, [&] {
    return MagCoder(h.Handle(), READ_CARD, &record);
  });
  const bool ended = call.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
  babbler.reset();
  ASSERT_TRUE(ended);
  EXPECT_NE(ResultCode(call.get()), MRW_OK);
}

TEST_F(TcpFaultTest, UnansweredLinkInitialisationIsTriedTwice) {
  SpeedUpTicks(8);  // the 2000 ms waits pass in a quarter of a second
  h.lines.SetFault("080", silence());
  ASSERT_NE(h.Open(), 0);
  CoderRecord record = askTracks({1});
  EXPECT_EQ(MagCoder(h.Handle(), READ_CARD, &record), 0x10001);
  EXPECT_EQ(h.Lines(), (Lines{"080B", "080B"}));
}

TEST_F(TcpFaultTest, InitLinkOnAnInitialisedSessionSendsNothing) {
  ASSERT_NE(h.Open(), 0);
  CoderRecord record = askTracks({});
  EXPECT_EQ(MagCoder(h.Handle(), INIT_LINK, &record), 0);
  EXPECT_EQ(MagCoder(h.Handle(), INIT_LINK, &record), 0);
  EXPECT_EQ(h.Lines(), (Lines{"080B"}));
}

}  // namespace
