#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/serial_device.h"

namespace {

// A pseudo-terminal whose master side plays the far end of the line.
struct PtyPair {
  int master = -1;
  std::string slavePath;
  PtyPair() {
    master = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(master);
    unlockpt(master);
    slavePath = ptsname(master);
  }
  ~PtyPair() { close(master); }
};

}  // namespace

TEST(SerialDevice, OpensAPseudoTerminalExclusively) {
  PtyPair pty;
  platform::SerialDevice first, second;
  ASSERT_TRUE(first.Open(pty.slavePath));
  EXPECT_FALSE(second.Open(pty.slavePath)) << "a port opened without sharing stays private";
  first.Close();
  EXPECT_TRUE(second.Open(pty.slavePath));
}

TEST(SerialDevice, RefusesMissingDevicesAndNonTerminals) {
  platform::SerialDevice device;
  EXPECT_FALSE(device.Open("/nonexistent/ttyS99"));
  EXPECT_FALSE(device.Open("/dev/null"));
  EXPECT_FALSE(device.IsOpen());
}

TEST(SerialDevice, ConfigureRejectsUnknownSpeedsAndSizes) {
  PtyPair pty;
  platform::SerialDevice device;
  ASSERT_TRUE(device.Open(pty.slavePath));
  platform::SerialSettings settings;
  EXPECT_TRUE(device.Configure(settings));
  settings.baud = 12345;
  EXPECT_FALSE(device.Configure(settings));
  settings.baud = 57600;
  settings.dataBits = 9;
  EXPECT_FALSE(device.Configure(settings));
}

TEST(SerialDevice, RawBytesPassBothWaysUntouched) {
  PtyPair pty;
  platform::SerialDevice device;
  ASSERT_TRUE(device.Open(pty.slavePath));
  ASSERT_TRUE(device.Configure({}));
  const char line[] = "201\r\n\x60\x00\x03";
  ASSERT_TRUE(device.WriteAll(line, sizeof line - 1, 1000));
  char got[16] = {};
  size_t have = 0;
  while (have < sizeof line - 1 && platform::WaitReadable(pty.master, 2000) == 1) {
    ssize_t n = read(pty.master, got + have, sizeof got - have);
    ASSERT_GT(n, 0);
    have += static_cast<size_t>(n);
  }
  ASSERT_EQ(have, sizeof line - 1);
  EXPECT_EQ(0, std::memcmp(got, line, have)) << "CR, LF and NUL must not be translated";

  const char reply[] = "00\x31payload\r\n";
  ASSERT_EQ(write(pty.master, reply, sizeof reply - 1), static_cast<ssize_t>(sizeof reply - 1));
  ASSERT_EQ(platform::WaitReadable(device.Fd(), 2000), 1);
  char in[32] = {};
  size_t got2 = 0;
  while (got2 < sizeof reply - 1 && platform::WaitReadable(device.Fd(), 2000) == 1)
    got2 += static_cast<size_t>(device.ReadSome(in + got2, sizeof in - got2));
  EXPECT_EQ(std::string(in, got2), std::string(reply, sizeof reply - 1));
}

TEST(SerialDevice, PurgeDiscardsUnreadInput) {
  PtyPair pty;
  platform::SerialDevice device;
  ASSERT_TRUE(device.Open(pty.slavePath));
  ASSERT_TRUE(device.Configure({}));
  ASSERT_EQ(write(pty.master, "stale\n", 6), 6);
  ASSERT_EQ(platform::WaitReadable(device.Fd(), 2000), 1);
  EXPECT_GT(device.InputQueued(), 0);
  device.Purge();
  EXPECT_EQ(device.InputQueued(), 0);
  char c;
  EXPECT_EQ(device.ReadSome(&c, 1), 0);
}

TEST(SerialDevice, HangUpOfTheFarEndIsReportedNotSpunOn) {
  auto* pty = new PtyPair;
  platform::SerialDevice device;
  ASSERT_TRUE(device.Open(pty->slavePath));
  delete pty;  // the far end goes away, like an unplugged adapter
  // poll() may flag the hang-up as readable; either way the wait returns at
  // once and the read then fails instead of reporting "nothing yet".
  EXPECT_NE(platform::WaitReadable(device.Fd(), 2000), 0);
  char c;
  EXPECT_EQ(device.ReadSome(&c, 1), -1);
}
