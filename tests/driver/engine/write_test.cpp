// Writing tracks through MagCoder: the write lines chosen, what they carry,
// and the validation that comes before ISO writes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <future>

#include "driver_harness.h"
#include "raw_bits.h"

namespace {

using Lines = std::vector<std::string>;
using readersim::DriverLineFault;

// The line prefixes (first three characters) after the first `skip` lines.
Lines prefixesAfter(const DriverHarness& h, size_t skip) {
  Lines prefixes;
  for (const std::string& line : h.LinesAfter(skip)) prefixes.push_back(line.substr(0, 3));
  return prefixes;
}

class WriteTest : public ::testing::TestWithParam<Link> {
 protected:
  DriverHarness h{GetParam()};
};

TEST_P(WriteTest, PrefixesFollowTheTracksWritten) {
  ASSERT_NE(h.Open(), 0);
  MagSetNonHalvikCard(h.Handle(), 1);  // track 3 as ISO text too
  struct Case {
    bool tracks[3];
    Lines prefixes;
  };
  const Case cases[] = {{{true, false, false}, {"191"}},
                        {{true, false, true}, {"211", "193"}},
                        {{false, true, true}, {"212", "193"}},
                        {{false, false, true}, {"233"}}};
  size_t seen = 0;
  for (const Case& c : cases) {
    CoderRecord record = EmptyRecord();
    for (int track = 1; track <= 3; ++track) {
      if (c.tracks[track - 1]) SetTrackText(record, track, "123");
    }
    EXPECT_EQ(MagCoder(h.Handle(), WRITE_CARD, &record), 0);
    Lines sent = prefixesAfter(h, seen);
    if (seen == 0) sent.erase(sent.begin());  // the link initialisation
    EXPECT_EQ(sent, c.prefixes);
    seen = h.Lines().size();
  }
}

TEST_P(WriteTest, IsoWriteReadsBackTheSameText) {
  ASSERT_NE(h.Open(), 0);
  MagSetNonHalvikCard(h.Handle(), 1);
  const std::string text1 = "ABC 123/XYZ^$()-.[\\]";
  const std::string text2 = "0123456789=";
  const std::string text3(104, '9');
  CoderRecord record = EmptyRecord();
  SetTrackText(record, 1, text1);
  SetTrackText(record, 2, text2);
  SetTrackText(record, 3, text3);
  ASSERT_EQ(MagCoder(h.Handle(), WRITE_CARD, &record), 0);
  EXPECT_EQ(h.lines.StoredBits(2), DriverHarness::IsoBits(2, text2));

  CoderRecord back = EmptyRecord();
  back.len1 = back.len2 = back.len3 = 1;
  ASSERT_EQ(MagCoder(h.Handle(), READ_CARD, &back), 0);
  EXPECT_EQ(TrackText(back, 1), text1);
  EXPECT_EQ(TrackText(back, 2), text2);
  EXPECT_EQ(TrackText(back, 3), text3);
}

TEST_P(WriteTest, RawWriteLineCarries33BytesWhateverTheLength) {
  ASSERT_NE(h.Open(), 0);
  CoderRecord record = EmptyRecord();
  std::memcpy(record.track3, SampleRawBytes().data(), 33);
  record.len3 = 5;  // only marks the track as asked
  ASSERT_EQ(MagCoder(h.Handle(), WRITE_CARD, &record), 0);
  const Lines lines = h.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].size() + 2, 271u);  // with its CR LF
  EXPECT_EQ(lines[1], "233" + RawTrackLine(SampleRawBytes()));

  CoderRecord back = EmptyRecord();
  back.len3 = 1;
  ASSERT_EQ(MagCoder(h.Handle(), READ_CARD, &back), 0);
  EXPECT_EQ(TrackText(back, 3), SampleRawBytes());
}

INSTANTIATE_TEST_SUITE_P(Links, WriteTest, ::testing::Values(Link::Pty, Link::Tcp),
                         [](const auto& info) { return LinkName(info.param); });

class WriteValidationTest : public ::testing::Test {
 protected:
  DriverHarness h{Link::Tcp};
};

TEST_F(WriteValidationTest, LetterOnTrack2SkipsItAndWritesTrack1Alone) {
  ASSERT_NE(h.Open(), 0);
  CoderRecord record = EmptyRecord();
  SetTrackText(record, 1, "NAME");
  SetTrackText(record, 2, "12A4");
  const int32_t result = MagCoder(h.Handle(), WRITE_CARD, &record);
  EXPECT_EQ(ResultCode(result), MRW_SOMEFAILED);
  EXPECT_EQ(h.Lines(), (Lines{"080B", "191" + DriverHarness::IsoBits(1, "NAME")}));
  EXPECT_EQ(record.len2, 4);
  // A link initialisation of its own leaves the errors for the host to read.
  CoderRecord init = EmptyRecord();
  ASSERT_EQ(MagCoder(h.Handle(), INIT_LINK, &init), 0);
  const int32_t lastError = MagGetLastError(h.Handle());
  EXPECT_EQ(TrackErrorByte(lastError, 2), MRW_BADCHAR);
  EXPECT_EQ(TrackErrorByte(lastError, 1), 0);
}

