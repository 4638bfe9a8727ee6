// The link library against a peer that does not behave: one that streams
// without end, one that trickles, one that never reads.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <vector>

#include "ZUV_ETHERNET.h"
#include "link_test_support.h"
#include "raw_peer.h"

namespace {

using namespace linktest;
using Clock = std::chrono::steady_clock;

// Long enough that a receive which does not keep its bound stays inside the
// stream and is seen to take far longer than kPromptMs.
constexpr int kStreamLimitMs = 8000;
constexpr auto kPromptMs = std::chrono::milliseconds(3000);

using HostilePeer = ConnectedToRawPeer;

struct EndlessLine {
  const char* name;
  std::string chunk;  // written again and again, never an LF
  int pauseMs;
};

void PrintTo(const EndlessLine& line, std::ostream* out) { *out << line.name; }

class ReceiveBound : public HostilePeer, public ::testing::WithParamInterface<EndlessLine> {};

TEST_P(ReceiveBound, LineThatNeverEndsEndsAtTheBound) {
  peer_.StartStream(GetParam().chunk, GetParam().pauseMs, kStreamLimitMs);
  RaceTicks();
  const auto start = Clock::now();
  EXPECT_EQ(Receive().result, -3);
  EXPECT_LT(Clock::now() - start, kPromptMs) << "the bound waited for the stream to stop";
  // 90000 ms at 5000 ms per reading: the bound was not cut short.
  EXPECT_GE(TicksRead(), 90000u);
  EXPECT_TRUE(ShownBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(Peers, ReceiveBound,
                         ::testing::Values(EndlessLine{"Flood", std::string(65536, 'x'), 0},
                                           EndlessLine{"Trickle", "x", 5}),
                         [](const auto& info) { return std::string(info.param.name); });

struct UnreadCommands {
  const char* name;
  size_t commandSize;
  int maxSends;                     // sends until one does not give 1
  int32_t lastResult;               // what that send gave
  std::vector<std::string> boxes;
};

void PrintTo(const UnreadCommands& commands, std::ostream* out) { *out << commands.name; }

class SendBound : public HostilePeer, public ::testing::WithParamInterface<UnreadCommands> {};

TEST_P(SendBound, PeerThatNeverReadsCannotHoldTheSend) {
  const UnreadCommands& param = GetParam();
  const std::string command(param.commandSize, 'c');
  RaceTicks();
  std::future<int32_t> sending = std::async(std::launch::async, [&] {
    int32_t result = 1;
    for (int i = 0; i < param.maxSends && result == 1; ++i) result = Send(command);
    return result;
  });
  const bool bounded = sending.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  // A send that is not bounded is freed by reading what it sent.
  if (!bounded) peer_.DrainUntil([&] { return sending.wait_for(std::chrono::seconds(0)) == std::future_status::ready; });
  EXPECT_TRUE(bounded) << "the send waited for the peer to read";
  EXPECT_EQ(sending.get(), param.lastResult);
  EXPECT_EQ(ShownBoxes(), param.boxes);
  EXPECT_TRUE(peer_.Accept()) << "the failed send reconnected";
}

INSTANTIATE_TEST_SUITE_P(
    Peers, SendBound,
    ::testing::Values(
        // The connection fills up; the command goes out on a new one.
        UnreadCommands{"CommandsFillTheConnection", 4096, 16384, 4096, {}},
        // No connection holds the command: both sends stall.
        UnreadCommands{"CommandLargerThanAConnectionHolds", 64u << 20, 1, -1,
                       {"send() sent a different number bytes than expected"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
