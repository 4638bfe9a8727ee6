// The link library against a peer that does not behave: one that streams
// without end, one that trickles, one that never reads.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

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

class HostilePeer : public ::testing::Test {
 protected:
  void SetUp() override {
    RecordBoxes();
    ASSERT_EQ(Connect_Ethernet("127.0.0.1", peer_.Port()), 1);
    ASSERT_TRUE(peer_.Accept());
  }
  void TearDown() override {
    peer_.StopStream();
    Closed_Ethernet();
    StopRecordingBoxes();
    RestoreTicks();
  }

  RawPeer peer_;
};

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

}  // namespace
