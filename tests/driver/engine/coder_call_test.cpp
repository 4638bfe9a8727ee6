// The checks every coder call makes before it works, and what MagCoder does
// with a command it does not know.
#include <gtest/gtest.h>

#include <cstring>

#include "driver_harness.h"

namespace {

using Lines = std::vector<std::string>;

constexpr int32_t kUnknownHandle = 0x7654321;

CoderRecord recordWithScratch(const char* text) {
  CoderRecord record = EmptyRecord();
  std::strcpy(record.scratch, text);
  return record;
}

TEST(CoderCallChecks, WrongSizeComesBeforeTheHandle) {
  CoderRecord record = recordWithScratch("keep");
  record.size = 517;
  EXPECT_EQ(MagCoder(kUnknownHandle, READ_CARD, &record), STRUCTSIZEERROR);
  EXPECT_EQ(MagNBSCoder(kUnknownHandle, WRITE_CARD, &record, "text"), STRUCTSIZEERROR);
  EXPECT_STREQ(record.scratch, "keep");
  EXPECT_EQ(MagCoder(kUnknownHandle, READ_CARD, nullptr), STRUCTSIZEERROR);
}

TEST(CoderCallChecks, UnknownHandle) {
  CoderRecord record = recordWithScratch("keep");
  EXPECT_EQ(MagCoder(kUnknownHandle, READ_CARD, &record), MRW_NOSESSION);
  EXPECT_EQ(MagNBSCoder(kUnknownHandle, WRITE_CARD, &record, "text"), MRW_NOSESSION);
  EXPECT_STREQ(record.scratch, "keep");
}

TEST(CoderCallChecks, UnknownCommandStillClearsScratch) {
  DriverHarness h(Link::Tcp);
  ASSERT_NE(h.Open(), 0);
  CoderRecord record = recordWithScratch("to be cleared");
  record.len1 = 1;
  EXPECT_EQ(MagCoder(h.Handle(), 30, &record), MRW_COMMERROR);
  EXPECT_EQ(std::memcmp(record.scratch, EmptyRecord().scratch, sizeof record.scratch), 0);
  // Nothing went to the reader before the next call's link initialisation.
  CoderRecord init = EmptyRecord();
  EXPECT_EQ(MagCoder(h.Handle(), INIT_LINK, &init), 0);
  EXPECT_EQ(h.Lines(), (Lines{"080B"}));
}

}  // namespace
