// Opening and closing the port: failures, leaks, a device that goes away and
// a callback that closes the port under its own thread.
#include <chrono>
#include <string>

#include "process_probe.h"
#include "serial_fixture.h"

namespace {

using SerialPort = SerialLink;

TEST(SerialPortMissing, OpenFailsButTheLinkStaysSerialAndWritesFail) {
  setenv("COM7_DEVICE", "/nonexistent", 1);
  LinkMode.store(LINK_ETHERNET);
  FramingMode.store(1);
  EXPECT_FALSE(OpenSerialPort(7, 9600));
  EXPECT_EQ(LinkMode.load(), LINK_SERIAL);
  EXPECT_EQ(FramingMode.load(), 0) << "text framing, whatever the outcome";
  const uint8_t line[] = {'1', '7', '0', '\r', '\n'};
  EXPECT_EQ(SerialWrite(line, 5), 0);
  EXPECT_EQ(SendCommand(CMD_EJECT_FRONT, nullptr, 0), 0);
  FramingMode.store(1);
  const uint8_t payload[] = {'W'};
  EXPECT_EQ(SendCommand(CMD_RAW_FRAME, payload, 1), 0) << "a frame that was not written is no success";
  // As for a receive thread whose port is being closed under it.
  char text[kLinkBufferSize + 1] = {};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReceiveResponse(text, nullptr), -3);
  EXPECT_LT(msSince(start), 200) << "a reply read without a port ends at once";
  EXPECT_EQ(CountThreadsNamed(kReceiveThreadName), 0);
  CloseSerialPort();
}

TEST(SerialPortMissing, NoOperationWithoutAPortTimesOut) {
  setenv("COM7_DEVICE", "/nonexistent", 1);
  EXPECT_FALSE(OpenSerialPort(7, 9600));
  platform::SetTickSource(&fastTicks);
  EXPECT_EQ(SendCommand(CMD_NO_OPERATION, nullptr, 0), -3);
  platform::SetTickSource(nullptr);
  CloseSerialPort();
}

TEST_F(SerialPort, UnknownBaudRateFailsTheOpen) {
  EXPECT_FALSE(OpenSerialPort(kSimPort, 12345));
  EXPECT_EQ(LinkMode.load(), LINK_SERIAL);
  EXPECT_EQ(send(CMD_EJECT_FRONT), 0);
}

TEST_F(SerialPort, OneReceiveThreadWhileOpen) {
  EXPECT_EQ(CountThreadsNamed(kReceiveThreadName), 1);
  ASSERT_TRUE(OpenSerialPort(kSimPort, 19200)) << "reopening closes first";
  EXPECT_EQ(CountThreadsNamed(kReceiveThreadName), 1);
  CloseSerialPort();
  EXPECT_EQ(CountThreadsNamed(kReceiveThreadName), 0);
}

TEST_F(SerialPort, OpeningAndClosingLeaksNothing) {
  CloseSerialPort();
  const int descriptors = CountOpenDescriptors();
  const int threads = CountThreads();
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(OpenSerialPort(kSimPort, 9600)) << "round " << i;
    ASSERT_TRUE(CloseSerialPort());
  }
  // The simulator's side of the pseudo-terminal may still be busy with the
  // last hang-up for a moment; a leak never settles.
  WaitUntil([&] { return CountOpenDescriptors() == descriptors && CountThreads() == threads; },
            2000);
  EXPECT_EQ(CountOpenDescriptors(), descriptors);
  EXPECT_EQ(CountThreads(), threads);
}

TEST_F(SerialPort, DeviceGoneEndsTheReceiveThread) {
  ASSERT_EQ(CountThreadsNamed(kReceiveThreadName), 1);
  sim_.Stop();  // closes the pseudo-terminal's far end under the open port
  EXPECT_TRUE(WaitUntil([] { return CountThreadsNamed(kReceiveThreadName) == 0; }, 2000));
  EXPECT_EQ(send(CMD_EJECT_FRONT), 0) << "writes to a dead device fail";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(CloseSerialPort());
  EXPECT_LT(msSince(start), 500);
}

