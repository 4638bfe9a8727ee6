// Loading the USB library by file name: a missing library, or one without all
// five calls, fails the open and is looked for again by the next one. The
// executable finds libZUV_USB.so only in a folder this test fills.
#include <gtest/gtest.h>

#include <filesystem>

#include "session.h"
#include "usb_transport.h"

namespace {

namespace fs = std::filesystem;

void placeLibrary(const char* built) {
  const fs::path target = fs::path(USB_LOAD_DIR) / kUsbLibraryName;
  fs::remove(target);
  fs::copy_file(built, target);
}

TEST(UsbLibraryLoad, EachOpenTriesTheLoadAgain) {
  fs::remove(fs::path(USB_LOAD_DIR) / kUsbLibraryName);
  auto session = NewSessionRecord();
  EXPECT_EQ(UsbOpenConn(session.get()), 0);
  EXPECT_EQ(UsbOpenConn(session.get()), 0);
  EXPECT_EQ(UsbClose(session.get()), 0) << "nothing loaded, nothing to disconnect";
  EXPECT_EQ(UsbCheckAborted(session.get()), 1);
  char buffer[4];
  EXPECT_EQ(UsbReceive(session.get(), buffer, sizeof buffer), 0);
  EXPECT_EQ(UsbSend(session.get(), "x", 1), 0);

  placeLibrary(INCOMPLETE_USB_LIBRARY);
  EXPECT_EQ(UsbOpenConn(session.get()), 0) << "a library without Read_USB is not used";

  placeLibrary(FAKE_USB_LIBRARY);
  EXPECT_EQ(UsbOpenConn(session.get()), 1);
  EXPECT_EQ(UsbClose(session.get()), 1);
}

}  // namespace
