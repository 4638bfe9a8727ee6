// Commands over the network link, through the real Ethernet library and the
// simulated reader's TCP port: the reply is handled inside SendCommand.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "ZUV_ETHERNET.h"
#include "link.h"
#include "reader_sim.h"
#include "reply_recorder.h"

namespace {

using readersim::RawReply;
using readersim::Request;
using readersim::TextReply;

class EthernetLink : public ::testing::Test {
 protected:
  void SetUp() override {
    const uint16_t port = sim_.StartTcp();
    ASSERT_NE(port, 0);
    ASSERT_EQ(Connect_Ethernet("127.0.0.1", port), 1);
    LinkMode.store(LINK_ETHERNET);
    FramingMode.store(0);
    recorder::Install();
  }

  void TearDown() override {
    Closed_Ethernet();
    SetReceiveCallback(nullptr);
    sim_.Stop();
  }

  int send(int code, const std::string& data = "") {
    return SendCommand(code, reinterpret_cast<const uint8_t*>(data.data()), static_cast<int>(data.size()));
  }

  readersim::ReaderSim sim_;
};

TEST_F(EthernetLink, ReplyIsHandledInsideSendCommand) {
  sim_.SetHandler("990", [](const Request& request) { return TextReply(request, 0, "READER V1.23"); });
  EXPECT_EQ(send(CMD_VERSION), 1);
  // No wait: the callback has already run when SendCommand returns.
  ASSERT_EQ(recorder::Count(), 1u);
  const RecordedReply reply = recorder::Replies()[0];
  EXPECT_EQ(reply.thread, std::this_thread::get_id());
  EXPECT_EQ(reply.result, 1);
  EXPECT_EQ(reply.text, "000READER V1.23\n");
  EXPECT_EQ(reply.status, 0);
}

TEST_F(EthernetLink, ErrorStatusReachesTheCallback) {
  sim_.SetStatusFor("170", 5);
  EXPECT_EQ(send(CMD_EJECT_FRONT), 1);
  ASSERT_EQ(recorder::Count(), 1u);
  EXPECT_EQ(recorder::Replies()[0].text, "050\n");
  EXPECT_EQ(recorder::Replies()[0].status, 5);
}

TEST_F(EthernetLink, BinaryFramingChangesNothingOnTheNetwork) {
  FramingMode.store(1);
  EXPECT_EQ(send(CMD_READ_INSIDE_MOVE_BACK, "1"), 1);
  ASSERT_EQ(recorder::Count(), 1u);
  const std::string text = recorder::Replies()[0].text;
  ASSERT_GE(text.size(), 4u);
  EXPECT_EQ(text.substr(2, 1), "1") << "echo character of the line";
  EXPECT_EQ(text.back(), '\n');
}

TEST_F(EthernetLink, NoOperationReturnsTheTransmitResultWithoutWaiting) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(send(CMD_NO_OPERATION), 1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
  EXPECT_EQ(recorder::Count(), 1u);
}

TEST_F(EthernetLink, FrameGoesOutWholeAndGivesOne) {
  sim_.SetFrameHandler([](const Request&) { return RawReply("00A\n"); });
  EXPECT_EQ(send(CMD_RAW_FRAME, "X"), 1);
  ASSERT_TRUE(sim_.WaitForRequests(1, 2000));
  const Request request = sim_.Requests()[0];
  EXPECT_TRUE(request.binary);
  EXPECT_FALSE(request.frameError);
  EXPECT_EQ(request.frame, std::string("\x60\x00\x03\xDE\xCD\x58\x28", 7));
  ASSERT_EQ(recorder::Count(), 1u);
  EXPECT_EQ(recorder::Replies()[0].text, "00A\n");
}

// A reply line that never comes reaches the callback as a failed read, so
// that the console can say so; a frame still gives 1.
TEST_F(EthernetLink, LostReplyReachesTheCallbackAsMissingButAFrameStillGivesOne) {
  readersim::Faults faults;
  faults.dropConnection = true;
  sim_.SetFaults(faults);
  EXPECT_EQ(send(CMD_VERSION), -3);
  ASSERT_EQ(recorder::Count(), 1u);
  EXPECT_EQ(recorder::Replies()[0].result, -3);
  EXPECT_EQ(recorder::Replies()[0].text, kUntouchedText);

  sim_.SetFaults(faults);
  EXPECT_EQ(send(CMD_RAW_FRAME, "X"), 1);
  EXPECT_EQ(recorder::Count(), 2u);
}

}  // namespace
