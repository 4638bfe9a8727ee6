// The TCP/IP transport against the reader simulator and loopback sockets.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "TRKDRV32.h"
#include "loopback_listener.h"
#include "net_transport.h"
#include "platform/message_pump.h"
#include "platform/tick.h"
#include "reader_sim.h"
#include "session.h"

namespace {

constexpr int kWaitMs = 5000;

int64_t msSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

readersim::Reply plainReply(const readersim::Request&) {
  readersim::Reply reply;
  reply.echo = '0';
  return reply;
}

class NetTransportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim_.SetHandler("080", plainReply);
    port_ = sim_.StartTcp();
    ASSERT_NE(port_, 0);
    session_->sock = -1;
  }
  void TearDown() override {
    if (session_->sock >= 0) NetClose(session_.get());
    platform::SetTickSource(nullptr);
  }
  // Receives until `wanted` is in the reply or the wait is over.
  std::string receiveUntil(char wanted) {
    std::string reply;
    const auto start = std::chrono::steady_clock::now();
    while (reply.find(wanted) == std::string::npos && msSince(start) < kWaitMs) {
      char buffer[64];
      const int count = NetReceive(session_.get(), buffer, sizeof buffer);
      if (count < 0) break;
      reply.append(buffer, static_cast<size_t>(count));
      if (count == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return reply;
  }

  readersim::ReaderSim sim_;
  uint16_t port_ = 0;
  std::unique_ptr<SessionRecord> session_ = NewSessionRecord();
};

TEST_F(NetTransportTest, ALineAndItsReplyOverADottedAddress) {
  ASSERT_EQ(NetOpenConn(session_.get(), "127.0.0.1", port_, 10), 1);
  EXPECT_GE(session_->sock, 0);
  ASSERT_EQ(NetSend(session_.get(), "080B\r\n", 6), 1);
  ASSERT_TRUE(sim_.WaitForRequests(1, kWaitMs));
  EXPECT_EQ(sim_.Requests().at(0).line, "080B");
  EXPECT_EQ(receiveUntil('\n').substr(0, 3), "000");
  EXPECT_EQ(NetCheckAborted(session_.get()), 0);
}

// The loopback network holds every 127.x.y.z, so listeners there show which
// address a host text was read as.
TEST_F(NetTransportTest, MissingFieldsOfADottedAddressAreZero) {
  LoopbackListener network("127.0.0.0");
  ASSERT_EQ(NetOpenConn(session_.get(), "127.0.0", network.Port(), 10), 1);
  EXPECT_GE(network.Accept(kWaitMs), 0);
}

TEST_F(NetTransportTest, AddressFieldsAreTakenModulo256) {
  LoopbackListener listener("127.0.0.44");
  ASSERT_EQ(NetOpenConn(session_.get(), "127.0.0.300", listener.Port(), 10), 1);
  EXPECT_GE(listener.Accept(kWaitMs), 0);
}

// An empty text or "0" reads as 0.0.0.0, which names no reader; it must not
// reach a listener on this machine (a connect to it would land on 127.0.0.1).
TEST_F(NetTransportTest, TheAnyAddressIsRefused) {
  LoopbackListener listener;
  for (const char* host : {"", "0", "0.0.0.0"}) {
    EXPECT_EQ(NetOpenConn(session_.get(), host, listener.Port(), 10), 0) << '"' << host << '"';
    EXPECT_EQ(session_->sock, -1);
  }
  EXPECT_EQ(listener.Accept(0), -1);
}

TEST_F(NetTransportTest, NothingWaitingIsZeroNotFailure) {
  ASSERT_EQ(NetOpenConn(session_.get(), "127.0.0.1", port_, 10), 1);
  char buffer[16];
  EXPECT_EQ(NetReceive(session_.get(), buffer, sizeof buffer), 0);
  EXPECT_EQ(NetReceive(session_.get(), buffer, 0), 0);
}

TEST_F(NetTransportTest, HostNamesAreLookedUp) {
  ASSERT_EQ(NetOpenConn(session_.get(), "localhost", port_, 10), 1);
  ASSERT_EQ(NetSend(session_.get(), "080B\r\n", 6), 1);
  EXPECT_TRUE(sim_.WaitForRequests(1, kWaitMs));
}

TEST_F(NetTransportTest, AConnectRefusedFails) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(NetOpenConn(session_.get(), "127.0.0.1", UnusedLoopbackPort(), 10), 0);
  EXPECT_EQ(session_->sock, -1);
  EXPECT_LT(msSince(start), 9000) << "the refusal is known at once";
}

