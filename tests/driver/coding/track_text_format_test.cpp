#include "track_text_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

std::string lines(const std::string& scratchText) {
  char scratch[kScratchSize];
  memset(scratch, 0, sizeof scratch);
  memcpy(scratch, scratchText.data(), std::min(scratchText.size(), sizeof scratch));
  char out[kTrackLinesRoom + 1];
  out[kTrackLinesRoom] = '#';
  const int n = FormatTrackLines(out, scratch);
  EXPECT_EQ(out[kTrackLinesRoom], '#');
  return std::string(out, n);
}

std::string hex(const std::string& bytes) {
  char out[kTrackHexRoom + 1];
  out[kTrackHexRoom] = '#';
  const int n = FormatTrackHex(out, reinterpret_cast<const unsigned char*>(bytes.data()),
                               static_cast<int>(bytes.size()));
  EXPECT_EQ(out[kTrackHexRoom], '#');
  return n < 0 ? "refused" : std::string(out, n);
}

}  // namespace

TEST(FormatTrackLines, ShortTextThenSevenCrs) {
  EXPECT_EQ(lines("ABC"), "ABC\r\r\r\r\r\r\r");
  EXPECT_EQ(lines(""), std::string(7, '\r'));
}

TEST(FormatTrackLines, SixteenCharactersPerLine) {
  const std::string text = "0123456789ABCDEF" "GHIJ";
  EXPECT_EQ(lines(text), "0123456789ABCDEF\rGHIJ\r\r\r\r\r\r");
  EXPECT_EQ(lines(std::string(16, 'x')), std::string(16, 'x') + std::string(7, '\r'));
}

TEST(FormatTrackLines, FullAreaWithoutTerminatorIsEightLines) {
  std::string text;
  for (int i = 0; i < kScratchSize; ++i) text += static_cast<char>('a' + i % 26);
  const std::string out = lines(text);
  ASSERT_EQ(out.size(), static_cast<size_t>(kTrackLinesRoom));
  for (int line = 0; line < 8; ++line) {
    EXPECT_EQ(out.substr(line * 17, 16), text.substr(line * 16, 16));
    if (line < 7) {
      EXPECT_EQ(out[line * 17 + 16], '\r');
    }
  }
}

TEST(FormatTrackHex, WorkedExamples) {
  EXPECT_EQ(hex("\xFF"), "FFC0");
  EXPECT_EQ(hex(std::string(1, '\0')), "8040");
  EXPECT_EQ(hex("\xA5\x5A"), "D2AD40");
}

TEST(FormatTrackHex, EmptyTrackIsTheClosingBitAlone) { EXPECT_EQ(hex(""), "C0"); }

TEST(FormatTrackHex, LongestFieldFills256Characters) {
  const std::string out = hex(std::string(127, '\x01'));
  ASSERT_EQ(out.size(), 256u);
  EXPECT_EQ(out.substr(0, 4), "8080");
  EXPECT_EQ(out.substr(252), "80C0");
}

TEST(FormatTrackHex, LengthsOutsideTheFieldAreRefused) {
  char out[4] = "###";
  const unsigned char data[1] = {0};
  EXPECT_EQ(FormatTrackHex(out, data, 128), -1);
  EXPECT_EQ(FormatTrackHex(out, data, -1), -1);
  EXPECT_EQ(std::string(out), "###");
}
