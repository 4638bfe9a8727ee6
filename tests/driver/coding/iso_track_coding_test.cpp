#include "iso_track_coding.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr int kArea = 128;

std::string encode1(const std::string& text) {
  std::string out(7 * (text.size() + 3), '#');
  const int n = EncodeTrack1(&out[0], text.data(), static_cast<int>(text.size()));
  EXPECT_EQ(n, static_cast<int>(out.size()));
  return out;
}

std::string encode23(const std::string& text) {
  std::string out(5 * (text.size() + 3), '#');
  const int n = EncodeTrack23(&out[0], text.data(), static_cast<int>(text.size()));
  EXPECT_EQ(n, static_cast<int>(out.size()));
  return out;
}

struct Decoded {
  int count;
  int error;
  std::string text;
};

Decoded decode1(const std::string& bits, int room = kArea) {
  char out[kArea + 1];
  int error = -1;
  const int count = DecodeTrack1(&error, out, room, bits.data(), static_cast<int>(bits.size()));
  return {count, error, count > 0 ? std::string(out, count) : std::string()};
}

Decoded decode23(const std::string& bits, int room = kArea) {
  char out[kArea + 1];
  int error = -1;
  const int count = DecodeTrack23(&error, out, room, bits.data(), static_cast<int>(bits.size()));
  return {count, error, count > 0 ? std::string(out, count) : std::string()};
}

std::string track1Set() {
  std::string set = " $()-./[\\]^";
  for (char c = '0'; c <= '9'; ++c) set += c;
  for (char c = 'A'; c <= 'Z'; ++c) set += c;
  return set;
}

std::string track23Set() { return "0123456789="; }

std::string flipBit(std::string bits, size_t position) {
  bits[position] = bits[position] == '0' ? '1' : '0';
  return bits;
}

}  // namespace

TEST(OddParity, SetsTheBitThatMakesTheCountOdd) {
  EXPECT_EQ(SetOddParity(5, 6), 5 | 64);    // two ones: parity set
  EXPECT_EQ(SetOddParity(31, 6), 31);       // five ones: parity clear
  EXPECT_EQ(SetOddParity(31 | 64, 6), 31);  // a stale parity bit is replaced
  EXPECT_EQ(SetOddParity(0, 4), 16);
  EXPECT_EQ(SetOddParity(11, 4), 11);
}

TEST(BitsToText, LeastSignificantFirstWithoutTerminator) {
  char out[9] = "########";
  EXPECT_EQ(BitsToText(out, 0x45, 7), 7);
  EXPECT_EQ(std::string(out), "1010001#");
}

TEST(EncodeTrack, EmptyTrack2IsSentinelsAndLrc) {
  EXPECT_EQ(encode23(""), "11010" "11111" "00100");
}

TEST(EncodeTrack, NegativeLengthWritesAnEmptyTrack) {
  char out[21];
  EXPECT_EQ(EncodeTrack1(out, "ignored", -5), 21);
  EXPECT_EQ(std::string(out, 21), encode1(""));
  char out23[15];
  EXPECT_EQ(EncodeTrack23(out23, "9", 0), 15);
  EXPECT_EQ(std::string(out23, 15), "110101111100100");
}

TEST(EncodeTrack, Track1LetterA) {
  EXPECT_EQ(encode1("A"), "1010001" "1000011" "1111100" "1101110");
}

TEST(EncodeTrack, Track2SevenCharactersTake50) {
  EXPECT_EQ(encode23("1234567").size(), 50u);
}

TEST(EncodeTrack, OutsideCharactersAreCodedNotRefused) {
  // '%' is value 5 on track 1, the start sentinel's value.
  EXPECT_EQ(encode1("%").substr(7, 7), "1010001");
}

TEST(RoundTrip, EveryTrack1Character) {
  for (char c : track1Set()) {
    const std::string text(3, c);
    const Decoded d = decode1(encode1(text));
    EXPECT_EQ(d.error, 0) << "character '" << c << "'";
    EXPECT_EQ(d.count, 3);
    EXPECT_EQ(d.text, text);
  }
}

TEST(RoundTrip, EveryTrack23Character) {
  for (char c : track23Set()) {
    const std::string text(5, c);
    const Decoded d = decode23(encode23(text));
    EXPECT_EQ(d.error, 0) << "character '" << c << "'";
    EXPECT_EQ(d.text, text);
  }
}

TEST(RoundTrip, LongestTexts) {
  const std::string set1 = track1Set();
  std::string text1;
  while (text1.size() < 76) text1 += set1[text1.size() % set1.size()];
  EXPECT_EQ(decode1(encode1(text1)).text, text1);

  std::string text3;
  while (text3.size() < 104) text3 += track23Set()[text3.size() % 11];
  EXPECT_EQ(decode23(encode23(text3)).text, text3);
}

