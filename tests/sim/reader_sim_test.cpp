#include <gtest/gtest.h>

#include <chrono>

#include "frame_codec.h"
#include "peer_client.h"
#include "platform/serial_device.h"
#include "reader_sim.h"

namespace {

using readersim::Faults;
using readersim::ReaderSim;
using readersim::Reply;
using readersim::ReplyFault;
using readersim::Request;
using simtest::PeerClient;

constexpr int kReplyTimeoutMs = 3000;

std::string bytes(std::initializer_list<int> values) {
  std::string out;
  for (int value : values) out.push_back(static_cast<char>(value));
  return out;
}

class SimTcp : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = sim_.StartTcp();
    ASSERT_NE(port_, 0);
    ASSERT_TRUE(client_.ConnectTcp(port_));
  }
  std::string ask(const std::string& line) {
    EXPECT_TRUE(client_.Send(line + "\r\n"));
    return client_.ReadLine(kReplyTimeoutMs);
  }
  ReaderSim sim_;
  uint16_t port_ = 0;
  PeerClient client_;
};

// ---- frame coding: the protocol's worked examples

TEST(FrameCodec, CrcCheckValue) { EXPECT_EQ(readersim::Crc16Kermit("123456789"), 0x2189); }

TEST(FrameCodec, WorkedRequestFrames) {
  EXPECT_EQ(readersim::BuildRequestFrame("X"), bytes({0x60, 0x00, 0x03, 0xDE, 0xCD, 0x58, 0x28}));
  EXPECT_EQ(readersim::BuildRequestFrame("V"), bytes({0x60, 0x00, 0x03, 0x37, 0xB3, 0x56, 0xB1}));
  EXPECT_EQ(readersim::BuildRequestFrame(""), bytes({0x60, 0x00, 0x02, 0x00, 0x00, 0x62}));
}

TEST(FrameCodec, ReplyFrameCountsEveryByte) {
  EXPECT_EQ(readersim::BuildReplyFrame("AB"), bytes({0x60, 0x00, 0x05, 'A', 'B'}));
}

// ---- lines

TEST(SimPty, VersionLineAnsweredAndRecorded) {
  ReaderSim sim;
  std::string slave = sim.StartPty();
  ASSERT_FALSE(slave.empty());
  PeerClient client;
  ASSERT_TRUE(client.OpenPty(slave));
  ASSERT_TRUE(client.Send("990\r\n"));
  EXPECT_EQ(client.ReadLine(kReplyTimeoutMs), "000SIM-READER 1.00\n");
  ASSERT_TRUE(sim.WaitForRequests(1, kReplyTimeoutMs));
  Request request = sim.Requests().at(0);
  EXPECT_FALSE(request.binary);
  EXPECT_EQ(request.line, "990");
  EXPECT_EQ(request.prefix, "990");
  EXPECT_EQ(request.connection, 0);
}

TEST(SimPty, ServesThePlatformSerialDevice) {
  ReaderSim sim;
  std::string slave = sim.StartPty();
  platform::SerialDevice port;
  ASSERT_TRUE(port.Open(slave));
  ASSERT_TRUE(port.Configure(platform::SerialSettings{}));
  const std::string line = "080B\r\n";
  ASSERT_TRUE(port.WriteAll(line.data(), line.size(), kReplyTimeoutMs));
  std::string reply;
  char byte = 0;
  while (reply.find('\n') == std::string::npos && platform::WaitReadable(port.Fd(), kReplyTimeoutMs) == 1 &&
         port.ReadSome(&byte, 1) == 1) {
    reply.push_back(byte);
  }
  EXPECT_EQ(reply, "000\n");
  EXPECT_EQ(sim.CardState().Norm(), 'B');
}

TEST_F(SimTcp, TrackWriteThenReadEchoesTrackCharacter) {
  EXPECT_EQ(ask("212;1234567890?"), "002\n");
  EXPECT_EQ(ask("202"), "002;1234567890?\n");
  EXPECT_EQ(sim_.CardState().Track(2), ";1234567890?");
  EXPECT_EQ(sim_.CardState().BitMemory(), ";1234567890?");
}

TEST_F(SimTcp, NormLineSetsCardNorm) {
  EXPECT_EQ(ask("080B"), "000\n");
  EXPECT_EQ(sim_.CardState().Norm(), 'B');
}

