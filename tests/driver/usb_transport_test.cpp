// The USB transport against a fake USB library steered through the
// environment (fake_usb/fake_zuv_usb.cpp).
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "TRKDRV32.h"
#include "ZUV_USB.h"
#include "session.h"
#include "usb_transport.h"

namespace {

// What the fake library recorded.
struct FakeUsb {
  std::string calls() const { return call<const char* (*)()>("FakeUsb_Calls")(); }
  int32_t lastRoom() const { return call<int32_t (*)()>("FakeUsb_LastRoom")(); }
  uint32_t lastCode() const { return call<uint32_t (*)()>("FakeUsb_LastCode")(); }
  std::string written() const { return call<const char* (*)()>("FakeUsb_Written")(); }
  std::vector<unsigned char> lastGuid() const {
    const unsigned char* bytes = call<const unsigned char* (*)()>("FakeUsb_LastGuid")();
    return std::vector<unsigned char>(bytes, bytes + 16);
  }

  template <typename Function>
  Function call(const char* name) const {
    void* library = dlopen(kUsbLibraryName, RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(library, nullptr) << "the driver has not loaded the library";
    auto function = reinterpret_cast<Function>(dlsym(library, name));
    dlclose(library);
    return function;
  }
};

// The fake's steering variables; each test sets its own.
const char* const kSteering[] = {"FAKE_USB_SEARCH", "FAKE_USB_CONNECT_FAILURES", "FAKE_USB_DISCONNECT",
                                 "FAKE_USB_READ", "FAKE_USB_READ_CLAIM"};

class UsbTransportTest : public ::testing::Test {
 protected:
  // Every test starts from a fake that has seen no call and is not steered,
  // also when the tests share one process.
  void SetUp() override {
    for (const char* name : kSteering) unsetenv(name);
    if (void* library = dlopen(kUsbLibraryName, RTLD_NOW | RTLD_NOLOAD)) {
      reinterpret_cast<void (*)()>(dlsym(library, "FakeUsb_Reset"))();
      dlclose(library);
    }
  }

  std::unique_ptr<SessionRecord> session_ = NewSessionRecord();
  FakeUsb fake_;
};

TEST_F(UsbTransportTest, OpenDisconnectsSearchesAndConnects) {
  EXPECT_EQ(UsbOpenConn(session_.get()), 1);
  EXPECT_EQ(fake_.calls(), "DSC");
}

TEST_F(UsbTransportTest, TheInterfaceGoesByValueInItsWindowsLayout) {
  static_assert(sizeof(UsbInterfaceGuid) == 16);
  ASSERT_EQ(UsbOpenConn(session_.get()), 1);
  const std::vector<unsigned char> expected = {0x01, 0x1F, 0x4C, 0x23, 0xDD, 0xA6, 0x7A, 0x43,
                                               0x81, 0xFD, 0xCE, 0xD2, 0xBE, 0x9A, 0x4B, 0x9F};
  EXPECT_EQ(fake_.lastGuid(), expected);
}

TEST_F(UsbTransportTest, AFailedFirstConnectIsRetriedAfterADisconnect) {
  setenv("FAKE_USB_CONNECT_FAILURES", "1", 1);
  EXPECT_EQ(UsbOpenConn(session_.get()), 1);
  EXPECT_EQ(fake_.calls(), "DSCDC");
}

TEST_F(UsbTransportTest, TwoFailedConnectsFail) {
  setenv("FAKE_USB_CONNECT_FAILURES", "2", 1);
  EXPECT_EQ(UsbOpenConn(session_.get()), 0);
  EXPECT_EQ(fake_.calls(), "DSCDC");
}

TEST_F(UsbTransportTest, NoRetryWhenTheDisconnectFails) {
  setenv("FAKE_USB_CONNECT_FAILURES", "1", 1);
  setenv("FAKE_USB_DISCONNECT", "0", 1);
  EXPECT_EQ(UsbOpenConn(session_.get()), 0);
  EXPECT_EQ(fake_.calls(), "DSCD");
}

TEST_F(UsbTransportTest, NoDeviceNoConnect) {
  setenv("FAKE_USB_SEARCH", "0", 1);
  EXPECT_EQ(UsbOpenConn(session_.get()), 0);
  EXPECT_EQ(fake_.calls(), "DS");
}

TEST_F(UsbTransportTest, CloseReportsTheDisconnect) {
  ASSERT_EQ(UsbOpenConn(session_.get()), 1);
  EXPECT_EQ(UsbClose(session_.get()), 1);
  setenv("FAKE_USB_DISCONNECT", "0", 1);
  EXPECT_EQ(UsbClose(session_.get()), 0);
}

TEST_F(UsbTransportTest, SendUsesTheWriteCode) {
  ASSERT_EQ(UsbOpenConn(session_.get()), 1);
  EXPECT_EQ(UsbSend(session_.get(), "080B\r\n", 6), 1);
  EXPECT_EQ(fake_.lastCode(), ZUV_USB_WRITE);
  EXPECT_EQ(fake_.written(), "080B\r\n");
}

TEST_F(UsbTransportTest, ReceiveTellsTheLibraryTheRoom) {
  setenv("FAKE_USB_READ", "000\r\n", 1);
  ASSERT_EQ(UsbOpenConn(session_.get()), 1);
  char buffer[8] = {};
  EXPECT_EQ(UsbReceive(session_.get(), buffer, 3), 3);
  EXPECT_EQ(fake_.lastRoom(), 3);
  EXPECT_EQ(fake_.lastCode(), ZUV_USB_READ);
  EXPECT_EQ(std::string(buffer, 3), "000");
  EXPECT_EQ(UsbReceive(session_.get(), buffer, sizeof buffer), 2);
  EXPECT_EQ(std::string(buffer, 2), "\r\n");
  EXPECT_EQ(UsbReceive(session_.get(), buffer, sizeof buffer), 0);
  EXPECT_EQ(UsbReceive(session_.get(), buffer, 0), 0);
}

TEST_F(UsbTransportTest, ACountBeyondTheRoomIsCut) {
  setenv("FAKE_USB_READ_CLAIM", "500", 1);
  ASSERT_EQ(UsbOpenConn(session_.get()), 1);
  char buffer[16];
  EXPECT_EQ(UsbReceive(session_.get(), buffer, sizeof buffer), 16);
}

TEST_F(UsbTransportTest, ProbeAsksForTheDevice) {
  ASSERT_EQ(UsbOpenConn(session_.get()), 1);
  EXPECT_EQ(UsbCheckAborted(session_.get()), 0);
  setenv("FAKE_USB_SEARCH", "0", 1);
  EXPECT_EQ(UsbCheckAborted(session_.get()), 1);
}

TEST_F(UsbTransportTest, UsbSessionOpenAndClose) {
  const int32_t handle = MagUSBOpen(2);
  ASSERT_GT(handle, 0);
  const SessionRecord* session = FindSession(handle);
  EXPECT_EQ(session->isUsb, 1);
  EXPECT_EQ(session->isTcp, 0);
  EXPECT_EQ(session->portIndex, 0);
  EXPECT_EQ(session->timeoutMs, 2000);
  EXPECT_EQ(MagClose(handle), MRW_OK);
  EXPECT_EQ(fake_.calls(), "DSCD");
  setenv("FAKE_USB_SEARCH", "0", 1);
  EXPECT_EQ(MagUSBOpen(2), 0);
}

}  // namespace
