// The serial settings word MagOpen builds and the port settings the serial
// layer makes of it.
#include <gtest/gtest.h>

#include "serial_settings.h"

namespace {

using platform::FlowControl;
using platform::Parity;

int baudIndexOf(int32_t word) { return (word >> 5) & 0xF; }
int parityCodeOf(int32_t word) { return (word >> 3) & 0x3; }

TEST(BaudIndex, ListedRatesHaveTheirIndex) {
  const int32_t rates[] = {110, 150, 300, 600, 1200, 2400, 4800, 9600, 19200};
  for (int32_t index = 0; index < 9; ++index) EXPECT_EQ(BaudIndex(rates[index]), index) << rates[index];
}

TEST(BaudIndex, UnlistedRatesMean9600) {
  EXPECT_EQ(BaudIndex(57600), 7);
  EXPECT_EQ(BaudIndex(0), 7);
  EXPECT_EQ(BaudIndex(-1), 7);
  EXPECT_EQ(BaudIndex(38400), 7);
}

TEST(SettingsWord, ParityUpperCaseOnly) {
  EXPECT_EQ(parityCodeOf(BuildSettingsWord(9600, 'E', 8, 1)), 3);
  EXPECT_EQ(parityCodeOf(BuildSettingsWord(9600, 'O', 8, 1)), 1);
  EXPECT_EQ(parityCodeOf(BuildSettingsWord(9600, 'e', 8, 1)), 0);
  EXPECT_EQ(parityCodeOf(BuildSettingsWord(9600, 'o', 8, 1)), 0);
  EXPECT_EQ(parityCodeOf(BuildSettingsWord(9600, 'N', 8, 1)), 0);
}

TEST(SettingsWord, ParityReadFromTheLowByte) {
  EXPECT_EQ(parityCodeOf(BuildSettingsWord(9600, 0x4500 | 'E', 8, 1)), 3);
  EXPECT_EQ(parityCodeOf(BuildSettingsWord(9600, 0x4F00 | 'O', 8, 1)), 1);
}

TEST(SettingsWord, OnlySevenDataBitsGiveSeven) {
  EXPECT_EQ(BuildSettingsWord(9600, 'N', 7, 1) & 3, 2);
  for (int bits : {5, 6, 8, 9, 0}) EXPECT_EQ(BuildSettingsWord(9600, 'N', bits, 1) & 3, 3) << bits;
}

TEST(SettingsWord, OnlyTwoStopBitsGiveTwo) {
  EXPECT_EQ(BuildSettingsWord(9600, 'N', 8, 2) & 4, 4);
  for (int bits : {0, 1, 3}) EXPECT_EQ(BuildSettingsWord(9600, 'N', 8, bits) & 4, 0) << bits;
}

TEST(SettingsWord, WholeWords) {
  EXPECT_EQ(BuildSettingsWord(9600, 'N', 8, 1), 0xE3);
  EXPECT_EQ(BuildSettingsWord(19200, 'E', 7, 2), 286);
  EXPECT_EQ(baudIndexOf(BuildSettingsWord(57600, 'N', 8, 1)), 7);
  EXPECT_EQ(baudIndexOf(BuildSettingsWord(110, 'N', 8, 1)), 0);
}

TEST(PortSettings, Word0xE3Is9600EightNoneOne) {
  const platform::SerialSettings port = SerialSettingsFromWord(0xE3, kFlowNone);
  EXPECT_EQ(port.baud, 9600);
  EXPECT_EQ(port.dataBits, 8);
  EXPECT_EQ(port.parity, Parity::None);
  EXPECT_EQ(port.stopBits, 1);
  EXPECT_EQ(port.flow, FlowControl::None);
  EXPECT_TRUE(port.assertDtr);
  EXPECT_TRUE(port.assertRts);
}

TEST(PortSettings, Word286Is19200SevenEvenTwo) {
  const platform::SerialSettings port = SerialSettingsFromWord(286, kFlowNone);
  EXPECT_EQ(port.baud, 19200);
  EXPECT_EQ(port.dataBits, 7);
  EXPECT_EQ(port.parity, Parity::Even);
  EXPECT_EQ(port.stopBits, 2);
}

TEST(PortSettings, OddParityAndEveryBaudIndex) {
  EXPECT_EQ(SerialSettingsFromWord(1 << 3, kFlowNone).parity, Parity::Odd);
  const int rates[] = {110, 150, 300, 600, 1200, 2400, 4800, 9600, 19200};
  for (int index = 0; index < 9; ++index) EXPECT_EQ(SerialSettingsFromWord(index << 5 | 3, 0).baud, rates[index]);
}

TEST(PortSettings, ParityCodeTwoAndBaudIndexAboveEightKeepTheBase) {
  EXPECT_EQ(SerialSettingsFromWord(2 << 3 | 3, kFlowNone).parity, Parity::None);
  EXPECT_EQ(SerialSettingsFromWord(9 << 5 | 3, kFlowNone).baud, 9600);
  EXPECT_EQ(SerialSettingsFromWord(15 << 5 | 3, kFlowNone).baud, 9600);
}

TEST(PortSettings, DataBitCodesOtherThanTwoGiveEight) {
  for (int code : {0, 1, 3}) EXPECT_EQ(SerialSettingsFromWord(0xE0 | code, kFlowNone).dataBits, 8) << code;
}

TEST(PortSettings, FlowTypes) {
  EXPECT_EQ(SerialSettingsFromWord(0xE3, kFlowXonXoff).flow, FlowControl::XonXoff);
  EXPECT_EQ(SerialSettingsFromWord(0xE3, kFlowDtrCtsDsr).flow, FlowControl::RtsCts);
  const platform::SerialSettings dtrOnly = SerialSettingsFromWord(0xE3, kFlowDtr);
  EXPECT_EQ(dtrOnly.flow, FlowControl::None);
  EXPECT_TRUE(dtrOnly.assertDtr);
  EXPECT_EQ(SerialSettingsFromWord(0xE3, 9).flow, FlowControl::None);
}

}  // namespace
