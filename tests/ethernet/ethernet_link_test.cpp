// The link library through its exports, against the simulator on loopback.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ZUV_ETHERNET.h"
#include "link_test_support.h"
#include "reader_sim.h"

namespace {

using readersim::Faults;
using readersim::ReaderSim;
using readersim::Request;
using namespace linktest;

constexpr int kWaitMs = 3000;

class EthernetLink : public ::testing::Test {
 protected:
  void SetUp() override {
    RecordBoxes();
    port_ = sim_.StartTcp();
    ASSERT_NE(port_, 0);
  }
  void TearDown() override {
    Closed_Ethernet();
    StopRecordingBoxes();
    RestoreTicks();
  }

  void connect() { ASSERT_EQ(Connect_Ethernet("127.0.0.1", port_), 1); }
  int32_t send(const std::string& text) { return Send(text); }
  // Answers every "000" line with exactly `bytes`.
  void answerWith(const std::string& bytes) {
    sim_.SetHandler("000", [bytes](const Request&) { return readersim::RawReply(bytes); });
  }
  Received receive() { return Receive(); }

  // Has the simulator drop the connection after the next request, sends one
  // and expects EthernetReceive to give -3 without waiting for a bound.
  void expectPromptMinusThreeWhenThePeerDrops() {
    Faults faults;
    faults.dropConnection = true;
    sim_.SetFaults(faults);
    send("000\r\n");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(receive().result, -3);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  }

  ReaderSim sim_;
  uint16_t port_ = 0;
};

// ---- lines

TEST_F(EthernetLink, TenByteLineComesBackWithCrLf) {
  connect();
  answerWith("00012345\r\n");
  EXPECT_EQ(send("000\r\n"), 1);
  Received got = receive();
  EXPECT_EQ(got.result, 1);
  EXPECT_EQ(got.line, "00012345\r\n");
  ASSERT_TRUE(sim_.WaitForRequests(1, kWaitMs));
  EXPECT_EQ(sim_.Requests()[0].line, "000");
}

TEST_F(EthernetLink, TwoLinesArrivingTogetherComeOnePerCall) {
  connect();
  answerWith("001first\n002second\r\n");
  EXPECT_EQ(send("000\r\n"), 1);
  EXPECT_EQ(receive().line, "001first\n");
  EXPECT_EQ(receive().line, "002second\r\n");
}

TEST_F(EthernetLink, LineFillingTheBufferExactlyIsReceived) {
  connect();
  std::string line = std::string(1023, 'x') + "\n";
  answerWith(line);
  send("000\r\n");
  Received got = receive();
  EXPECT_EQ(got.result, 1);
  EXPECT_EQ(got.line, line);
}

TEST_F(EthernetLink, OverlongLineIsRefusedAndTheNextLineIsWhole) {
  connect();
  answerWith(std::string(1024, 'x') + "\n000ok\r\n");
  send("000\r\n");
  EXPECT_EQ(receive().result, -1);
  Received next = receive();
  EXPECT_EQ(next.result, 1);
  EXPECT_EQ(next.line, "000ok\r\n");
  EXPECT_TRUE(ShownBoxes().empty());
}

// One line more than asked, sent apart 5 ms after a reply (the reader's stack
// holds it until the reply is acknowledged), each next command 2 ms after its
// reply: it costs one reply at most, not those of all later commands.
TEST_F(EthernetLink, ExtraLineSentApartCostsAtMostOneReply) {
  connect();
  sim_.SetHandler("000", [](const Request& r) { return readersim::RawReply(r.line + "\n"); });
  ASSERT_TRUE(sim_.AddReplyFault(readersim::ExtraReply("000", 3, "00x", 5)));
  int otherLines = 0;
  for (int i = 0; i < 50; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(2))) {
    send("000" + std::to_string(i) + "\r\n");
    otherLines += receive().line != "000" + std::to_string(i) + "\n";
  }
  EXPECT_LE(otherLines, 1);
}

// ---- ending conditions

TEST_F(EthernetLink, PeerClosingBeforeAnyByteGivesMinusThreePromptly) {
  connect();
  expectPromptMinusThreeWhenThePeerDrops();
  EXPECT_TRUE(ShownBoxes().empty());
}

TEST_F(EthernetLink, PeerClosingMidLineDropsThePart) {
  connect();
  sim_.SendRaw("001part");
  expectPromptMinusThreeWhenThePeerDrops();
}

