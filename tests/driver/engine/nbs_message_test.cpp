// MagNBSCoder's framed message as it leaves on the session's socket.
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "driver_harness.h"
#include "loopback_listener.h"

namespace {

constexpr int kTextBlockSize = 260;

std::vector<char> textBlock(const char* t0, const char* t1, const char* t2, const char* t3) {
  std::vector<char> block(kTextBlockSize, '\0');
  std::strcpy(&block[0], t0);
  std::strcpy(&block[65], t1);
  std::strcpy(&block[130], t2);
  std::strcpy(&block[195], t3);
  return block;
}

class NbsMessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    handle_ = MagTcpIpOpen("127.0.0.1", listener_.Port(), 0, 5);
    ASSERT_NE(handle_, 0);
    peer_ = listener_.Accept(5000);
    ASSERT_GE(peer_, 0);
  }
  void TearDown() override {
    if (handle_ != 0) MagClose(handle_);
    if (peer_ >= 0) close(peer_);
  }

  // The bytes up to and including the next ETX ("" when none came in time).
  std::string nextMessage() {
    std::string bytes;
    for (;;) {
      pollfd readable{peer_, POLLIN, 0};
      if (poll(&readable, 1, 5000) <= 0) return "";
      char c;
      if (read(peer_, &c, 1) != 1) return "";
      bytes += c;
      if (c == '\x03') return bytes;
    }
  }

  CoderRecord sampleRecord() {
    CoderRecord record = EmptyRecord();
    std::strcpy(record.scratch, "ABC");
    std::strcpy(record.track1, "TRACK1");
    record.len1 = 6;
    std::strcpy(record.track2, "1234");
    record.len2 = 10;  // the text ends at its zero byte
    record.track3[0] = static_cast<char>(0xA5);
    record.track3[1] = 0x5A;
    record.len3 = 2;
    return record;
  }

  LoopbackListener listener_;
  int32_t handle_ = 0;
  int peer_ = -1;
};

TEST_F(NbsMessageTest, MessageByteForByte) {
  CoderRecord record = sampleRecord();
  const std::vector<char> texts = textBlock("T0", "T1", "T2", "T3");
  EXPECT_EQ(MagNBSCoder(handle_, WRITE_CARD, &record, texts.data()), 0);
  const std::string expected = std::string("\x02") + "T0 T1\rT2\rT3\r" + "ABC" + std::string(7, '\r') +
                               "\r" + "TRACK1\r" + "1234\r" + "D2AD40\r" + "\x03";
  EXPECT_EQ(nextMessage(), expected);
  EXPECT_STREQ(record.scratch, "ABC");  // this call leaves scratch alone
}

TEST_F(NbsMessageTest, EmptyFirstTextHasNoBlank) {
  CoderRecord record = sampleRecord();
  const std::vector<char> texts = textBlock("", "T1", "", "");
  ASSERT_EQ(MagNBSCoder(handle_, WRITE_CARD, &record, texts.data()), 0);
  EXPECT_EQ(nextMessage().substr(0, 4), "\x02T1\r");
}

TEST_F(NbsMessageTest, OnlyWriteSends) {
  CoderRecord record = sampleRecord();
  const std::vector<char> texts = textBlock("first", "", "", "");
  EXPECT_EQ(MagNBSCoder(handle_, READ_CARD, &record, texts.data()), MRW_COMMERROR);
  EXPECT_EQ(MagNBSCoder(handle_, INIT_LINK, &record, texts.data()), MRW_COMMERROR);
  EXPECT_EQ(MagNBSCoder(handle_, 99, &record, texts.data()), MRW_COMMERROR);
  ASSERT_EQ(MagNBSCoder(handle_, WRITE_CARD, &record, texts.data()), 0);
  // The first bytes on the socket are those of the one message sent.
  EXPECT_EQ(nextMessage().substr(0, 7), "\x02""first ");
}

TEST_F(NbsMessageTest, TextsWithoutTerminatorAreCut) {
  CoderRecord record = sampleRecord();
  const std::vector<char> texts(kTextBlockSize, 'x');  // no terminator anywhere
  ASSERT_EQ(MagNBSCoder(handle_, WRITE_CARD, &record, texts.data()), 0);
  const std::string x64(64, 'x');
  EXPECT_EQ(nextMessage().substr(0, 261), "\x02" + x64 + " " + x64 + "\r" + x64 + "\r" + x64 + "\r");
}

TEST_F(NbsMessageTest, LengthsOutsideTheAreasAreRefused) {
  const std::vector<char> texts = textBlock("", "", "", "");
  CoderRecord record = sampleRecord();
  record.len3 = 128;
  EXPECT_EQ(MagNBSCoder(handle_, WRITE_CARD, &record, texts.data()), MRW_COMMERROR);
  record = sampleRecord();
  record.len1 = 129;
  EXPECT_EQ(MagNBSCoder(handle_, WRITE_CARD, &record, texts.data()), MRW_COMMERROR);

  // The longest accepted record fits the line buffer.
  record = sampleRecord();
  std::memset(record.scratch, 's', sizeof record.scratch);
  std::memset(record.track1, 'a', sizeof record.track1);
  std::memset(record.track2, 'b', sizeof record.track2);
  record.len1 = record.len2 = 128;
  record.len3 = 127;
  ASSERT_EQ(MagNBSCoder(handle_, WRITE_CARD, &record, texts.data()), 0);
  const std::string message = nextMessage();
  EXPECT_EQ(message.size(), 1u + 3u + 135u + 1u + 129u + 129u + 257u + 1u);
}

TEST(NbsMessageSerial, SerialSessionHasNoSocket) {
  DriverHarness h(Link::Pty);
  ASSERT_NE(h.Open(), 0);
  CoderRecord record = EmptyRecord();
  const std::vector<char> texts = textBlock("T0", "", "", "");
  EXPECT_EQ(MagNBSCoder(h.Handle(), WRITE_CARD, &record, texts.data()), MRW_COMMERROR);
}

}  // namespace