TEST(DecodeTrack, LeadingZerosAndTrailingCharactersIgnored) {
  const std::string bits = std::string(40, '0') + encode1("A") + "1x01\r";
  const Decoded d = decode1(bits);
  EXPECT_EQ(d.error, 0);
  EXPECT_EQ(d.count, 1);
  EXPECT_EQ(d.text, "A");
}

TEST(DecodeTrack, OutputIsTerminated) {
  char out[kArea];
  memset(out, 'x', sizeof out);
  const std::string bits = encode23("12=");
  int error = -1;
  ASSERT_EQ(DecodeTrack23(&error, out, kArea, bits.data(), static_cast<int>(bits.size())), 3);
  EXPECT_STREQ(out, "12=");
}

TEST(DecodeTrack, EmptyTrackIsShorterThanFourGroups) {
  EXPECT_EQ(decode23(encode23("")).error, kDecodeNotEncoded);
  EXPECT_EQ(decode23(encode23("")).count, 0);
}

TEST(DecodeTrack, OnlyZerosIsNotEncoded) {
  EXPECT_EQ(decode1(std::string(300, '0')).error, kDecodeNotEncoded);
  EXPECT_EQ(decode23("").error, kDecodeNotEncoded);
}

TEST(DecodeTrack, GroupOtherThanStartSentinel) {
  // Starts with the valid group of 'A' instead of '%'.
  const std::string bits = encode1("AA").substr(7);
  EXPECT_EQ(decode1(bits).error, kDecodeWrongStartSentinel);
}

TEST(DecodeTrack, FlippedBitInADataGroup) {
  const std::string bits = flipBit(encode1("AB"), 7 + 2);
  EXPECT_EQ(decode1(bits).error, kDecodeNotEncoded);
  const std::string bits23 = flipBit(encode23("12"), 5 + 1);
  EXPECT_EQ(decode23(bits23).error, kDecodeNotEncoded);
}

TEST(DecodeTrack, CharacterOtherThanBitsInAGroup) {
  std::string bits = encode23("1234");
  bits[12] = 'x';
  EXPECT_EQ(decode23(bits).error, kDecodeNotEncoded);
}

TEST(DecodeTrack, EndsBeforeEndSentinel) {
  const std::string full = encode23("123456");
  EXPECT_EQ(decode23(full.substr(0, 5 * 5)).error, kDecodeNoEndSentinel);
}

TEST(DecodeTrack, EndsBetweenEndSentinelAndLrc) {
  const std::string full = encode23("123456");
  EXPECT_EQ(decode23(full.substr(0, full.size() - 5)).error, kDecodeNoEndSentinel);
  EXPECT_EQ(decode23(full.substr(0, full.size() - 1)).error, kDecodeNoEndSentinel);
}

TEST(DecodeTrack, WrongLrc) {
  std::string bits = encode1("AB");
  // Replace the LRC group by another group of odd parity.
  bits.replace(bits.size() - 7, 7, "1000011");
  EXPECT_EQ(decode1(bits).error, kDecodeLrcError);
}

TEST(DecodeTrack, BadGroupInPlaceOfLrc) {
  const std::string bits = flipBit(encode23("5"), 5 * 3);
  EXPECT_EQ(decode23(bits).error, kDecodeNotEncoded);
}

TEST(DecodeTrack, TextLongerThanTheAreaStopsAtItsEnd) {
  // 200 characters of track 2 fit a 1100-byte reply but not a 128-byte area.
  const std::string text(200, '7');
  char out[kArea + 8];
  memset(out, 'z', sizeof out);
  const std::string bits = encode23(text);
  int error = 0;
  EXPECT_EQ(DecodeTrack23(&error, out, kArea, bits.data(), static_cast<int>(bits.size())), 0);
  EXPECT_EQ(error, kDecodeNoEndSentinel);
  for (size_t i = kArea; i < sizeof out; ++i) EXPECT_EQ(out[i], 'z') << "byte " << i;
}

TEST(DecodeTrack, TextFillingTheAreaExactlyFits) {
  const std::string text(127, '3');
  EXPECT_EQ(decode23(encode23(text)).text, text);
  EXPECT_EQ(decode23(encode23(text + "3")).error, kDecodeNoEndSentinel);
}

TEST(ReadBitChar, ValueWithoutParity) {
  int error = -1;
  EXPECT_EQ(ReadBitChar(&error, 6, "1000011"), 33);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(ReadBitChar(&error, 4, "11000"), 0);
  EXPECT_EQ(error, 1);
}
