// The hex helpers, the data of a network settings write and the read-back of
// a short settings text, without any window.
#include <gtest/gtest.h>

#include "pages/NetSettingsWrite.h"
#include "reply/HexText.h"
#include "reply/NetSettingsReply.h"

namespace {

struct DigitCase {
  char c;
  int digitValue, pairHigh,
      textHigh;  // HexDigitValue, high nibble by HexPairToByte / HexTextToBytes
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

// ':' to '@' are digits for one rule and letters for the other.
INSTANTIATE_TEST_SUITE_P(
    Table, HexDigits,
    testing::Values(DigitCase{'0', 0, 0x00, 0x00}, DigitCase{'9', 9, 0x90, 0x90},
                    DigitCase{'F', 15, 0xF0, 0xF0}, DigitCase{'a', 42, 0xA0, 0xA0},
                    DigitCase{':', 3, 0x30, 0xA0}, DigitCase{'@', 9, 0x90, 0x00},
                    DigitCase{'G', 16, 0x00, 0x00}, DigitCase{'\xFF', 200, 0x80, 0x80}));

TEST(HexText, ByteToHexAndTheLowCharacterRulesOfTextToBytes) {
  char out[3] = {'x', 'x', 'x'};
  ByteToHex(0xA5, out);
  EXPECT_EQ(std::string(out, 3), "A5x");
  uint8_t bytes[3] = {0xEE, 0xEE, 0xEE};
  EXPECT_EQ(HexTextToBytes(bytes, "a5c 7", 5), 2);  // the odd last character is ignored
  EXPECT_EQ(bytes[0], 0xA5);
  EXPECT_EQ(bytes[1], 0xC0) << "a blank as the low character is a zero nibble";
  EXPECT_EQ(bytes[2], 0xEE);
}

TEST(NetWriteData, SignsBlanksPortBitsAndMacPairs) {
  NetSettingsForm form;
  form.octetTexts = {"-1", " +7x"};
  form.macTexts = {"a5", "05", "G1", "", "FF", "00"};
  form.portText = "70000";
  form.ip = form.port = form.mac = true;
  EXPECT_EQ(NetSettingsWriteData(form),
            "23A5050100FF00"
            "FF070000" +
                std::string(24, '0') + "1170");
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
                         testing::Values(ShortCase{1, 0}, ShortCase{13, 6}, ShortCase{47, 22},
                                         ShortCase{48, 23}));

}  // namespace
