// The driver's serial layer over pseudo-terminals: port objects, chunked
// sending, receiving what is queued, draining, the abort flag, and a line
// exchange with the reader simulator.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "TRKDRV32.h"
#include "platform/message_pump.h"
#include "pseudo_terminal.h"
#include "reader_sim.h"
#include "serial_port.h"
#include "session.h"

namespace {

constexpr int32_t k9600EightNoneOne = 0xE3;
constexpr int kWaitMs = 5000;

int64_t msSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override { MapComPort(1, pty_.SlavePath()); }
  void TearDown() override {
    platform::SetMessagePumpHook(nullptr);
    if (port_) w1632_SioDestroy(port_);
  }
  SioHandle openPort0() {
    port_ = w1632_SioCreate(4096, 256);
    EXPECT_NE(port_, 0);
    EXPECT_EQ(w1632_SioOpen(port_, 0, k9600EightNoneOne, 0), 0);
    return port_;
  }
  // Receives until something came or the wait is over.
  int32_t receiveSome(char* buffer, int32_t size) {
    const auto start = std::chrono::steady_clock::now();
    int32_t flags = -1;
    int32_t count = 0;
    while ((count = w1632_SioReceive(port_, buffer, size, &flags)) == 0 && msSince(start) < kWaitMs) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return count;
  }

  PseudoTerminal pty_;
  SioHandle port_ = 0;
};

TEST_F(SerialPortTest, PortObjectLifecycle) {
  const SioHandle port = openPort0();
  EXPECT_EQ(w1632_SioOpen(port, 0, k9600EightNoneOne, 0), SIO_ERR_ALREADY_OPEN);
  EXPECT_EQ(w1632_SioClose(port), 0);
  EXPECT_EQ(w1632_SioClose(port), SIO_ERR_NOT_OPEN);
  int32_t flags = -7;
  EXPECT_EQ(w1632_SioSend(port, "x", 1, &flags), SIO_ERR_NOT_OPEN);
  EXPECT_EQ(flags, -7);
  char buffer[4];
  EXPECT_EQ(w1632_SioReceive(port, buffer, 4, &flags), SIO_ERR_NOT_OPEN);
  EXPECT_EQ(flags, 0);
  EXPECT_EQ(w1632_SioDrain(port), SIO_ERR_NOT_OPEN);
  int32_t status = 0;
  EXPECT_EQ(w1632_SioModemStatus(port, &status), SIO_ERR_NOT_OPEN);
  EXPECT_EQ(w1632_SioSetAbort(port, nullptr), 0) << "allowed while closed";
  EXPECT_EQ(w1632_SioOpen(port, 0, k9600EightNoneOne, 0), 0) << "a closed port opens again";

  EXPECT_EQ(w1632_SioDestroy(port), 0);
  port_ = 0;
  flags = -7;
  EXPECT_EQ(w1632_SioDestroy(port), SIO_ERR_BAD_HANDLE);
  EXPECT_EQ(w1632_SioOpen(port, 0, k9600EightNoneOne, 0), SIO_ERR_BAD_HANDLE);
  EXPECT_EQ(w1632_SioClose(port), SIO_ERR_BAD_HANDLE);
  EXPECT_EQ(w1632_SioSend(port, "x", 1, &flags), SIO_ERR_BAD_HANDLE);
  EXPECT_EQ(w1632_SioReceive(port, buffer, 4, &flags), SIO_ERR_BAD_HANDLE);
  EXPECT_EQ(flags, -7);
  EXPECT_EQ(w1632_SioDrain(port), SIO_ERR_BAD_HANDLE);
  EXPECT_EQ(w1632_SioSetAbort(port, nullptr), SIO_ERR_BAD_HANDLE);
  EXPECT_EQ(w1632_SioModemStatus(port, &status), SIO_ERR_BAD_HANDLE);
}

TEST_F(SerialPortTest, SixtyFourPortObjectsAtMost) {
  std::vector<SioHandle> ports;
  for (int i = 0; i < kPortTableSize; ++i) {
    ports.push_back(w1632_SioCreate(4096, 256));
    ASSERT_NE(ports.back(), 0) << i;
  }
  EXPECT_EQ(w1632_SioCreate(4096, 256), 0);
  EXPECT_EQ(w1632_SioDestroy(ports[10]), 0);
  const SioHandle again = w1632_SioCreate(4096, 256);
  EXPECT_NE(again, 0);
  ports[10] = again;
  for (SioHandle port : ports) EXPECT_EQ(w1632_SioDestroy(port), 0);
}