TEST_F(WriteValidationTest, EveryTrackRefusedSendsNoWriteLine) {
  ASSERT_NE(h.Open(), 0);
  CoderRecord record = EmptyRecord();
  SetTrackText(record, 1, std::string(77, 'A'));
  SetTrackText(record, 2, "1:2");
  const int32_t result = MagCoder(h.Handle(), WRITE_CARD, &record);
  EXPECT_EQ(ResultCode(result), MRW_ALLFAILED);
  EXPECT_EQ(h.Lines(), (Lines{"080B"}));
  const int32_t lastError = MagGetLastError(h.Handle());
  EXPECT_EQ(TrackErrorByte(lastError, 1), MRW_TOOLONG);
  EXPECT_EQ(TrackErrorByte(lastError, 2), MRW_BADCHAR);
  EXPECT_EQ(record.len1, 77);
  EXPECT_EQ(record.len2, 3);
}

TEST_F(WriteValidationTest, LengthByteAbove127IsANegativeLength) {
  ASSERT_NE(h.Open(), 0);
  CoderRecord record = EmptyRecord();
  SetTrackText(record, 1, "IGNORED");
  record.len1 = 200;  // -56 as the signed byte: accepted, nothing of the text coded
  EXPECT_EQ(MagCoder(h.Handle(), WRITE_CARD, &record), 0);
  EXPECT_EQ(h.Lines(), (Lines{"080B", "191" + DriverHarness::IsoBits(1, "")}));
  EXPECT_EQ(record.len1, 200);
}

TEST_F(WriteValidationTest, TimeOutOnTrack1EndsTheWriting) {
  ASSERT_NE(h.Open(1), 0);
  MagSetNonHalvikCard(h.Handle(), 1);
  DriverLineFault silent;
  silent.silent = true;
  h.lines.SetFault("211", silent);
  CoderRecord record = EmptyRecord();
  SetTrackText(record, 1, "A");
  SetTrackText(record, 2, "1");
  SetTrackText(record, 3, "2");
  const int32_t result = MagCoder(h.Handle(), WRITE_CARD, &record);
  EXPECT_EQ(ResultCode(result), MRW_SOMEFAILED);
  EXPECT_EQ(LastResultOf(result), MRW_TIMEOUT);
  h.LinesOnceReceived(3);
  EXPECT_EQ(prefixesAfter(h, 0), (Lines{"080", "211", "000"}));
}

// Writes `record` with the reader silent on `silentLine`, aborts once that
// line has arrived, and returns the call's result.
int32_t writeAbortedAt(DriverHarness& h, CoderRecord& record, const std::string& silentLine) {
  DriverLineFault silent;
  silent.silent = true;
  h.lines.SetFault(silentLine, silent);
  const size_t before = h.Lines().size();
  std::future<int32_t> call = std::async(std::launch::async, [&] {
    return MagCoder(h.Handle(), WRITE_CARD, &record);
  });
  // The silent line itself: the last call's cancel line may arrive late.
  for (size_t count = before + 1; h.sim.WaitForRequests(count, 10000); ++count) {
    if (h.Lines()[count - 1].compare(0, silentLine.size(), silentLine) == 0) break;
  }
  MagAbort(h.Handle());
  if (call.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    ADD_FAILURE() << "the write did not end after the abort";
  }
  return call.get();
}

TEST_F(WriteValidationTest, AbortDuringTrack2KeepsRefusedLengthsAtZero) {
  ASSERT_NE(h.Open(10), 0);
  CoderRecord init = EmptyRecord();
  ASSERT_EQ(MagCoder(h.Handle(), INIT_LINK, &init), 0);

  CoderRecord record = EmptyRecord();
  SetTrackText(record, 1, "lower");  // refused: not in track 1's set
  SetTrackText(record, 2, "123");
  EXPECT_EQ(ResultCode(writeAbortedAt(h, record, "192")), MRW_ABORTED);
  EXPECT_EQ(record.len1, 0);
  EXPECT_EQ(record.len2, 3);

  // An abort during track 1 ends the writing like a time-out: the lengths
  // are put back.
  record = EmptyRecord();
  SetTrackText(record, 1, "NAME");
  SetTrackText(record, 2, "1A");
  EXPECT_EQ(ResultCode(writeAbortedAt(h, record, "191")), MRW_ABORTED);
  EXPECT_EQ(record.len1, 4);
  EXPECT_EQ(record.len2, 2);
}

}  // namespace