TEST_F(SimTcp, TablePrefixWithoutHandlerGetsPlainPositiveReply) {
  EXPECT_EQ(ask("170"), "000\n");
  EXPECT_EQ(ask("511"), "001\n");
}

TEST_F(SimTcp, LineWithoutPrefixIsUnidentified) {
  EXPECT_EQ(ask("xyz"), "05z\n");
  EXPECT_EQ(sim_.Requests().at(0).data, "xyz");
}

TEST_F(SimTcp, StatusOverrideLongestPrefixWins) {
  sim_.SetStatusFor("20", 19);
  sim_.SetStatusFor("203", 7);
  EXPECT_EQ(ask("201"), "191\n");
  EXPECT_EQ(ask("203"), "073\n");
  sim_.ClearStatusOverrides();
  EXPECT_EQ(ask("201"), "001\n");
}

TEST_F(SimTcp, HandlerReplacesBuiltInAndMayUseTheSimulator) {
  sim_.SetHandler("20", [this](const Request& request) {
    sim_.CardState().SetTrack(1, "seen");
    return readersim::TextReply(request, 0, "handled " + request.data);
  });
  EXPECT_EQ(ask("201"), "001handled 1\n");
  EXPECT_EQ(sim_.CardState().Track(1), "seen");
}

// ---- frames

TEST_F(SimTcp, GoodFrameAnsweredWithReplyFrame) {
  ASSERT_TRUE(client_.Send(readersim::BuildRequestFrame("X")));
  EXPECT_EQ(client_.ReadBytes(4, kReplyTimeoutMs), bytes({0x60, 0x00, 0x04, 'A'}));
  Request request = sim_.Requests().at(0);
  EXPECT_TRUE(request.binary);
  EXPECT_FALSE(request.frameError);
  EXPECT_EQ(request.data, "X");
}

TEST_F(SimTcp, FrameWithBadCheckByteIsRecordedAndRefused) {
  std::string frame = readersim::BuildRequestFrame("X");
  frame.back() ^= 0x01;
  ASSERT_TRUE(client_.Send(frame + "990\r\n"));
  EXPECT_EQ(client_.ReadBytes(4, kReplyTimeoutMs), bytes({0x60, 0x00, 0x04, 'E'}));
  EXPECT_EQ(client_.ReadLine(kReplyTimeoutMs), "000SIM-READER 1.00\n");
  EXPECT_TRUE(sim_.Requests().at(0).frameError);
}

TEST_F(SimTcp, FrameWithBadCrcIsRefused) {
  std::string frame = readersim::BuildRequestFrame("W1234");
  frame[4] ^= 0x40;
  frame.back() ^= 0x40;  // keep the check byte right, so only the CRC is wrong
  ASSERT_TRUE(client_.Send(frame));
  EXPECT_EQ(client_.ReadBytes(4, kReplyTimeoutMs), bytes({0x60, 0x00, 0x04, 'E'}));
}

TEST_F(SimTcp, LargeFrameCrossingReadsIsWhole) {
  std::string data(2053, 'w');
  data[0] = 'W';
  std::string seen;
  sim_.SetFrameHandler([&seen](const Request& request) {
    seen = request.data;
    return readersim::FrameReply("ok");
  });
  ASSERT_TRUE(client_.Send(readersim::BuildRequestFrame(data)));
  EXPECT_EQ(client_.ReadBytes(5, kReplyTimeoutMs), bytes({0x60, 0x00, 0x05, 'o', 'k'}));
  EXPECT_EQ(seen, data);
}

// ---- faults

TEST_F(SimTcp, SplitReplyArrivesWholeAfterTheGaps) {
  Faults faults;
  faults.splitPieces = 3;
  faults.splitGapMs = 40;
  sim_.SetFaults(faults);
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ask("990"), "000SIM-READER 1.00\n");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(80));
}

TEST_F(SimTcp, GarbageComesBeforeTheReply) {
  Faults faults;
  faults.garbageBefore = "\x01\x02";
  sim_.SetFaults(faults);
  EXPECT_EQ(ask("000"), "\x01\x02" "000\n");
}

TEST_F(SimTcp, SilentAnswersNothingButRecords) {
  Faults faults;
  faults.silent = true;
  sim_.SetFaults(faults);
  ASSERT_TRUE(client_.Send("990\r\n"));
  ASSERT_TRUE(sim_.WaitForRequests(1, kReplyTimeoutMs));
  EXPECT_EQ(client_.ReadLine(200), "");
}

