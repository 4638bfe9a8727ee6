// Every code of the reader's table yields exactly its prefix; any other code
// is refused without building or sending anything.
#include <gtest/gtest.h>

#include <string>

#include "link.h"

namespace {

struct Row {
  int code;
  const char* prefix;
};

// The reader's line commands and their prefixes, written out
// independently of the code under test; code 0 (the frame) has no prefix.
const Row kExpectedRows[] = {
    {0x1000, "000"}, {0x1001, "010"}, {0x1002, "020"}, {0x2000, "04"},
    {0x2001, "05"},  {0x2002, "06"},  {0x2003, "070"}, {0x2004, "080"}, {0x3000, "120"},
    {0x3001, "160"}, {0x3002, "150"}, {0x3003, "170"}, {0x3004, "700"}, {0x3005, "710"},
    {0x3030, "030"}, {0x3031, "031"}, {0x3300, "130"}, {0x3400, "140"}, {0x4000, "20"},
    {0x4001, "26"},  {0x4002, "28"},  {0x4003, "19"},  {0x4004, "21"},  {0x4005, "27"},
    {0x5000, "23"},  {0x5001, "25"},  {0x5002, "18"},  {0x5003, "22"},  {0x5004, "24"},
    {0x5005, "300"}, {0x6000, "310"}, {0x6001, "320"}, {0x6002, "330"}, {0x6003, "340"},
    {0x6004, "410"}, {0x6005, "500"}, {0x6006, "51"},  {0x6007, "520"}, {0x6008, "530"},
    {0x6009, "990"}, {0x7000, "60"},  {0x7001, "610"}, {0x7002, "620"}, {0x7003, "630"},
    {0x7004, "640"},
};

std::string lastSent() {
  return std::string(reinterpret_cast<const char*>(LastSendBytes()), static_cast<size_t>(LastSendLength()));
}

class CommandTable : public ::testing::TestWithParam<Row> {
 protected:
  void SetUp() override { LinkMode.store(LINK_CLOSED); }
};

TEST_P(CommandTable, LineIsPrefixThenCrLf) {
  const Row row = GetParam();
  ASSERT_NE(CommandPrefix(row.code), nullptr);
  EXPECT_STREQ(CommandPrefix(row.code), row.prefix);
  EXPECT_EQ(SendCommand(row.code, nullptr, 0), 0) << "link closed";
  EXPECT_EQ(lastSent(), std::string(row.prefix) + "\r\n");
  EXPECT_EQ(LastSendBytes()[LastSendLength()], 0) << "a NUL follows the line";
}

INSTANTIATE_TEST_SUITE_P(AllRows, CommandTable, ::testing::ValuesIn(kExpectedRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                           char name[16];
                           std::snprintf(name, sizeof name, "code_%04X", info.param.code);
                           return std::string(name);
                         });

TEST(CommandTableFrame, CodeZeroHasAnEmptyPrefix) {
  ASSERT_NE(CommandPrefix(CMD_RAW_FRAME), nullptr);
  EXPECT_STREQ(CommandPrefix(CMD_RAW_FRAME), "");
}

TEST(CommandTableSize, HoldsExactlyTheListedCodes) {
  int known = 0;
  for (int code = 0; code <= 0xFFFF; ++code) known += CommandPrefix(code) != nullptr;
  EXPECT_EQ(known, 46);
}

TEST(UnknownCodes, AreRefusedAndNothingIsBuilt) {
  LinkMode.store(LINK_CLOSED);
  const uint8_t data[] = {'1'};
  for (int code : {0x7005, 0x1003, 0x2005, 0xFFFF, -1, 0x10000}) {
    SendCommand(CMD_VERSION, nullptr, 0);  // leaves a line in the buffer
    ASSERT_GT(LastSendLength(), 0);
    EXPECT_EQ(CommandPrefix(code), nullptr) << code;
    EXPECT_EQ(SendCommand(code, data, 1), -1) << code;
    EXPECT_EQ(LastSendLength(), 0) << code;
    EXPECT_EQ(SendCommandCode(code, data, 1), -1) << code;
  }
}

}  // namespace
