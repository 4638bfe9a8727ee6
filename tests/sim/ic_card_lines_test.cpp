// The simulator's IC card: what the IC card page tests rely on it to answer,
// line by line over a loopback TCP connection.
#include "ic_card_lines.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "peer_client.h"
#include "reader_sim.h"

namespace {

using readersim::IcCardLines;
using readersim::IcCommand;

class IcCardLinesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const uint16_t port = sim_.StartTcp();
    ASSERT_NE(port, 0);
    ASSERT_TRUE(client_.ConnectTcp(port));
  }
  // Sends each line in turn and gives the replies without their LF.
  std::vector<std::string> ask(const std::vector<std::string>& lines) {
    std::vector<std::string> replies;
    for (const std::string& line : lines) {
      EXPECT_TRUE(client_.Send(line + "\r\n"));
      std::string reply = client_.ReadLine(3000);
      if (!reply.empty() && reply.back() == '\n') reply.pop_back();
      replies.push_back(reply);
    }
    return replies;
  }
  readersim::ReaderSim sim_;
  IcCardLines ic_{sim_};
  simtest::PeerClient client_;
};

TEST_F(IcCardLinesTest, SessionsAnswerInTurn) {
  struct Case {
    std::vector<std::string> lines;
    std::vector<std::string> replies;
  };
  const Case cases[] = {
      {{"510", "530001C0000", "500", "511", "520", "53000A40000"},
       {"410", "410", "000", "0013B6200004943", "000", "420"}},
      {{"500", "510", "5300011223303AABBCC02", "530001C0000", "53000B", "512"},
       {"000", "0003B0353494D", "00000019000", "0009000", "430", "052"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ask(c.lines), c.replies) << c.lines.front();
  EXPECT_EQ(ic_.PowerMode(), '0');
  EXPECT_TRUE(ic_.Entered());
}

TEST_F(IcCardLinesTest, DirectAnswersFollowTheApdusLengths) {
  struct Case {
    const char* apdu;
    size_t answerLength;  // hex characters, status word included
  };
  const Case cases[] = {
      {"80BE00001C", 2 * 28 + 4}, {"00b0000000", 2 * 256 + 4}, {"00A40400", 4},
      {"00A4040002AABB", 4},      {"00A4040002AABB10", 2 * 16 + 4},
      {"00A4040003AABB", 0},      {"00A4040000", 2 * 256 + 4},
      {"00A404", 0},              {"0G", 0},
      {"", 0},
  };
  for (const Case& c : cases) {
    const std::string answer = IcCardLines::DirectAnswer(c.apdu);
    EXPECT_EQ(answer.size(), c.answerLength) << c.apdu;
    if (!answer.empty()) {
      EXPECT_EQ(answer.substr(answer.size() - 4), "9000") << c.apdu;
    }
  }
  EXPECT_EQ(IcCardLines::DirectAnswer("80BE000003"), "0001029000");
}

TEST_F(IcCardLinesTest, ModuleStatusesOnRequest) {
  ic_.Fail(IcCommand::Entry, 30, 1);
  ic_.Fail(IcCommand::PowerOn, 45, 2);
  ic_.Fail(IcCommand::PowerOff, 31);
  EXPECT_EQ(ask({"500", "500", "511", "510", "510", "520", "520"}),
            (std::vector<std::string>{"300", "000", "451", "450", "0003B0353494D", "310", "310"}));
  ic_.Fail(IcCommand::Direct, 37, IcCardLines::kEveryTime);
  EXPECT_EQ(ask({"53080BE00001C", "53080BE00001C"}), (std::vector<std::string>{"370", "370"}));
  ic_.ClearFaults();
  EXPECT_EQ(ask({"520"}), std::vector<std::string>{"000"});
  for (int status : {0, 29, 47, 50}) {
    EXPECT_THROW(ic_.Fail(IcCommand::Entry, status), std::invalid_argument) << status;
  }
}

}  // namespace