TEST_F(SerialPortTest, PortSevenIsCom8AndEightIsNothing) {
  PseudoTerminal com8;
  MapComPort(8, com8.SlavePath());
  MapComPort(9, pty_.SlavePath());
  port_ = w1632_SioCreate(4096, 256);
  EXPECT_EQ(w1632_SioOpen(port_, 8, k9600EightNoneOne, 0), SIO_ERR_IO);
  EXPECT_EQ(w1632_SioClose(port_), SIO_ERR_NOT_OPEN);
  EXPECT_EQ(w1632_SioOpen(port_, -1, k9600EightNoneOne, 0), SIO_ERR_IO);
  ASSERT_EQ(w1632_SioOpen(port_, 7, k9600EightNoneOne, 0), 0);
  int32_t flags = -1;
  ASSERT_EQ(w1632_SioSend(port_, "COM8", 4, &flags), 0);
  EXPECT_EQ(com8.Read(4, kWaitMs), "COM8");
}

TEST_F(SerialPortTest, MissingDeviceFailsToOpen) {
  MapComPort(2, "/nonexistent/tty");
  port_ = w1632_SioCreate(4096, 256);
  EXPECT_EQ(w1632_SioOpen(port_, 1, k9600EightNoneOne, 0), SIO_ERR_IO);
  EXPECT_EQ(w1632_SioClose(port_), SIO_ERR_NOT_OPEN);
}

TEST_F(SerialPortTest, APortHeldElsewhereFailsToOpen) {
  const SioHandle first = openPort0();
  const SioHandle second = w1632_SioCreate(4096, 256);
  EXPECT_EQ(w1632_SioOpen(second, 0, k9600EightNoneOne, 0), SIO_ERR_IO);
  EXPECT_EQ(w1632_SioDestroy(second), 0);
  EXPECT_EQ(w1632_SioClose(first), 0);
}

// What the master side had received each time the sender pumped messages.
struct ChunkObserver {
  PseudoTerminal* pty = nullptr;
  std::vector<size_t> expectedTotals;
  std::vector<size_t> totals;
  std::string received;
};
ChunkObserver* observer = nullptr;

void observeChunk() {
  ChunkObserver& o = *observer;
  const size_t pass = o.totals.size();
  const size_t wanted = pass < o.expectedTotals.size() ? o.expectedTotals[pass] : o.received.size() + 1;
  o.received += o.pty->Read(wanted - std::min(wanted, o.received.size()), kWaitMs);
  o.received += o.pty->ReadAvailable();
  o.totals.push_back(o.received.size());
}

