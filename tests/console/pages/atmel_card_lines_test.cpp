// The simulator's ATMEL memory cards, over a loopback TCP connection: what
// the ATMEL page tests rely on them to answer.
#include "atmel_card_lines.h"

#include <gtest/gtest.h>

#include "line_client.h"

namespace {

using readersim::AtmelCardLines;

class AtmelCardLinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = sim_.StartTcp(0);
    ASSERT_NE(port_, 0);
  }
  readersim::ReaderSim sim_;
  AtmelCardLines cards_{sim_};
  uint16_t port_ = 0;
};

TEST_F(AtmelCardLinesTest, SizesFollowTheTypeCharacter) {
  const std::pair<char, int> sizes[] = {{'0', 128},    {'4', 2048}, {'9', 65536},
                                        {'A', 131072}, {'B', 0},    {'a', 0}};
  for (const auto& [type, bytes] : sizes) EXPECT_EQ(AtmelCardLines::CardBytes(type), bytes) << type;
}

TEST_F(AtmelCardLinesTest, LinesAnswerByThePoweredCardAndItsBounds) {
  LineClient client(port_);
  ASSERT_TRUE(client.connected());
  cards_.SetMemory('1', 0xFE, "\x12\x34");
  struct Exchange {
    const char* line;
    const char* reply;
  };
  const Exchange exchanges[] = {
      {"62000000001", "510"},  // no card powered
      {"60B", "50B"},          // no such card
      {"601", "001\r"},
      {"620000FE002", "0001234\r"},
      {"620000FF002", "510"},      // past the end of 256 bytes
      {"62000000000", "510"},      // no bytes
      {"62000000401", "510"},      // more than 1024
      {"620000F", "510"},          // no count
      {"630000100023Ab0", "510"},  // not upper-case hex
      {"63000010003ABCD", "510"},  // fewer bytes than counted
      {"63000010002ABCD", "000\r"},
      {"62000010002", "000ABCD\r"},
      {"6101", "000\r"},
      {"62000010002", "510"},
  };
  for (const Exchange& exchange : exchanges)
    EXPECT_EQ(client.ask(exchange.line), exchange.reply) << exchange.line;
  EXPECT_EQ(cards_.Memory('1', 0x10, 2), "\xAB\xCD");
  EXPECT_EQ(cards_.PoweredType(), 0);
}

TEST_F(AtmelCardLinesTest, VerifyingWritesFindProtectedBytesAndFaultsComeOnRequest) {
  LineClient client(port_);
  cards_.Protect('A', 0x1FFFE, 0x1FFFF);
  EXPECT_EQ(client.ask("60A"), "00A\r");
  EXPECT_EQ(client.ask("6301FFFC0040102FFFF"), "000\r");  // takes what it can, says nothing
  EXPECT_EQ(client.ask("6401FFFC0040506FFFF"), "000\r");  // FF is what the card holds
  EXPECT_EQ(client.ask("6401FFFC004070800FF"), "510");
  EXPECT_EQ(cards_.Memory('A', 0x1FFFC, 4), "\x07\x08\xFF\xFF");
  cards_.FailWith(50, 1);
  EXPECT_EQ(client.ask("6201FFFC004"), "500");
  EXPECT_EQ(client.ask("6201FFFC004"),
            "00007"
            "08FFFF\r");
  cards_.FailWith(51);
  EXPECT_EQ(client.ask("60A"), "51A");
  EXPECT_EQ(client.ask("60A"), "51A");
  cards_.ClearFaults();
  EXPECT_EQ(client.ask("60A"), "00A\r");
}

}  // namespace
