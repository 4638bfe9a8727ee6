// Reading replies off the serial port: text lines to LF, binary reply frames
// by their count, and the bounds on a reply that does not come whole.
#include <chrono>
#include <cstring>
#include <string>

#include "process_probe.h"
#include "serial_fixture.h"

namespace {

using readersim::RawReply;
using readersim::Request;
using readersim::TextReply;

using SerialReply = SerialLink;

TEST_F(SerialReply, ReplyInPiecesIsReadWholeByOneCallback) {
  sim_.SetHandler("990", [](const Request& request) { return TextReply(request, 0, "READER V1.23"); });
  readersim::Faults faults;
  faults.splitPieces = 4;
  faults.splitGapMs = 120;
  sim_.SetFaults(faults);

  EXPECT_EQ(send(CMD_VERSION), 1);
  ASSERT_TRUE(recorder::WaitForCount(1, 5000));
  const RecordedReply reply = recorder::Replies()[0];
  EXPECT_EQ(reply.result, 1);
  EXPECT_EQ(reply.text, "000READER V1.23\n");
  EXPECT_EQ(reply.status, 0);
  EXPECT_NE(reply.thread, std::this_thread::get_id()) << "serial replies are read on the receive thread";
  EXPECT_FALSE(recorder::WaitForCount(2, 500)) << "pieces already read call no further callback";
}

TEST_F(SerialReply, EachLineIsOneReplyWithItsStatus) {
  sim_.SendRaw("00\n\n05X\r\n");
  ASSERT_TRUE(recorder::WaitForCount(3, 5000));
  const auto replies = recorder::Replies();
  EXPECT_EQ(replies[0].result, 1);
  EXPECT_EQ(replies[0].text, "00\n");
  EXPECT_EQ(replies[0].status, 0);
  EXPECT_EQ(replies[1].result, 1);
  EXPECT_EQ(replies[1].text, "\n");
  EXPECT_EQ(replies[1].status, kUntouchedStatus) << "a lone LF carries no status";
  EXPECT_EQ(replies[2].result, 1);
  EXPECT_EQ(replies[2].text, "05X\r\n") << "a CR before the LF is part of the text";
  EXPECT_EQ(replies[2].status, 5);
}

TEST_F(SerialReply, NoFirstByteTimesOutAfterTheBound) {
  char text[kLinkBufferSize + 1] = "untouched";
  int status = kUntouchedStatus;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReceiveResponse(text, &status), -3);
  const long long elapsed = msSince(start);
  EXPECT_GE(elapsed, 950);
  EXPECT_LT(elapsed, 3000);
  EXPECT_STREQ(text, "untouched");
  EXPECT_EQ(status, kUntouchedStatus);
}

TEST_F(SerialReply, BoundIsMeasuredByTheTickSource) {
  platform::SetTickSource(&fastTicks);
  char text[kLinkBufferSize + 1] = "untouched";
  int status = kUntouchedStatus;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReceiveResponse(text, &status), -3);
  EXPECT_LT(msSince(start), 500) << "1000 ticks of a clock twenty times too fast";
}

bool escapePressed() { return true; }

TEST_F(SerialReply, EscBeforeTheFirstByteAbandons) {
  SetEscapeHook(&escapePressed);
  char text[kLinkBufferSize + 1] = "untouched";
  int status = kUntouchedStatus;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReceiveResponse(text, &status), -1);
  EXPECT_LT(msSince(start), 500);
  EXPECT_STREQ(text, "untouched");
  EXPECT_EQ(status, kUntouchedStatus);
}

TEST_F(SerialReply, ReplyThatStopsMidwayTimesOutAndTheNextIsReadWhole) {
  sim_.SendRaw("00");
  ASSERT_TRUE(recorder::WaitForCount(1, 5000));
  RecordedReply broken = recorder::Replies()[0];
  EXPECT_EQ(broken.result, -3);
  EXPECT_EQ(broken.text, kUntouchedText);
  EXPECT_EQ(broken.status, kUntouchedStatus);

  sim_.SendRaw("07A\n");
  ASSERT_TRUE(recorder::WaitForCount(2, 5000));
  RecordedReply next = recorder::Replies()[1];
  EXPECT_EQ(next.result, 1);
  EXPECT_EQ(next.text, "07A\n");
  EXPECT_EQ(next.status, 7);
}

TEST_F(SerialReply, BinaryFramingDropsNoiseAndEndsAtTheCount) {
  FramingMode.store(1);
  const std::string noise("\x11\x0a\x22", 3);
  const std::string withInnerStart("\x60\x00\x06" "A\x60" "B", 6);
  const std::string endingInStart("\x60\x00\x04\x60", 4);
  const std::string shortCount("\x60\x00\x02" "C", 4);
  sim_.SendRaw(noise + withInnerStart + endingInStart + shortCount);

  ASSERT_TRUE(recorder::WaitForCount(3, 5000));
  const auto replies = recorder::Replies();
  EXPECT_EQ(replies[0].result, 1);
  EXPECT_EQ(replies[0].text, "A\x60" "B") << "a 0x60 inside the frame is stored";
  EXPECT_EQ(replies[1].text, "\x60") << "a frame may end in 0x60";
  EXPECT_EQ(replies[2].text, "C") << "a count below 4 ends with the fourth byte";
  for (const RecordedReply& reply : replies) EXPECT_EQ(reply.status, kUntouchedStatus);
}

