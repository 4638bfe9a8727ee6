#include "raw_track_bits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string bitsOf(const unsigned char* data) {
  std::string out(kRawTrackBits, '#');
  EXPECT_EQ(RawTrackToBits(&out[0], data), kRawTrackBits);
  return out;
}

}  // namespace

TEST(RawTrackBits, MostSignificantBitFirst) {
  unsigned char data[kRawTrackBytes] = {0x80, 0x01, 0xA5};
  const std::string bits = bitsOf(data);
  EXPECT_EQ(bits.substr(0, 24), "10000000" "00000001" "10100101");
  EXPECT_EQ(bits.substr(24), std::string(kRawTrackBits - 24, '0'));
}

TEST(RawTrackBits, ReadReplyRoundTrip) {
  unsigned char data[kRawTrackBytes];
  for (int i = 0; i < kRawTrackBytes; ++i) data[i] = static_cast<unsigned char>(i * 37 + 5);
  const std::string reply = "001" "0000" "1" + bitsOf(data) + "1\r\n";
  unsigned char back[kRawTrackBytes] = {};
  ASSERT_TRUE(RawBitsToTrack(back, reply.data(), static_cast<int>(reply.size())));
  for (int i = 0; i < kRawTrackBytes; ++i) EXPECT_EQ(back[i], data[i]) << "byte " << i;
}

TEST(RawTrackBits, ShortReplyIsRefusedWithoutReadingPastIt) {
  unsigned char data[kRawTrackBytes] = {0xFF};
  const std::string full = "002" "1" + bitsOf(data);
  unsigned char back[kRawTrackBytes] = {0x11};
  // A heap block of exactly the reply's size: a read past it is seen by the
  // address sanitizer.
  const std::vector<char> shortReply(full.begin(), full.end() - 1);
  EXPECT_FALSE(RawBitsToTrack(back, shortReply.data(), static_cast<int>(shortReply.size())));
  EXPECT_EQ(back[0], 0x11);
  EXPECT_TRUE(RawBitsToTrack(back, full.data(), static_cast<int>(full.size())));
  EXPECT_EQ(back[0], 0xFF);
}

TEST(RawTrackBits, ReplyOfZerosOnlyIsRefused) {
  const std::string reply = "003" + std::string(1000, '0');
  unsigned char back[kRawTrackBytes];
  EXPECT_FALSE(RawBitsToTrack(back, reply.data(), static_cast<int>(reply.size())));
  EXPECT_FALSE(RawBitsToTrack(back, "00", 2));
}
