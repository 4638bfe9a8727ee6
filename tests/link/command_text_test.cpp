// Lines and frames byte for byte, built with the link closed so that nothing
// leaves the process.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "link.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes lastSent() { return Bytes(LastSendBytes(), LastSendBytes() + LastSendLength()); }

Bytes sendText(int code, const std::string& data) {
  EXPECT_EQ(SendCommand(code, reinterpret_cast<const uint8_t*>(data.data()), static_cast<int>(data.size())), 0);
  return lastSent();
}

Bytes sendFrame(const Bytes& payload) {
  EXPECT_EQ(SendCommand(CMD_RAW_FRAME, payload.data(), static_cast<int>(payload.size())), 0);
  return lastSent();
}

class CommandText : public ::testing::Test {
 protected:
  void SetUp() override {
    LinkMode.store(LINK_CLOSED);
    FramingMode.store(0);
  }
};

TEST_F(CommandText, WorkedLines) {
  EXPECT_EQ(sendText(CMD_SET_NORM, "B"), (Bytes{0x30, 0x38, 0x30, 0x42, 0x0D, 0x0A}));
  EXPECT_EQ(sendText(CMD_READ_INSIDE_MOVE_BACK, "1"), (Bytes{0x32, 0x30, 0x31, 0x0D, 0x0A}));
  EXPECT_EQ(sendText(CMD_NO_OPERATION, ""), (Bytes{0x30, 0x30, 0x30, 0x0D, 0x0A}));
  EXPECT_EQ(sendText(CMD_IC_POWER_ON, "1"), (Bytes{0x35, 0x31, 0x31, 0x0D, 0x0A}));
  EXPECT_EQ(sendText(CMD_VERSION, ""), (Bytes{0x39, 0x39, 0x30, 0x0D, 0x0A}));
}

TEST_F(CommandText, DataGoesOutExactlyAsGiven) {
  const std::string data("1\x00\xFF;", 4);
  Bytes expected{'2', '1'};
  expected.insert(expected.end(), data.begin(), data.end());
  expected.push_back('\r');
  expected.push_back('\n');
  EXPECT_EQ(sendText(CMD_WRITE_INSIDE_MOVE_BACK, data), expected);
}

TEST_F(CommandText, NegativeLengthOrNullDataSendsThePrefixAlone) {
  const uint8_t data[] = {'1'};
  EXPECT_EQ(SendCommand(CMD_READ_INSIDE_MOVE_BACK, data, -5), 0);
  EXPECT_EQ(lastSent(), (Bytes{'2', '0', '\r', '\n'}));
  EXPECT_EQ(SendCommand(CMD_READ_INSIDE_MOVE_BACK, nullptr, 3), 0);
  EXPECT_EQ(lastSent(), (Bytes{'2', '0', '\r', '\n'}));
}

TEST_F(CommandText, WorkedFrames) {
  EXPECT_EQ(sendFrame({0x58}), (Bytes{0x60, 0x00, 0x03, 0xDE, 0xCD, 0x58, 0x28}));
  EXPECT_EQ(sendFrame({0x56}), (Bytes{0x60, 0x00, 0x03, 0x37, 0xB3, 0x56, 0xB1}));
  EXPECT_EQ(sendFrame({}), (Bytes{0x60, 0x00, 0x02, 0x00, 0x00, 0x62}));
}

TEST_F(CommandText, FirmwareBlockFrame) {
  Bytes payload{'W', 0x08, 0x00, 0x80, 0x00};
  for (int i = 0; i < 2048; ++i) payload.push_back(static_cast<uint8_t>(i * 7 + 3));
  ASSERT_EQ(payload.size(), 2053u);
  const Bytes frame = sendFrame(payload);
  ASSERT_EQ(frame.size(), 2059u);
  EXPECT_EQ(frame[0], 0x60);
  EXPECT_EQ(frame[1], 0x08);
  EXPECT_EQ(frame[2], 0x07);
  const uint16_t crc = CalcCrc16(payload.data(), static_cast<int>(payload.size()));
  EXPECT_EQ(frame[3], crc >> 8);
  EXPECT_EQ(frame[4], crc & 0xFF);
  EXPECT_TRUE(std::equal(payload.begin(), payload.end(), frame.begin() + 5));
  EXPECT_EQ(CalcXorCheck(frame.data(), static_cast<int>(frame.size())), 0) << "check byte closes the XOR";
}

