// The wait for the reader to begin answering after CMD_NO_OPERATION, and
// after a frame in text framing, on serial.
#include <chrono>
#include <string>

#include "serial_fixture.h"

namespace {

using readersim::RawReply;
using readersim::Request;

using StartOfAnswer = SerialLink;

TEST_F(StartOfAnswer, NoOperationAnsweredGivesOneAndTheReplyReachesTheCallback) {
  sim_.SetStatusFor("000", 7);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(send(CMD_NO_OPERATION), 1);
  EXPECT_LT(msSince(start), 4000);
  ASSERT_TRUE(recorder::WaitForCount(1, 5000));
  const RecordedReply reply = recorder::Replies()[0];
  EXPECT_EQ(reply.result, 1);
  EXPECT_EQ(reply.text, "070\n") << "status digits included";
  EXPECT_EQ(reply.status, 7);
}

TEST_F(StartOfAnswer, SilentReaderGivesMinusThreeAfterFiveSeconds) {
  readersim::Faults faults;
  faults.silent = true;
  sim_.SetFaults(faults);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(send(CMD_NO_OPERATION), -3);
  const long long elapsed = msSince(start);
  EXPECT_GE(elapsed, 4900);
  EXPECT_LT(elapsed, 8000);
  ASSERT_TRUE(sim_.WaitForRequests(1, 1000));
  EXPECT_EQ(sim_.Requests()[0].line, "000");
  EXPECT_EQ(recorder::Count(), 0u);
}

TEST_F(StartOfAnswer, AnswerToAnEarlierCommandDoesNotCount) {
  // The first reply comes and is handled; the next command's wait must not
  // take it for the start of its own answer.
  EXPECT_EQ(send(CMD_VERSION), 1);
  ASSERT_TRUE(recorder::WaitForCount(1, 5000));
  readersim::Faults faults;
  faults.silent = true;
  sim_.SetFaults(faults);
  platform::SetTickSource(&fastTicks);
  EXPECT_EQ(send(CMD_NO_OPERATION), -3);
}

TEST_F(StartOfAnswer, FrameInTextFramingWaitsForTheAnswer) {
  sim_.SetFrameHandler([](const Request&) { return RawReply("00A\n"); });
  EXPECT_EQ(send(CMD_RAW_FRAME, "X"), 1);
  ASSERT_TRUE(recorder::WaitForCount(1, 5000));
  EXPECT_EQ(recorder::Replies()[0].text, "00A\n");
  ASSERT_TRUE(sim_.WaitForRequests(1, 1000));
  EXPECT_EQ(sim_.Requests()[0].frame, std::string("\x60\x00\x03\xDE\xCD\x58\x28", 7)) << "sent whole, zero byte included";
}

TEST_F(StartOfAnswer, SilentFrameInTextFramingTimesOutByTheTickSource) {
  readersim::Faults faults;
  faults.silent = true;
  sim_.SetFaults(faults);
  platform::SetTickSource(&fastTicks);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(send(CMD_RAW_FRAME, "X"), -3);
  EXPECT_LT(msSince(start), 2000) << "5000 ticks of a clock twenty times too fast";
}

TEST_F(StartOfAnswer, NoOperationWithTheLinkClosedDoesNotWait) {
  CloseSerialPort();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(send(CMD_NO_OPERATION), 0);
  EXPECT_LT(msSince(start), 1000);
}

}  // namespace
