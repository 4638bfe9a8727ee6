// Our USB library over the reader simulator's pseudo-terminal (named by
// ZUV_USB_DEVICE), on its own and under the driver's USB transport.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <string>
#include <thread>

#include "TRKDRV32.h"
#include "ZUV_USB.h"
#include "reader_sim.h"
#include "session.h"
#include "usb_transport.h"

namespace {

constexpr int kWaitMs = 5000;
const UsbInterfaceGuid kReader = ZUV_USB_READER_INTERFACE;

int64_t msSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

class ZuvUsbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim_.SetHandler("080", [](const readersim::Request&) {
      readersim::Reply reply;
      reply.echo = '0';
      reply.payload = "B";
      return reply;
    });
    setenv("ZUV_USB_DEVICE", sim_.StartPty().c_str(), 1);
  }
  void TearDown() override { DisConnect_USB(); }

  // Reads with Read_USB and the given room until LF came or the wait is over.
  std::string readLine(int32_t room) {
    std::string line;
    const auto start = std::chrono::steady_clock::now();
    while (line.find('\n') == std::string::npos && msSince(start) < kWaitMs) {
      char buffer[64];
      int32_t length = room;
      if (Read_USB(ZUV_USB_READ, buffer, &length) != 1) break;
      EXPECT_LE(length, room);
      line.append(buffer, static_cast<size_t>(length));
      if (length == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return line;
  }

  readersim::ReaderSim sim_;
};

TEST_F(ZuvUsbTest, SearchFindsTheNamedDevice) {
  int32_t count = -1;
  EXPECT_EQ(Search_USB(kReader, &count), 1);
  EXPECT_EQ(count, 1);
  setenv("ZUV_USB_DEVICE", "/nonexistent/ttyACM0", 1);
  EXPECT_EQ(Search_USB(kReader, &count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(Connect_USB(kReader, 0), 0);
}

TEST_F(ZuvUsbTest, OnlyTheReadersInterfaceAndDeviceZero) {
  UsbInterfaceGuid other = kReader;
  other.data4[7] ^= 1;
  int32_t count = -1;
  EXPECT_EQ(Search_USB(other, &count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(Connect_USB(other, 0), 0);
  EXPECT_EQ(Connect_USB(kReader, 1), 0);
}

TEST_F(ZuvUsbTest, ALineAndItsReplyInSmallPieces) {
  ASSERT_EQ(Connect_USB(kReader, 0), 1);
  EXPECT_EQ(Connect_USB(kReader, 0), 1) << "already connected";
  ASSERT_EQ(Write_USB(ZUV_USB_WRITE, "080B\r\n", 6), 1);
  ASSERT_TRUE(sim_.WaitForRequests(1, kWaitMs));
  EXPECT_EQ(sim_.Requests().at(0).line, "080B");
  EXPECT_EQ(readLine(2).substr(0, 4), "000B");
}

TEST_F(ZuvUsbTest, WrongControlCodesAndNoConnection) {
  char buffer[8];
  int32_t length = sizeof buffer;
  EXPECT_EQ(Write_USB(ZUV_USB_WRITE, "x", 1), 0) << "not connected";
  EXPECT_EQ(Read_USB(ZUV_USB_READ, buffer, &length), 0);
  EXPECT_EQ(length, 0);
  ASSERT_EQ(Connect_USB(kReader, 0), 1);
  EXPECT_EQ(Write_USB(ZUV_USB_READ, "x", 1), 0);
  length = sizeof buffer;
  EXPECT_EQ(Read_USB(ZUV_USB_WRITE, buffer, &length), 0);
  length = sizeof buffer;
  EXPECT_EQ(Read_USB(ZUV_USB_READ, buffer, &length), 1);
  EXPECT_EQ(length, 0) << "nothing has come";
}

TEST_F(ZuvUsbTest, AGoneDeviceIsNotFound) {
  ASSERT_EQ(Connect_USB(kReader, 0), 1);
  sim_.Stop();
  int32_t count = -1;
  EXPECT_EQ(Search_USB(kReader, &count), 0);
  EXPECT_EQ(DisConnect_USB(), 1);
}

TEST_F(ZuvUsbTest, DriverSessionOverUsb) {
  const int32_t handle = MagUSBOpen(3);
  ASSERT_GT(handle, 0);
  SessionRecord* session = FindSession(handle);
  EXPECT_EQ(UsbCheckAborted(session), 0);
  ASSERT_EQ(UsbSend(session, "080B\r\n", 6), 1);
  std::string reply;
  const auto start = std::chrono::steady_clock::now();
  while (reply.find('\n') == std::string::npos && msSince(start) < kWaitMs) {
    char buffer[3];
    const int count = UsbReceive(session, buffer, sizeof buffer);
    ASSERT_LE(count, 3);
    reply.append(buffer, static_cast<size_t>(count));
    if (count == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(reply.substr(0, 4), "000B");
  EXPECT_EQ(MagClose(handle), MRW_OK);
  sim_.SendRaw("000B\r\n");
  auto other = NewSessionRecord();
  char buffer[4];
  EXPECT_EQ(UsbReceive(other.get(), buffer, sizeof buffer), 0) << "the device is disconnected";
}

}  // namespace
