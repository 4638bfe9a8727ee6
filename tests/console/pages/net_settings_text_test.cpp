// The hex helpers, the data of a network settings write and the read-back of
// the settings text, without any window.
#include <gtest/gtest.h>

#include <string>

#include "pages/NetSettingsWrite.h"
#include "reply/HexText.h"
#include "reply/NetSettingsReply.h"

namespace {

struct DigitCase {
  char c;
  int digitValue;  // HexDigitValue
  int pairHigh;    // HexPairToByte({c, '0'})
  int textHigh;    // HexTextToBytes of {c, '0'}
};

class HexDigits : public testing::TestWithParam<DigitCase> {};

TEST_P(HexDigits, EachConverterDrawsItsOwnLine) {
  const DigitCase& t = GetParam();
  EXPECT_EQ(HexDigitValue(t.c), t.digitValue);
  const char pair[2] = {t.c, '0'};
  EXPECT_EQ(HexPairToByte(pair), t.pairHigh);
  uint8_t byte = 0;
  EXPECT_EQ(HexTextToBytes(&byte, pair, 2), 1);
  EXPECT_EQ(byte, t.textHigh);
}

INSTANTIATE_TEST_SUITE_P(
    Table, HexDigits,
    testing::Values(DigitCase{'0', 0, 0x00, 0x00}, DigitCase{'9', 9, 0x90, 0x90},
                    DigitCase{'A', 10, 0xA0, 0xA0}, DigitCase{'F', 15, 0xF0, 0xF0},
                    DigitCase{'a', 42, 0xA0, 0xA0}, DigitCase{'f', 47, 0xF0, 0xF0},
                    // ':' to '@': a digit for one rule, a letter for the other.
                    DigitCase{':', 3, 0x30, 0xA0}, DigitCase{'@', 9, 0x90, 0x00},
                    DigitCase{'G', 16, 0x00, 0x00}, DigitCase{'\xFF', 200, 0x80, 0x80}));

TEST(HexText, ByteToHexWritesTwoUpperCaseDigitsAndNoTerminator) {
  char out[3] = {'x', 'x', 'x'};
  ByteToHex(0xA5, out);
  EXPECT_EQ(std::string(out, 3), "A5x");
  ByteToHex(0x0C, out);
  EXPECT_EQ(std::string(out, 2), "0C");
}

TEST(HexText, TextToBytesLowCharacterRulesAndOddLength) {
  uint8_t out[3] = {0xEE, 0xEE, 0xEE};
  EXPECT_EQ(HexTextToBytes(out, "a5c 7", 5), 2);  // the odd last character is ignored
  EXPECT_EQ(out[0], 0xA5);
  EXPECT_EQ(out[1], 0xC0) << "a blank as the low character is a zero nibble";
  EXPECT_EQ(out[2], 0xEE);
}

// ---- write data -----------------------------------------------------------

NetSettingsForm formWith(std::initializer_list<std::pair<int, const char*>> octets) {
  NetSettingsForm form;
  for (const auto& octet : octets) form.octetTexts[static_cast<size_t>(octet.first)] = octet.second;
  return form;
}

struct WriteCase {
  const char* name;
  NetSettingsForm form;
  std::string data;
};

class NetWriteData : public testing::TestWithParam<WriteCase> {};

TEST_P(NetWriteData, IsTheFlagsAndTheFortyEightCharacters) {
  const std::string data = NetSettingsWriteData(GetParam().form);
  EXPECT_EQ(data, GetParam().data);
  EXPECT_EQ(data.size(), 50u);
}

std::vector<WriteCase> writeCases() {
  std::vector<WriteCase> cases;
  cases.push_back({"NothingTicked", NetSettingsForm{}, std::string(50, '0')});

  NetSettingsForm ipAndPort = formWith({{0, "10"}, {1, "1"}, {2, "2"}, {3, "3"}, {4, "99"}});
  ipAndPort.ip = ipAndPort.port = true;
  ipAndPort.portText = "3001";
  cases.push_back({"MyIpAndPort", ipAndPort,
                   "22" + std::string(12, '0') + "0A010203" + std::string(24, '0') + "0BB9"});

  NetSettingsForm all = formWith({{0, "300"}, {1, "abc"}, {2, "-1"}, {3, " +7x"}, {15, "255"}});
  all.ip = all.gate = all.subnet = all.dns = all.port = true;
  cases.push_back(
      {"AllButMacOddTexts", all,
       "3E" + std::string(12, '0') + "2C00FF07" + std::string(22, '0') + "FF" + "0000"});

  NetSettingsForm bigPort;
  bigPort.port = true;
  bigPort.portText = "70000";
  cases.push_back({"PortKeepsItsLowSixteenBits", bigPort, "20" + std::string(44, '0') + "1170"});

  NetSettingsForm mac;
  mac.mac = true;
  mac.macTexts = {"a5", "05", "G1", "", "FF", "00"};
  cases.push_back({"MacPairsGoOutUpperCase", mac,
                   "01A50501"
                   "00FF00" +
                       std::string(36, '0')});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Table, NetWriteData, testing::ValuesIn(writeCases()),
                         [](const testing::TestParamInfo<WriteCase>& info) {
                           return info.param.name;
                         });

TEST(NetWriteData, UntickedGroupIsSentAsZerosWhateverItsEditsHold) {
  NetSettingsForm form = formWith({{0, "10"}, {4, "10"}, {8, "255"}, {12, "8"}});
  form.macTexts = {"11", "22", "33", "44", "55", "66"};
  form.portText = "3001";
  form.gate = true;
  EXPECT_EQ(NetSettingsWriteData(form),
            "04" + std::string(20, '0') + "0A000000" + std::string(20, '0'));
}

// ---- read-back ------------------------------------------------------------

TEST(NetReadBack, ExampleFillsAllTwentyThreeTexts) {
  const std::string reply =
      "001"
      "001122334"
      "4AA"
      "0A010203"
      "0A010201"
      "FFFFFF00"
      "0A010202"
      "0BB9"
      "\r\n";
  const NetSettingsReadBack back = NetSettingsFromReply(reply.c_str());
  EXPECT_EQ(back.fieldCount, 23);
  const std::array<std::string, 23> expected = {"00",  "11", "22", "33", "44", "AA", "10",  "1",
                                                "2",   "3",  "10", "1",  "2",  "1",  "255", "255",
                                                "255", "0",  "10", "1",  "2",  "2",  "3001"};
  EXPECT_EQ(back.texts, expected);
}

TEST(NetReadBack, LowerCasePairsGiveTheSameNumbersAndMacStaysAsReceived) {
  const std::string reply =
      "001"
      "aabbccddeeff"
      "c0a80001"
      "00000000"
      "00000000"
      "00000000"
      "0bb9"
      "\n";
  const NetSettingsReadBack back = NetSettingsFromReply(reply.c_str());
  EXPECT_EQ(back.texts[0], "aa");
  EXPECT_EQ(back.texts[6], "192");
  EXPECT_EQ(back.texts[7], "168");
  EXPECT_EQ(back.texts[22], "3001");
}

struct ShortCase {
  size_t settingsCharacters;  // of the 48 that came before the line end
  int fieldCount;
};

class NetReadBackShort : public testing::TestWithParam<ShortCase> {};

TEST_P(NetReadBackShort, FillsOnlyWhatCameWhole) {
  const std::string full = "001" + std::string(48, '1');
  const std::string reply = full.substr(0, 3 + GetParam().settingsCharacters) + "\r\n";
  const NetSettingsReadBack back = NetSettingsFromReply(reply.c_str());
  EXPECT_EQ(back.fieldCount, GetParam().fieldCount);
  for (int i = back.fieldCount; i < 23; ++i) EXPECT_EQ(back.texts[static_cast<size_t>(i)], "");
}

INSTANTIATE_TEST_SUITE_P(Table, NetReadBackShort,
                         testing::Values(ShortCase{0, 0}, ShortCase{1, 0}, ShortCase{12, 6},
                                         ShortCase{13, 6}, ShortCase{44, 22}, ShortCase{47, 22},
                                         ShortCase{48, 23}));

}  // namespace
