// Coder calls when the reader does not answer as it should: silence, a
// time-out status, an abort during a wait, a dropped connection, a reply that
// never ends, a link initialisation that is not answered.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <thread>
#include <tuple>

#include "driver_harness.h"
#include "platform/message_pump.h"
#include "platform/tick.h"

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
  for (int track : tracks) SetTrackText(record, track, "1");
  return record;
}

// TRKDRV32.h's bound for n tracks at a time-out of T s, 250 ms for the lines.
uint32_t callBoundMs(int seconds, int tracks) {
  return 4 * 2700 + tracks * (seconds * 1000 + 700) + 250;
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

// Lines for no track, sent without end, and silence to "080B": draining them
// before each line cannot stretch the call past its bound.
TEST_F(TcpFaultTest, ReaderThatNeverStopsSendingCannotHoldTheCall) {
  SpeedUpTime(5);
  h.lines.SetFault("080", silence());
  ASSERT_NE(h.Open(10), 0);
  Babbler babbler(h.sim, std::string(98, '9') + "\r\n");
  CoderRecord record = askTracks({});
  const uint32_t start = platform::TickCount();
  EXPECT_NE(ResultCode(MagCoder(h.Handle(), INIT_LINK, &record)), MRW_OK);
  EXPECT_LE(platform::TickCount() - start, callBoundMs(10, 0));
}

TEST_F(TcpFaultTest, InitLinkOnAnInitialisedSessionSendsNothing) {
  ASSERT_NE(h.Open(), 0);
  CoderRecord record = askTracks({});
  EXPECT_EQ(MagCoder(h.Handle(), INIT_LINK, &record), 0);
  EXPECT_EQ(MagCoder(h.Handle(), INIT_LINK, &record), 0);
  EXPECT_EQ(h.Lines(), (Lines{"080B"}));
}

// How the reader answers "080B" (a status, silence, how often), whether the
// host aborts once the line is out, the lines the call sends ("*": those of
// the asked tracks) and its result.
struct Script {
  const char* name;
  DriverLineFault init;
  bool abort;
  const char* wire;
  int32_t result;
};
void PrintTo(const Script& script, std::ostream* out) { *out << script.name; }

const Script kScripts[] = {
    {"Honest", {}, false, "080 *", 0},
    {"SilentOnce", {0, '\0', true, readersim::ReplyEnding::CrLf, 1}, false, "080 080 *", 0},
    {"Silent", silence(), false, "080 080", 0x10001},
    {"Status28ThreeTimes", {28, '\0', false, readersim::ReplyEnding::CrLf, 3}, false,
     "080 080 080 080 *", 0},
    {"Status28Storm", {28}, false, "080 080 080 080", 0x10001},
    {"Status27Storm", {27}, false, "080 080", 0x10001},
    {"AbortWhileSilent", silence(), true, "080 010", MRW_ABORTED},
};

std::atomic<int32_t> abortHandle{0};
readersim::ReaderSim* abortingSim = nullptr;
void abortOnceHeard() {
  if (abortHandle != 0 && !abortingSim->Requests().empty()) MagAbort(abortHandle.exchange(0));
}

std::string wire(const Lines& lines) {  // the lines' prefixes
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : " ") + line.substr(0, 3);
  return text;
}

// Link, script, time-out in seconds, command, tracks asked (1, or 1-3).
using Row = std::tuple<Link, Script, int, int, int>;

class LinkInitTable : public ::testing::TestWithParam<Row> {
 protected:
  void TearDown() override {
    platform::SetMessagePumpHook(nullptr);
    RestoreTicks();
  }
};

// Then the next call, with an honest reader, sends no "080B": it went out
// before, whatever its outcome.
TEST_P(LinkInitTable, HonestStepsAndTheCallBound) {
  const auto [link, script, seconds, command, tracks] = GetParam();
  DriverHarness h{link};
  // At a 1 s time-out the honest reader still gets half a second of real time.
  SpeedUpTime(seconds == 1 ? 2 : 5);
  h.lines.SetFault("080", script.init);
  for (int track = 1; track <= 3; ++track) h.LayIsoTrack(track, "1");
  const auto asked = [tracks = tracks] { return tracks == 1 ? askTracks({1}) : askTracks({1, 2, 3}); };
  const std::string trackLines = command == READ_CARD ? (tracks == 1 ? "221" : "181 202 223")
                                                      : (tracks == 1 ? "191" : "211 212 193");
  std::string expected = script.wire;
  if (expected.back() == '*') expected.replace(expected.size() - 1, 1, trackLines);
  ASSERT_NE(h.Open(seconds), 0);
  MagSetNonHalvikCard(h.Handle(), 1);  // track 3 in ISO characters too
  abortHandle = script.abort ? h.Handle() : 0;
  abortingSim = &h.sim;
  platform::SetMessagePumpHook(abortOnceHeard);

  CoderRecord record = asked();
  const uint32_t start = platform::TickCount();
  EXPECT_EQ(MagCoder(h.Handle(), command, &record), script.result);
  EXPECT_LE(platform::TickCount() - start, callBoundMs(seconds, tracks));
  const size_t sent = static_cast<size_t>(std::count(expected.begin(), expected.end(), ' ') + 1);
  EXPECT_EQ(wire(h.LinesOnceReceived(sent)), expected);

  h.lines.ClearFaults();
  record = asked();
  EXPECT_EQ(MagCoder(h.Handle(), command, &record), 0);
  EXPECT_EQ(wire(h.LinesAfter(sent)), trackLines);
}

INSTANTIATE_TEST_SUITE_P(
    Readers, LinkInitTable,
    ::testing::Combine(::testing::Values(Link::Pty, Link::Tcp), ::testing::ValuesIn(kScripts),
                       ::testing::Values(1, 2, 10), ::testing::Values(READ_CARD, WRITE_CARD),
                       ::testing::Values(1, 3)),
    [](const auto& info) {
      const Row& row = info.param;
      return LinkName(std::get<0>(row)) + std::get<1>(row).name + std::to_string(std::get<2>(row)) +
             "s" + (std::get<3>(row) == READ_CARD ? "Read" : "Write") +
             std::to_string(std::get<4>(row));
    });

}  // namespace