TEST_F(CommandText, BuildCommandTextWithoutPrefixSendsTheDataAlone) {
  const uint8_t data[] = {0x60, 0x00, 0x0A};
  BuildCommandText("", 0, data, 3);
  EXPECT_EQ(lastSent(), (Bytes{0x60, 0x00, 0x0A}));
  BuildCommandText(nullptr, 2, data, 1);
  EXPECT_EQ(lastSent(), (Bytes{0x60, '\r', '\n'})) << "a null prefix adds no bytes";
}

TEST_F(CommandText, OnlyAppendedBytesCountAgainstTheBuffer) {
  BuildCommandText("20", 2, nullptr, 0x7FFFFFFF);
  EXPECT_EQ(lastSent(), (Bytes{'2', '0', '\r', '\n'})) << "null data adds nothing, whatever its length";
  const Bytes data(4093, 'D');
  BuildCommandText(nullptr, 3, data.data(), 4093);
  ASSERT_EQ(LastSendLength(), 4095) << "a null prefix takes no room";
  EXPECT_EQ(LastSendBytes()[4094], '\n');
}

TEST_F(CommandText, ClearSendBufferKeepsTheLength) {
  sendText(CMD_SET_NORM, "I");
  EXPECT_EQ(ClearSendBuffer(), 0);
  EXPECT_EQ(LastSendLength(), 6);
  EXPECT_EQ(lastSent(), Bytes(6, 0));
}

TEST_F(CommandText, LongestCommandsFitAndLongerOnesAreRefused) {
  // Two-digit prefix + data + CR LF may take 4095 bytes, one short of the
  // buffer, so the NUL still fits.
  const Bytes fits(4091, 'A');
  EXPECT_EQ(SendCommand(CMD_IC_POWER_ON, fits.data(), 4091), 0);  // "51" + data
  EXPECT_EQ(LastSendLength(), 4095);
  EXPECT_EQ(LastSendBytes()[4095], 0);

  const Bytes tooLong(4092, 'A');
  EXPECT_EQ(SendCommand(CMD_IC_POWER_ON, tooLong.data(), 4092), -1);
  EXPECT_EQ(LastSendLength(), 0);
  EXPECT_EQ(SendCommand(CMD_IC_POWER_ON, tooLong.data(), 0x7FFFFFFF), -1) << "no overflow in the sum";

  const Bytes frameFits(4089, 0x55);
  EXPECT_EQ(sendFrame(frameFits).size(), 4095u);
  const Bytes frameTooLong(4090, 0x55);
  EXPECT_EQ(SendCommand(CMD_RAW_FRAME, frameTooLong.data(), 4090), -1);
  EXPECT_EQ(LastSendLength(), 0);
}

TEST_F(CommandText, ClosedLinkSendsNothingAndNeverWaits) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SendCommand(CMD_NO_OPERATION, nullptr, 0), 0);
  const uint8_t payload[] = {'X'};
  EXPECT_EQ(SendCommand(CMD_RAW_FRAME, payload, 1), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
}

TEST(Crc16, CheckValue) {
  const std::string check = "123456789";
  EXPECT_EQ(CalcCrc16(reinterpret_cast<const uint8_t*>(check.data()), 9), 0x2189);
  EXPECT_EQ(CalcCrc16(nullptr, 0), 0);
}

TEST(XorCheck, FoldsEveryByte) {
  const uint8_t bytes[] = {0x60, 0x00, 0x03, 0xDE, 0xCD, 0x58};
  EXPECT_EQ(CalcXorCheck(bytes, 6), 0x28);
  EXPECT_EQ(CalcXorCheck(bytes, 0), 0);
}

TEST(StatusCode, ReadsTheFirstTwoCharactersAsANumber) {
  EXPECT_EQ(StatusCodeOf("00"), 0);
  EXPECT_EQ(StatusCodeOf("05"), 5);
  EXPECT_EQ(StatusCodeOf("321abc"), 32) << "only two characters count";
  EXPECT_EQ(StatusCodeOf(" 7"), 7);
  EXPECT_EQ(StatusCodeOf("-2"), -2);
  EXPECT_EQ(StatusCodeOf("+3"), 3);
  EXPECT_EQ(StatusCodeOf("4x"), 4);
  EXPECT_EQ(StatusCodeOf("ab"), 0);
  EXPECT_EQ(StatusCodeOf("\n"), 0);
  EXPECT_EQ(StatusCodeOf(""), 0);
}

}  // namespace
