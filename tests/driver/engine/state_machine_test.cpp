// The state tables of mrw_state_machine, fed events directly on a TCP/IP
// session record connected to the simulator; and the deadline test across the
// tick count's wrap.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <cstring>
#include <memory>

#include "driver_lines.h"
#include "net_transport.h"
#include "platform/tick.h"
#include "protocol_engine.h"
#include "reader_sim.h"
#include "session.h"

namespace {

struct Row {
  int event;
  int result;
  uint32_t lastError;  // after the event, which starts from kErrorsBefore
};

constexpr uint32_t kErrorsBefore = 0x44332211;

class StateMachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const uint16_t port = sim_.StartTcp();
    ASSERT_NE(port, 0);
    session_ = NewSessionRecord();
    session_->isTcp = 1;
    session_->timeoutMs = 2000;
    session_->initNorm = kInitNormSent;
    ASSERT_EQ(NetOpenConn(session_.get(), "127.0.0.1", port, 5), 1);
    std::memset(&record_, 0, sizeof record_);
    record_.size = CODER_RECORD_SIZE;
  }
  void TearDown() override { NetClose(session_.get()); }

  // Feeds each row's event to `state` with track 1 and checks result,
  // lastResult, lastError and the state afterwards.
  void checkRows(int state, int stateAfter, std::initializer_list<Row> rows) {
    for (const Row& row : rows) {
      session_->mrw_state = state;
      session_->lastError = kErrorsBefore;
      EXPECT_EQ(mrw_state_machine(session_.get(), row.event, &record_, 1), row.result)
          << "state " << state << " event " << row.event;
      EXPECT_EQ(session_->lastResult, row.result) << "state " << state << " event " << row.event;
      EXPECT_EQ(session_->lastError, row.lastError) << "state " << state << " event " << row.event;
      EXPECT_EQ(session_->mrw_state, stateAfter) << "state " << state << " event " << row.event;
    }
  }

  readersim::ReaderSim sim_;
  readersim::DriverLines lines_{sim_};
  std::unique_ptr<SessionRecord> session_;
  CoderRecord record_;
};

constexpr uint32_t track1(int code) {
  return (kErrorsBefore & ~0xFF00u) | (static_cast<uint32_t>(code) << 8); }

TEST_F(StateMachineTest, InitState) {
  checkRows(MRW_STATE_INIT, MRW_STATE_INIT,
            {{0, MRW_OK, kErrorsBefore},
             {7, MRW_ENCODERERROR, 7},  // the whole word
             {23, MRW_ENCODERERROR, 23},
             {22, MRW_UNEXPECTED, kErrorsBefore},
             {MRW_EV_TIMEOUT, MRW_UNEXPECTED, kErrorsBefore},
             {2, MRW_UNEXPECTED, kErrorsBefore},
             {WRITE_CARD, MRW_UNEXPECTED, kErrorsBefore}});
}

TEST_F(StateMachineTest, ReadyStateStatuses) {
  checkRows(MRW_STATE_READY, MRW_STATE_READY,
            {{0, MRW_OK, kErrorsBefore},
             {3, MRW_RECEIVEERROR, track1(3)},
             {20, MRW_RECEIVEERROR, track1(20)},
             {4, MRW_TRANSMISSIONERROR, track1(4)},
             {5, MRW_COMMANDREJECTED, track1(5)},
             {6, MRW_DATAOVERFLOW, track1(6)},
             {8, MRW_ENCODERERROR, track1(8)},
             {14, MRW_PARITYERROR, track1(14)},
             {17, MRW_MEMORYOVERFLOW, track1(17)},
             {1, MRW_ENCODERERROR, track1(1)},
             {22, MRW_STATUS22, kErrorsBefore},
             {MRW_EV_TIMEOUT, MRW_TIMEOUT, kErrorsBefore},
             {13, MRW_UNEXPECTED, 0},
             {30, MRW_UNEXPECTED, 0},
             {99, MRW_UNEXPECTED, 0}});
  EXPECT_TRUE(sim_.Requests().empty());
}

