#include "track_validation.h"

#include <gtest/gtest.h>

#include <string>

namespace {

int check(const std::string& text, int track, int flag = 1) {
  return CheckTrackData(text.data(), static_cast<int>(text.size()), track, flag);
}

}  // namespace

TEST(CheckTrackData, AcceptsEachTrack1Character) {
  std::string set = " $()-./[\\]^0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  for (char c : set) EXPECT_EQ(check(std::string(1, c), 1), kCheckAccepted) << c;
}

TEST(CheckTrackData, RefusesEveryOtherTrack1Character) {
  const std::string set = " $()-./[\\]^0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  for (int code = 1; code < 256; ++code) {
    const char c = static_cast<char>(code);
    if (set.find(c) != std::string::npos) continue;
    EXPECT_EQ(check(std::string(1, c), 1), kCheckBadChar) << code;
  }
  EXPECT_EQ(check(std::string(1, '\0'), 1), kCheckBadChar);
}

TEST(CheckTrackData, Track23Set) {
  for (int track = 2; track <= 3; ++track) {
    for (int code = 0; code < 256; ++code) {
      const char c = static_cast<char>(code);
      const bool inSet = (c >= '0' && c <= '9') || c == '=';
      EXPECT_EQ(check(std::string(1, c), track), inSet ? kCheckAccepted : kCheckBadChar)
          << "track " << track << " code " << code;
    }
  }
}

TEST(CheckTrackData, LengthLimits) {
  EXPECT_EQ(check(std::string(76, 'A'), 1), kCheckAccepted);
  EXPECT_EQ(check(std::string(77, 'A'), 1), kCheckTooLong);
  EXPECT_EQ(check(std::string(37, '1'), 2), kCheckAccepted);
  EXPECT_EQ(check(std::string(38, '1'), 2), kCheckTooLong);
  EXPECT_EQ(check(std::string(104, '1'), 3), kCheckAccepted);
  EXPECT_EQ(check(std::string(105, '1'), 3), kCheckTooLong);
}

TEST(CheckTrackData, BadCharacterBeforeExcessLength) {
  EXPECT_EQ(check(std::string(80, 'A') + "%", 1), kCheckBadChar);
  EXPECT_EQ(check("abc", 1), kCheckBadChar);
  EXPECT_EQ(check("12:", 2), kCheckBadChar);
}

TEST(CheckTrackData, RawModeAcceptsAnything) {
  EXPECT_EQ(check(std::string(120, 'a'), 1, 0), kCheckAccepted);
  EXPECT_EQ(check("\x01\xff", 2, 0), kCheckAccepted);
}

TEST(CheckTrackData, UnknownTrackIsBadCharacter) {
  EXPECT_EQ(check("1", 0), kCheckBadChar);
  EXPECT_EQ(check("1", 4, 0), kCheckBadChar);
}

TEST(CheckTrackData, NegativeLengthsExamineNothing) {
  EXPECT_EQ(CheckTrackData("abc", -1, 9, 1), kCheckAccepted);
  EXPECT_EQ(CheckTrackData("abc", -100, 1, 1), kCheckAccepted);
}