TEST_F(SerialReply, FrameInBinaryFramingReturnsAtOnceAndItsReplyFollows) {
  FramingMode.store(1);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(send(CMD_RAW_FRAME, "V"), 1);
  EXPECT_LT(msSince(start), 1000);
  ASSERT_TRUE(recorder::WaitForCount(1, 5000));
  EXPECT_EQ(recorder::Replies()[0].text, "A");
  ASSERT_TRUE(sim_.WaitForRequests(1, 2000));
  EXPECT_TRUE(sim_.Requests()[0].binary);
  EXPECT_EQ(sim_.Requests()[0].data, "V");
}

TEST_F(SerialReply, LongestTextReplyFitsAndALongerOneIsDropped) {
  const std::string longest = std::string(kLinkBufferSize - 1, '7') + "\n";
  sim_.SendRaw(longest);
  ASSERT_TRUE(recorder::WaitForCount(1, 5000));
  EXPECT_EQ(recorder::Replies()[0].result, 1);
  EXPECT_EQ(recorder::Replies()[0].text, longest);

  sim_.SendRaw(std::string(kLinkBufferSize, '7') + "\n" + "01X\n");
  ASSERT_TRUE(recorder::WaitForCount(3, 5000));
  const auto replies = recorder::Replies();
  EXPECT_EQ(replies[1].result, -3);
  EXPECT_EQ(replies[1].text, kUntouchedText);
  EXPECT_EQ(replies[1].status, kUntouchedStatus);
  EXPECT_EQ(replies[2].result, 1) << "the overlong reply was read to its end";
  EXPECT_EQ(replies[2].text, "01X\n");
  EXPECT_EQ(replies[2].status, 1);
}

TEST_F(SerialReply, OverlongFrameIsDroppedAndTheNextIsRead) {
  FramingMode.store(1);
  const int count = 5000;
  std::string big("\x60", 1);
  big += static_cast<char>(count >> 8);
  big += static_cast<char>(count & 0xFF);
  big += std::string(count - 3, 'Z');
  sim_.SendRaw(big + std::string("\x60\x00\x05" "OK", 5));
  ASSERT_TRUE(recorder::WaitForCount(2, 5000));
  const auto replies = recorder::Replies();
  EXPECT_EQ(replies[0].result, -3);
  EXPECT_EQ(replies[0].text, kUntouchedText);
  EXPECT_EQ(replies[1].result, 1);
  EXPECT_EQ(replies[1].text, "OK");
}

TEST_F(SerialReply, SerialReadTakesWhatIsWaitingAndReportsAnEmptyQueue) {
  SetReceiveCallback(nullptr);  // leave the input to SerialRead
  uint8_t buffer[16] = {};
  EXPECT_EQ(SerialRead(buffer, sizeof buffer), 0);
  EXPECT_EQ(buffer[0], 0) << "nothing waiting stores nothing";

  sim_.SendRaw("00X\n");
  ASSERT_TRUE(WaitUntil([&] { return SerialRead(buffer, 4) == 1; }, 5000));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 4), "00X\n");
  EXPECT_EQ(SerialRead(buffer, sizeof buffer), 0);
}

TEST_F(SerialReply, CodesOutsideTheTableSendNothing) {
  EXPECT_EQ(send(0x7005, "1"), -1);
  EXPECT_EQ(send(0x1003), -1);
  EXPECT_EQ(LastSendLength(), 0);
  EXPECT_EQ(send(CMD_VERSION), 1);
  ASSERT_TRUE(sim_.WaitForRequests(1, 2000));
  ASSERT_TRUE(recorder::WaitForCount(1, 5000));
  const auto requests = sim_.Requests();
  ASSERT_EQ(requests.size(), 1u) << "only the known code reached the reader";
  EXPECT_EQ(requests[0].line, "990");
}

TEST_F(SerialReply, ClosedLinkSendsNowhere) {
  FramingMode.store(1);
  CloseSerialPort();
  EXPECT_EQ(LinkMode.load(), LINK_CLOSED);
  EXPECT_EQ(FramingMode.load(), 0);
  EXPECT_EQ(send(CMD_EJECT_FRONT), 0);
  char text[kLinkBufferSize + 1] = "untouched";
  int status = kUntouchedStatus;
  EXPECT_EQ(ReceiveResponse(text, &status), 0);

  ASSERT_TRUE(OpenSerialPort(kSimPort, 9600));
  EXPECT_EQ(send(CMD_VERSION), 1);
  ASSERT_TRUE(sim_.WaitForRequests(1, 2000));
  ASSERT_TRUE(recorder::WaitForCount(1, 5000));
  const auto requests = sim_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].line, "990");
}

}  // namespace