TEST_F(SimTcp, DropConnectionClosesOnceThenServesANewClient) {
  Faults faults;
  faults.dropConnection = true;
  sim_.SetFaults(faults);
  ASSERT_TRUE(client_.Send("990\r\n"));
  EXPECT_TRUE(client_.WaitClosed(kReplyTimeoutMs));
  EXPECT_FALSE(sim_.GetFaults().dropConnection);

  PeerClient second;
  ASSERT_TRUE(second.ConnectTcp(port_));
  ASSERT_TRUE(second.Send("000\r\n"));
  EXPECT_EQ(second.ReadLine(kReplyTimeoutMs), "000\n");
  std::vector<Request> requests = sim_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].connection, 1);
  EXPECT_EQ(requests[1].connection, 2);
}

TEST_F(SimTcp, SendRawReachesAClientNotYetServed) {
  sim_.SendRaw("00x\n");
  EXPECT_EQ(client_.ReadLine(kReplyTimeoutMs), "00x\n");
}

TEST_F(SimTcp, WaitForRequestsTimesOut) { EXPECT_FALSE(sim_.WaitForRequests(1, 50)); }

// Each row arms its reply faults, sends "511" twice and "000" in one write on
// its link, and says what the peer receives and how long that takes at least.
struct ReplyFaultRow {
  const char* name;
  bool pty;
  std::vector<ReplyFault> faults;
  std::string received;
  int atLeastMs;
};

void PrintTo(const ReplyFaultRow& row, std::ostream* out) { *out << row.name; }

class SimReplyFaults : public ::testing::TestWithParam<ReplyFaultRow> {};

TEST_P(SimReplyFaults, PeerReceives) {
  const ReplyFaultRow& row = GetParam();
  ReaderSim sim;
  PeerClient client;
  ASSERT_TRUE(row.pty ? client.OpenPty(sim.StartPty()) : client.ConnectTcp(sim.StartTcp()));
  for (const ReplyFault& fault : row.faults) ASSERT_TRUE(sim.AddReplyFault(fault));
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(client.Send("511\r\n511\r\n000\r\n"));
  EXPECT_EQ(client.ReadBytes(row.received.size(), kReplyTimeoutMs), row.received);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(row.atLeastMs));
  EXPECT_TRUE(sim.WaitForRequests(3, kReplyTimeoutMs));
}

INSTANTIATE_TEST_SUITE_P(
    Links, SimReplyFaults,
    ::testing::ValuesIn(std::vector<ReplyFaultRow>{
        {"DropPty", true, {readersim::DropReply("51", 2)}, "001\n000\n", 0},
        {"DropTcp", false, {readersim::DropReply("51", 2)}, "001\n000\n", 0},
        {"LatePty", true, {readersim::LateReply("51", 1, 150)}, "001\n001\n000\n", 150},
        {"LateTcp", false, {readersim::LateReply("", 3, 150)}, "001\n001\n000\n", 150},
        {"ReplyTwicePty", true, {readersim::ExtraReply("51", 2)}, "001\n001\n001\n000\n", 0},
        {"ExtraLineTcp", false, {readersim::ExtraReply("51", 1, "00x")}, "001\n00x\n001\n000\n", 0},
        {"ExtraLineAfterAGapTcp", false, {readersim::ExtraReply("51", 1, "00x", 150)},
         "001\n00x\n001\n000\n", 150},
        {"SeveralTcp", false, {readersim::DropReply("51", 1), readersim::LateReply("00", 1, 150)},
         "001\n000\n", 150}}),
    [](const ::testing::TestParamInfo<ReplyFaultRow>& info) { return info.param.name; });

TEST(SimLifecycle, StopEndsADelayedReplyPromptly) {
  ReaderSim sim;
  uint16_t port = sim.StartTcp();
  Faults faults;
  faults.delayMs = 60000;
  sim.SetFaults(faults);
  PeerClient client;
  ASSERT_TRUE(client.ConnectTcp(port));
  ASSERT_TRUE(client.Send("990\r\n"));
  ASSERT_TRUE(sim.WaitForRequests(1, kReplyTimeoutMs));
  auto start = std::chrono::steady_clock::now();
  sim.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_TRUE(client.WaitClosed(kReplyTimeoutMs));
}

}  // namespace