TEST_F(EthernetLink, SilentPeerEndsAtTheBoundOfTheTickCount) {
  connect();
  Faults faults;
  faults.silent = true;
  sim_.SetFaults(faults);
  RaceTicks();
  send("000\r\n");
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(receive().result, -3);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  // 90000 ms at 5000 ms per reading: the bound was not cut short.
  const uint32_t atBound = TicksRead();
  EXPECT_GE(atBound, 90000u);
  // Reading on for the same command waits no second bound.
  EXPECT_EQ(receive().result, -3);
  EXPECT_LE(TicksRead() - atBound, 2 * 5000u);
  EXPECT_TRUE(ShownBoxes().empty());
}

TEST_F(EthernetLink, ReceiveOnAClosedLinkReportsTheFailure) {
  connect();
  ASSERT_EQ(Closed_Ethernet(), 0);
  EXPECT_EQ(receive().result, -1);
  EXPECT_EQ(ShownBoxes(), std::vector<std::string>{"EthernetReceive failed"});
}

// ---- connect, close, reconnect

TEST_F(EthernetLink, SendAfterCloseReconnectsToTheRememberedPeer) {
  connect();
  answerWith("000\n");
  ASSERT_EQ(Closed_Ethernet(), 0);
  EXPECT_EQ(send("000\r\n"), 5);
  EXPECT_EQ(receive().line, "000\n");
  ASSERT_TRUE(sim_.WaitForRequests(1, kWaitMs));
  EXPECT_EQ(sim_.Requests()[0].connection, 2);
  EXPECT_TRUE(ShownBoxes().empty());
}

TEST_F(EthernetLink, SendFailingAfterReconnectReportsBoth) {
  connect();
  ASSERT_EQ(Closed_Ethernet(), 0);
  sim_.Stop();
  EXPECT_EQ(send("000\r\n"), -1);
  std::vector<std::string> expected{"connect() failed", "send() sent a different number bytes than expected"};
  EXPECT_EQ(ShownBoxes(), expected);
}

// An address whose backlog of one is full leaves the reconnect's SYNs unanswered.
TEST_F(EthernetLink, UnansweredReconnectFailsTheSendAtItsBound) {
  LoopbackListener gone("127.0.0.1", 0);
  ASSERT_EQ(Connect_Ethernet("127.0.0.1", gone.Port()), 1);  // fills the backlog
  Closed_Ethernet();
  RaceTicks();
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(send("000\r\n"), -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(ShownBoxes().size(), 2u);  // "connect() failed", then the send's
}

TEST_F(EthernetLink, CloseWithoutSocketGivesMinusOneSilently) {
  EXPECT_EQ(Closed_Ethernet(), -1);
  connect();
  EXPECT_EQ(Closed_Ethernet(), 0);
  EXPECT_EQ(Closed_Ethernet(), -1);
  EXPECT_TRUE(ShownBoxes().empty());
}

TEST_F(EthernetLink, NonDottedAddressFailsToConnect) {
  for (const char* address : {"localhost", ""}) {
    SCOPED_TRACE(address);
    RecordBoxes();
    EXPECT_EQ(Connect_Ethernet(address, port_), 0);
    EXPECT_EQ(ShownBoxes(), std::vector<std::string>{"connect() failed"});
  }
  EXPECT_EQ(sim_.Requests().size(), 0u);
}

TEST_F(EthernetLink, PortUsesItsLowSixteenBits) {
  ReaderSim onLowBits;
  if (onLowBits.StartTcp(4464) == 0) GTEST_SKIP() << "port 4464 is in use on this machine";
  ASSERT_EQ(Connect_Ethernet("127.0.0.1", 70000), 1);
  EXPECT_EQ(send("990\r\n"), 1);
  EXPECT_EQ(receive().line, "000SIM-READER 1.00\n");
  EXPECT_TRUE(onLowBits.WaitForRequests(1, kWaitMs));
}

TEST_F(EthernetLink, RefusedConnectReportsAndReturnsZero) {
  ReaderSim closedPeer;
  uint16_t unusedPort = closedPeer.StartTcp();
  closedPeer.Stop();  // nothing listens there any more
  EXPECT_EQ(Connect_Ethernet("127.0.0.1", unusedPort), 0);
  EXPECT_EQ(ShownBoxes(), std::vector<std::string>{"connect() failed"});
}

}  // namespace
