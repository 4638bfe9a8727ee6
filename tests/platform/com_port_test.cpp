#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/com_port.h"

TEST(ComPortDevice, DefaultsToTheMatchingTtyS) {
  unsetenv("COM1_DEVICE");
  unsetenv("COM8_DEVICE");
  EXPECT_EQ(platform::ComPortDevice(1), "/dev/ttyS0");
  EXPECT_EQ(platform::ComPortDevice(8), "/dev/ttyS7");
}

TEST(ComPortDevice, EnvironmentMapsOneNumberOnly) {
  setenv("COM3_DEVICE", "/dev/ttyUSB0", 1);
  unsetenv("COM4_DEVICE");
  EXPECT_EQ(platform::ComPortDevice(3), "/dev/ttyUSB0");
  EXPECT_EQ(platform::ComPortDevice(4), "/dev/ttyS3");
  setenv("COM3_DEVICE", "", 1);  // an empty mapping is no mapping
  EXPECT_EQ(platform::ComPortDevice(3), "/dev/ttyS2");
  unsetenv("COM3_DEVICE");
}