TEST_F(SerialPort, CloseWhileTheCallbackWaitsForTheRestOfAReply) {
  recorder::Install(RecorderAction::ReadReply);
  sim_.SendRaw("00");  // a reply that stops before its LF
  ASSERT_TRUE(recorder::WaitForEntered(1, 5000));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(CloseSerialPort());
  EXPECT_LT(msSince(start), 700) << "closing cuts the callback's wait short";
  EXPECT_EQ(CountThreadsNamed(kReceiveThreadName), 0);
  ASSERT_EQ(recorder::Count(), 1u);
  const RecordedReply reply = recorder::Replies()[0];
  EXPECT_NE(reply.result, 1);
  EXPECT_EQ(reply.text, kUntouchedText);
}

TEST_F(SerialPort, CallbackMayCloseThePortFromTheReceiveThread) {
  recorder::Install(RecorderAction::ReadThenClosePort);
  sim_.SendRaw("00X\n");
  ASSERT_TRUE(recorder::WaitForCount(1, 5000));
  EXPECT_EQ(recorder::Replies()[0].text, "00X\n");
  EXPECT_TRUE(WaitUntil([] { return CountThreadsNamed(kReceiveThreadName) == 0; }, 2000));
  EXPECT_EQ(LinkMode.load(), LINK_CLOSED);
  EXPECT_TRUE(WaitUntil([] { return OpenSerialPort(kSimPort, 9600); }, 2000)) << "the port was released";
}

TEST_F(SerialPort, InputNobodyTakesCostsNoCpuAndIsPurgedByTheNextWrite) {
  SetReceiveCallback(nullptr);
  sim_.SendRaw("00X\n");
  const double cpuBefore = ProcessCpuMs();
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // measuring idle CPU
  EXPECT_LT(ProcessCpuMs() - cpuBefore, 150.0) << "the receive thread must not spin on untaken input";

  recorder::Install(RecorderAction::ReadReply);
  EXPECT_EQ(send(CMD_VERSION), 1);
  ASSERT_TRUE(recorder::WaitForCount(1, 5000));
  EXPECT_EQ(recorder::Replies()[0].text.substr(0, 3), "000") << "the stale line was discarded";
}

// Long lines written while the reader is busy wait in the device: a write
// goes out behind them instead of discarding them.
TEST_F(SerialPort, AWriteNeverDiscardsAnEarlierCommandStillGoingOut) {
  readersim::Faults busy;
  busy.delayMs = 300;  // with the first line
  sim_.SetFaults(busy);
  EXPECT_EQ(send(CMD_VERSION), 1);
  ASSERT_TRUE(sim_.WaitForRequests(1, 5000));
  sim_.SetFaults({});
  const std::string data = "0000000400" + std::string(2048, 'A');
  for (int i = 0; i < 6; ++i) EXPECT_EQ(send(CMD_ATMEL_WRITE, data), 1);
  EXPECT_TRUE(sim_.WaitForRequests(7, 5000)) << sim_.Requests().size() << " of 7 lines came";
}

TEST_F(SerialPort, InputWhileCommandsGoOverEthernetIsDroppedUnhandled) {
  LinkMode.store(LINK_ETHERNET);  // as after a successful Ethernet connect
  sim_.SendRaw("00stale\n");
  EXPECT_FALSE(recorder::WaitForEntered(1, 1000)) << "a stale reply was handled as new";
  LinkMode.store(LINK_SERIAL);
  sim_.SendRaw("001\n");
  ASSERT_TRUE(recorder::WaitForCount(1, 5000));
  EXPECT_EQ(recorder::Replies()[0].text, "001\n");
}

TEST_F(SerialPort, CallbackThatReadsNothingIsCalledOncePerArrival) {
  recorder::Install(RecorderAction::IgnoreInput);
  sim_.SendRaw("00X\n");
  ASSERT_TRUE(recorder::WaitForCount(1, 5000));
  EXPECT_FALSE(recorder::WaitForCount(2, 300)) << "bytes already seen call no further callback";
  sim_.SendRaw("01Y\n");
  EXPECT_TRUE(recorder::WaitForCount(2, 5000)) << "new input calls it again";
}

TEST(SerialPortDeathTest, ProgramMayEndWithThePortOpen) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        static readersim::ReaderSim sim;
        setenv("COM5_DEVICE", sim.StartPty().c_str(), 1);
        if (!OpenSerialPort(kSimPort, 9600)) std::exit(3);
        sim.SendRaw("00X\n");
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