uint32_t fastTicks() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() * 50);
}

TEST_F(NetTransportTest, AConnectNobodyAnswersFailsAfterTheTimeOut) {
  // A listener whose backlog is full drops further connection requests.
  int full = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(full, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(getsockname(full, reinterpret_cast<sockaddr*>(&address), &length), 0);
  ASSERT_EQ(listen(full, 0), 0);
  int filler = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_EQ(connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

  platform::SetTickSource(fastTicks);  // ten seconds pass in 200 ms
  const uint32_t startTick = platform::TickCount();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(NetOpenConn(session_.get(), "127.0.0.1", ntohs(address.sin_port), 10), 0);
  EXPECT_GE(platform::TickCount() - startTick, 10000u);
  EXPECT_LT(msSince(start), 5000);
  EXPECT_EQ(session_->sock, -1);
  close(filler);
  close(full);
}

int pumps = 0;
void countPump() { ++pumps; }

TEST_F(NetTransportTest, ASendTheSocketCannotTakeAtOnceWaitsAndPumps) {
  LoopbackListener listener;
  ASSERT_EQ(NetOpenConn(session_.get(), "127.0.0.1", listener.Port(), 10), 1);
  const int peer = listener.Accept(kWaitMs);
  ASSERT_GE(peer, 0);
  const std::string data(8 << 20, 'd');
  std::string received;
  std::thread reader([&] {
    char buffer[65536];
    while (received.size() < data.size()) {
      ssize_t n = recv(peer, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      received.append(buffer, static_cast<size_t>(n));
    }
  });
  platform::SetMessagePumpHook(countPump);
  pumps = 0;
  EXPECT_EQ(NetSend(session_.get(), data.data(), static_cast<int>(data.size())), 1);
  platform::SetMessagePumpHook(nullptr);
  reader.join();
  EXPECT_GT(pumps, 0);
  EXPECT_EQ(received.size(), data.size());
  close(peer);
}

TEST_F(NetTransportTest, ASessionWithoutASocketCannotSend) {
  EXPECT_EQ(NetSend(session_.get(), "080B\r\n", 6), 0);
  EXPECT_EQ(NetCheckAborted(session_.get()), 1);
}

TEST_F(NetTransportTest, AClosedConnectionIsReportedLost) {
  LoopbackListener listener;
  ASSERT_EQ(NetOpenConn(session_.get(), "127.0.0.1", listener.Port(), 10), 1);
  const int peer = listener.Accept(kWaitMs);
  ASSERT_GE(peer, 0);
  close(peer);
  EXPECT_EQ(receiveUntil('\n'), "");
  char buffer[8];
  EXPECT_EQ(NetReceive(session_.get(), buffer, sizeof buffer), -1) << "the reader closed the connection";
  // Bytes sent to a closed peer are answered with a reset.
  NetSend(session_.get(), "000\r\n", 5);
  const auto start = std::chrono::steady_clock::now();
  while (NetCheckAborted(session_.get()) == 0 && msSince(start) < kWaitMs) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(NetCheckAborted(session_.get()), 1);
}

TEST_F(NetTransportTest, TcpSessionOpenAndClose) {
  const int32_t handle = MagTcpIpOpen("127.0.0.1", port_, 0, 4);
  ASSERT_GT(handle, 0);
  SessionRecord* session = FindSession(handle);
  EXPECT_EQ(session->isTcp, 1);
  EXPECT_EQ(session->tcpPort, port_);
  EXPECT_EQ(session->timeoutMs, 4000);
  EXPECT_EQ(session->portIndex, 0);
  EXPECT_EQ(NetSend(session, "080B\r\n", 6), 1);
  EXPECT_TRUE(sim_.WaitForRequests(1, kWaitMs));
  EXPECT_EQ(MagClose(handle), MRW_OK);
  EXPECT_EQ(MagTcpIpOpen("127.0.0.1", UnusedLoopbackPort(), 0, 4), 0);
}

}  // namespace
