// Reader statuses to result codes in the read and write states, and what they
// leave in lastError.
#include <gtest/gtest.h>

#include "driver_harness.h"

namespace {

struct Mapping {
  int status;
  int command;  // READ_CARD or WRITE_CARD
  int result;
  int trackByte;  // lastError's track-1 byte afterwards
};

TEST(StatusMapping, ReadAndWriteStates) {
  const Mapping mappings[] = {
      {5, READ_CARD, MRW_COMMANDUNKNOWN, 5},  {5, WRITE_CARD, MRW_COMMANDUNKNOWN, 5},
      {8, READ_CARD, MRW_ENCODERERROR, 8},    {8, WRITE_CARD, MRW_COMMANDREJECTED, 8},
      {3, READ_CARD, MRW_RECEIVEERROR, 3},    {20, WRITE_CARD, MRW_RECEIVEERROR, 20},
      {4, READ_CARD, MRW_TRANSMISSIONERROR, 4}, {6, READ_CARD, MRW_DATAOVERFLOW, 6},
      {14, READ_CARD, MRW_PARITYERROR, 14},   {17, WRITE_CARD, MRW_MEMORYOVERFLOW, 17},
      {23, READ_CARD, MRW_ENCODERERROR, 23},  {22, READ_CARD, MRW_STATUS22, 0},
      {2, READ_CARD, MRW_UNEXPECTED, 0},      {40, WRITE_CARD, MRW_UNEXPECTED, 0},
  };
  DriverHarness h(Link::Tcp);
  h.LayIsoTrack(1, "A");
  ASSERT_NE(h.Open(), 0);
  for (const Mapping& m : mappings) {
    readersim::DriverLineFault fault;
    fault.status = m.status;
    h.lines.SetFault(m.command == READ_CARD ? "221" : "191", fault);
    CoderRecord record = EmptyRecord();
    SetTrackText(record, 1, "A");
    const int32_t result = MagCoder(h.Handle(), m.command, &record);
    EXPECT_EQ(ResultCode(result), MRW_ALLFAILED) << "status " << m.status;
    EXPECT_EQ(LastResultOf(result), m.result) << "status " << m.status;
    EXPECT_EQ(TrackErrorByte(MagGetLastError(h.Handle()), 1), m.trackByte) << "status " << m.status;
  }
}

}  // namespace