TEST_F(StateMachineTest, ReadStateStatuses) {
  checkRows(MRW_STATE_READ, MRW_STATE_READY,
            {{5, MRW_COMMANDUNKNOWN, track1(5)},
             {8, MRW_ENCODERERROR, track1(8)},
             {3, MRW_RECEIVEERROR, track1(3)},
             {21, MRW_ENCODERERROR, track1(21)},
             {22, MRW_STATUS22, kErrorsBefore},
             {28, MRW_UNEXPECTED, 0},
             {16, MRW_UNEXPECTED, 0}});
}

TEST_F(StateMachineTest, WriteStateStatuses) {
  checkRows(MRW_STATE_WRITE, MRW_STATE_READY,
            {{0, MRW_OK, track1(0)},
             {5, MRW_COMMANDUNKNOWN, track1(5)},
             {8, MRW_COMMANDREJECTED, track1(8)},
             {17, MRW_MEMORYOVERFLOW, track1(17)},
             {27, MRW_UNEXPECTED, 0}});
}

TEST_F(StateMachineTest, TimeOutWhileAwaitingAReplySendsNoOperation) {
  session_->mrw_state = MRW_STATE_READ;
  EXPECT_EQ(mrw_state_machine(session_.get(), MRW_EV_TIMEOUT, nullptr, 0), MRW_TIMEOUT);
  EXPECT_EQ(session_->initNorm, kInitNormAgain);
  EXPECT_EQ(session_->mrw_state, MRW_STATE_READY);
  ASSERT_TRUE(sim_.WaitForRequests(1, 5000));
  EXPECT_EQ(sim_.Requests()[0].line, "000");
}

TEST_F(StateMachineTest, Status31WhenReadySendsCardInAndKeepsTheResult) {
  session_->mrw_state = MRW_STATE_READY;
  session_->lastResult = MRW_TRANSMISSIONERROR;
  EXPECT_EQ(mrw_state_machine(session_.get(), 31, &record_, 0), MRW_TRANSMISSIONERROR);
  ASSERT_TRUE(sim_.WaitForRequests(1, 5000));
  EXPECT_EQ(sim_.Requests()[0].line, "120");
}

TEST_F(StateMachineTest, LostLinkWhenReadySendsNothing) {
  ::shutdown(session_->sock, SHUT_RDWR);
  session_->mrw_state = MRW_STATE_READY;
  record_.len1 = 1;
  EXPECT_EQ(mrw_state_machine(session_.get(), READ_CARD, &record_, 1), MRW_COMMERROR);
  EXPECT_EQ(session_->lastResult, MRW_UNEXPECTED);
  EXPECT_EQ(session_->mrw_state, MRW_STATE_READY);
}

TEST_F(StateMachineTest, BeforeTheFirstCallTheResultStands) {
  session_->mrw_state = 0;
  session_->lastResult = 12;
  EXPECT_EQ(mrw_state_machine(session_.get(), READ_CARD, &record_, 1), 12);
  EXPECT_TRUE(sim_.Requests().empty());
}

TEST(SetTrackError, ReplacesOneByte) {
  SessionRecord session{};
  session.lastError = 0xAABBCCDD;
  SetTrackError(&session, 0x11, 2);
  EXPECT_EQ(session.lastError, 0xAA11CCDDu);
  SetTrackError(&session, 0x22, 3);
  SetTrackError(&session, 0x33, 1);
  SetTrackError(&session, 0x44, 0);
  EXPECT_EQ(session.lastError, 0x22113344u);
}

uint32_t fixedTick = 0;
uint32_t readFixedTick() { return fixedTick; }

TEST(CheckDeadline, HoldsAcrossTheTickWrap) {
  platform::SetTickSource(readFixedTick);
  SessionRecord session{};
  fixedTick = 0xFFFFFF00u;
  const uint32_t deadline = fixedTick + 0x200;  // wraps to 0x100
  EXPECT_FALSE(CheckDeadline(&session, deadline));
  fixedTick = 0x100;
  EXPECT_FALSE(CheckDeadline(&session, deadline));
  fixedTick = 0x101;
  EXPECT_TRUE(CheckDeadline(&session, deadline));
  fixedTick = 0;
  session.aborted = 1;
  EXPECT_TRUE(CheckDeadline(&session, deadline));
  platform::SetTickSource(nullptr);
}

}  // namespace
