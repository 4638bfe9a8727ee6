// Reading tracks through MagCoder: the lines sent, the data delivered, and
// replies that end in other ways or do not decode.
#include <gtest/gtest.h>

#include <cstring>

#include "driver_harness.h"
#include "raw_bits.h"

namespace {

using Lines = std::vector<std::string>;
using readersim::DriverLineFault;
using readersim::ReplyEnding;

class ReadTest : public ::testing::TestWithParam<Link> {
 protected:
  DriverHarness h{GetParam()};
};

TEST_P(ReadTest, FreshSessionReadsTracksOneTwoThree) {
  h.LayIsoTrack(1, "B4111^DOE/JOHN^2512");
  h.LayIsoTrack(2, "4111111111111111=2512");
  h.lines.StoreBits(3, RawTrackLine(SampleRawBytes()));  // track 3 is raw on a fresh session
  ASSERT_NE(h.Open(), 0);

  CoderRecord record = EmptyRecord();
  record.len1 = record.len2 = record.len3 = 1;
  EXPECT_EQ(MagCoder(h.Handle(), READ_CARD, &record), 0);

  EXPECT_EQ(h.Lines(), (Lines{"080B", "181", "202", "223"}));
  EXPECT_EQ(TrackText(record, 1), "B4111^DOE/JOHN^2512");
  EXPECT_EQ(TrackText(record, 2), "4111111111111111=2512");
  EXPECT_EQ(TrackText(record, 3), SampleRawBytes());
  EXPECT_EQ(record.track2[record.len2], '\0');
}

TEST_P(ReadTest, TracksTwoAndThreeUseTheFirstReadLineOnce) {
  h.LayIsoTrack(2, "12345");
  h.lines.StoreBits(3, RawTrackLine(SampleRawBytes()));
  ASSERT_NE(h.Open(), 0);

  CoderRecord record = EmptyRecord();
  record.len2 = record.len3 = 1;
  EXPECT_EQ(MagCoder(h.Handle(), READ_CARD, &record), 0);
  EXPECT_EQ(h.Lines(), (Lines{"080B", "182", "223"}));
  EXPECT_EQ(TrackText(record, 2), "12345");

  const size_t seen = h.Lines().size();
  record = EmptyRecord();
  record.len2 = record.len3 = 1;
  EXPECT_EQ(MagCoder(h.Handle(), READ_CARD, &record), 0);
  EXPECT_EQ(h.LinesAfter(seen), (Lines{"202", "223"}));
}

TEST_P(ReadTest, ReadWithNoTrackAskedOnlyInitialisesTheLink) {
  ASSERT_NE(h.Open(), 0);
  CoderRecord record = EmptyRecord();
  EXPECT_EQ(MagCoder(h.Handle(), READ_CARD, &record), 0);
  EXPECT_EQ(h.Lines(), (Lines{"080B"}));
}

INSTANTIATE_TEST_SUITE_P(Links, ReadTest, ::testing::Values(Link::Pty, Link::Tcp),
                         [](const auto& info) { return LinkName(info.param); });

class ReadRepliesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    h.LayIsoTrack(1, "ABC");
    ASSERT_NE(h.Open(1), 0);
  }
  // Reads track 1 alone ("221").
  int32_t readTrack1(CoderRecord& record) {
    record = EmptyRecord();
    record.len1 = 1;
    return MagCoder(h.Handle(), READ_CARD, &record);
  }
  DriverHarness h{Link::Tcp};
};

TEST_F(ReadRepliesTest, OtherReplyEndingsCompleteTheWait) {
  for (ReplyEnding ending : {ReplyEnding::EtxCheck, ReplyEnding::Eot, ReplyEnding::Ack, ReplyEnding::Nak}) {
    DriverLineFault fault;
    fault.ending = ending;
    h.lines.SetFault("221", fault);
    CoderRecord record;
    EXPECT_EQ(readTrack1(record), 0) << static_cast<int>(ending);
    EXPECT_EQ(TrackText(record, 1), "ABC") << static_cast<int>(ending);
  }
  EXPECT_EQ(h.Lines(), (Lines{"080B", "221", "221", "221", "221"}));
}

TEST_F(ReadRepliesTest, BitsThatDoNotDecodeFailTheTrack) {
  // Groups of even parity: not a coded track.
  std::string evenParity;
  for (int group = 0; group < 8; ++group) evenParity += "1100000";
  h.lines.StoreBits(1, evenParity);
  CoderRecord record;
  const int32_t result = readTrack1(record);
  EXPECT_EQ(ResultCode(result), MRW_ALLFAILED);
  EXPECT_EQ(LastResultOf(result), MRW_ENCODERERROR);
  EXPECT_EQ(record.len1, 0);
  EXPECT_EQ(TrackErrorByte(MagGetLastError(h.Handle()), 1), 19);

  h.lines.StoreBits(1, DriverHarness::IsoBits(1, "ABC").substr(0, 28));  // cut before the end sentinel
  EXPECT_EQ(ResultCode(readTrack1(record)), MRW_ALLFAILED);
  EXPECT_EQ(TrackErrorByte(MagGetLastError(h.Handle()), 1), 18);
}

TEST_F(ReadRepliesTest, RawReplyShorterThanATrackIsRefused) {
  h.lines.StoreBits(3, RawTrackLine(SampleRawBytes()).substr(0, 200));
  CoderRecord record = EmptyRecord();
  record.len3 = 1;
  std::memset(record.track3, 0x5A, sizeof record.track3);
  const int32_t result = MagCoder(h.Handle(), READ_CARD, &record);
  EXPECT_EQ(ResultCode(result), MRW_ALLFAILED);
  EXPECT_EQ(LastResultOf(result), MRW_ENCODERERROR);
  EXPECT_EQ(record.len3, 0);
  EXPECT_EQ(TrackErrorByte(MagGetLastError(h.Handle()), 3), 19);
}

TEST_F(ReadRepliesTest, ReplyWithAnotherEchoIsDroppedUntilTheDeadline) {
  DriverLineFault wrongEcho;
  wrongEcho.echo = '1';
  wrongEcho.times = 1;
  h.LayIsoTrack(2, "777");
  h.lines.SetFault("222", wrongEcho);
  CoderRecord record = EmptyRecord();
  record.len2 = 1;
  EXPECT_EQ(MagCoder(h.Handle(), READ_CARD, &record), 0x10021);
  EXPECT_EQ(h.LinesOnceReceived(3), (Lines{"080B", "222", "000"}));

  // The time-out asks for the link initialisation again.
  record = EmptyRecord();
  record.len2 = 1;
  EXPECT_EQ(MagCoder(h.Handle(), READ_CARD, &record), 0);
  EXPECT_EQ(TrackText(record, 2), "777");
  EXPECT_EQ(h.LinesAfter(3), (Lines{"080B", "222"}));
}

TEST_F(ReadRepliesTest, ReplyBehindAnotherEchoInTheSameReadIsTaken) {
  const std::string bits = DriverHarness::IsoBits(2, "4242");
  h.sim.SetHandler("222", [bits](const readersim::Request&) {
    return readersim::RawReply("001LATE\r\n" "002" + bits + "\r\n");
  });
  CoderRecord record = EmptyRecord();
  record.len2 = 1;
  EXPECT_EQ(MagCoder(h.Handle(), READ_CARD, &record), 0);
  EXPECT_EQ(TrackText(record, 2), "4242");
  EXPECT_EQ(h.Lines(), (Lines{"080B", "222"}));
}

}  // namespace