TEST_F(SerialPortTest, SendGoesOutInChunksThatFitTheOutputQueue) {
  openPort0();
  std::string data(600, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>('A' + i % 26);
  ChunkObserver chunks;
  chunks.pty = &pty_;
  chunks.expectedTotals = {256, 512, 600};
  observer = &chunks;
  platform::SetMessagePumpHook(observeChunk);
  int32_t flags = -1;
  EXPECT_EQ(w1632_SioSend(port_, data.data(), static_cast<int32_t>(data.size()), &flags), 0);
  platform::SetMessagePumpHook(nullptr);
  EXPECT_EQ(flags, 0);
  EXPECT_EQ(chunks.totals, (std::vector<size_t>{256, 512, 600}));
  EXPECT_EQ(chunks.received, data);
}

TEST_F(SerialPortTest, SendWithTheAbortFlagSetWritesNothing) {
  openPort0();
  AbortFlag flag{1};
  ASSERT_EQ(w1632_SioSetAbort(port_, &flag), 0);
  int32_t flags = -1;
  EXPECT_EQ(w1632_SioSend(port_, "080B\r\n", 6, &flags), SIO_ERR_ABORTED);
  EXPECT_EQ(flags, 0);
  ASSERT_EQ(w1632_SioSetAbort(port_, nullptr), 0);
  EXPECT_EQ(w1632_SioSend(port_, "080B\r\n", 6, &flags), 0);
  EXPECT_EQ(pty_.Read(6, kWaitMs), "080B\r\n") << "only the line sent after the flag was cleared";
}

TEST_F(SerialPortTest, ReceiveTakesOnlyWhatIsQueued) {
  openPort0();
  char buffer[100];
  int32_t flags = -1;
  EXPECT_EQ(w1632_SioReceive(port_, buffer, sizeof buffer, &flags), 0);
  EXPECT_EQ(flags, 0);
  pty_.Write("0123456789");
  ASSERT_EQ(receiveSome(buffer, 4), 4);
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_EQ(w1632_SioReceive(port_, buffer, sizeof buffer, &flags), 6);
  EXPECT_EQ(std::string(buffer, 6), "456789");
  EXPECT_EQ(w1632_SioReceive(port_, buffer, sizeof buffer, &flags), 0);
}

TEST_F(SerialPortTest, AHungUpDeviceFailsSendAndReceive) {
  openPort0();
  pty_.Close();
  char buffer[16];
  int32_t flags = 0;
  EXPECT_EQ(w1632_SioReceive(port_, buffer, sizeof buffer, &flags), SIO_ERR_IO);
  EXPECT_NE(flags & CE_IOE, 0);
  flags = 0;
  EXPECT_EQ(w1632_SioSend(port_, "000\r\n", 5, &flags), SIO_ERR_IO);
  EXPECT_NE(flags, 0);
}

std::atomic<int> pumpCount{0};
void countPump() { ++pumpCount; }

TEST_F(SerialPortTest, DrainPumpsUnlessAborted) {
  openPort0();
  platform::SetMessagePumpHook(countPump);
  pumpCount = 0;
  EXPECT_EQ(w1632_SioDrain(port_), 0);
  EXPECT_GT(pumpCount.load(), 0);

  AbortFlag flag{1};
  w1632_SioSetAbort(port_, &flag);
  pumpCount = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(w1632_SioDrain(port_), 0);
  EXPECT_LT(msSince(start), 1000);
  EXPECT_EQ(pumpCount.load(), 0) << "no pumping once the flag is set";
}

TEST_F(SerialPortTest, ModemStatusOfADeviceWithoutModemLines) {
  openPort0();
  int32_t status = -1;
  EXPECT_EQ(w1632_SioModemStatus(port_, &status), 0);
  EXPECT_EQ(status, 0);
}

TEST_F(SerialPortTest, AbortFromAnotherThreadStopsAStalledSend) {
  // 110 baud: a stalled chunk is given up only after half a minute, so the
  // abort is what ends the send. Nobody reads the master side.
  const int32_t handle = MagOpen(0, 110, 'N', 8, 1, 0, 3);
  ASSERT_GT(handle, 0);
  const SioHandle port = FindSession(handle)->port;
  const std::string data(200000, 'x');
  std::thread aborter([handle] { MagAbort(handle); });
  const auto start = std::chrono::steady_clock::now();
  int32_t flags = -1;
  EXPECT_EQ(w1632_SioSend(port, data.data(), static_cast<int32_t>(data.size()), &flags), SIO_ERR_ABORTED);
  EXPECT_LT(msSince(start), 20000);
  aborter.join();
  EXPECT_EQ(flags, 0);
  w1632_SioSetAbort(port, nullptr);
  AbortFlags[0].store(0);
  EXPECT_EQ(MagClose(handle), MRW_OK);
}

TEST(SerialPortWithSimulator, ALineAndItsReply) {
  readersim::ReaderSim sim;
  sim.SetHandler("080", [](const readersim::Request&) {
    readersim::Reply reply;
    reply.echo = '0';
    return reply;
  });
  MapComPort(2, sim.StartPty());
  const SioHandle port = w1632_SioCreate(4096, 256);
  ASSERT_EQ(w1632_SioOpen(port, 1, k9600EightNoneOne, 0), 0);
  int32_t flags = -1;
  ASSERT_EQ(w1632_SioSend(port, "080B\r\n", 6, &flags), 0);
  ASSERT_TRUE(sim.WaitForRequests(1, kWaitMs));
  EXPECT_EQ(sim.Requests().at(0).line, "080B");

  std::string reply;
  const auto start = std::chrono::steady_clock::now();
  while (reply.find('\n') == std::string::npos && msSince(start) < kWaitMs) {
    char buffer[64];
    const int32_t count = w1632_SioReceive(port, buffer, sizeof buffer, &flags);
    ASSERT_GE(count, 0);
    reply.append(buffer, static_cast<size_t>(count));
    if (count == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(reply.substr(0, 3), "000");
  EXPECT_EQ(w1632_SioDestroy(port), 0);
}

}  // namespace
