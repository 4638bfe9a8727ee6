// Sessions through the exported calls: opening, the session table, closing,
// unknown handles, last errors, coding switches and the abort flags.
#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "TRKDRV32.h"
#include "loopback_listener.h"
#include "pseudo_terminal.h"
#include "serial_port.h"
#include "session.h"
#include "shared_state.h"

namespace {

int32_t openSerial(int32_t port, int32_t timeoutSeconds = 3) {
  return MagOpen(port, 9600, 'N', 8, 1, 0, timeoutSeconds);
}

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MapComPort(1, pty_.SlavePath());
    MapComPort(3, "/nonexistent/com3");
  }
  void TearDown() override {
    for (int32_t handle : opened_) MagClose(handle);
  }
  int32_t keep(int32_t handle) {
    if (handle > 0) opened_.push_back(handle);
    return handle;
  }
  int32_t openTcp() { return keep(MagTcpIpOpen("127.0.0.1", listener_.Port(), 0, 5)); }

  PseudoTerminal pty_;
  LoopbackListener listener_;
  std::vector<int32_t> opened_;
};

TEST_F(SessionTest, SerialOpenFillsTheRecord) {
  const int32_t handle = keep(MagOpen(0, 19200, 'E', 7, 2, 1, 3));
  ASSERT_GT(handle, 0);
  const SessionRecord* session = FindSession(handle);
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->portIndex, 0);
  EXPECT_EQ(session->timeoutMs, 3000);
  EXPECT_EQ(session->settings, 286);
  EXPECT_EQ(session->flow, 1);
  EXPECT_NE(session->port, 0);
  EXPECT_EQ(session->firstRead, 1);
  EXPECT_EQ(session->nonHalvikTrack1, 1);
  EXPECT_EQ(session->nonHalvikTrack2, 1);
  EXPECT_EQ(session->nonHalvikTrack3, 0);
  EXPECT_EQ(session->isTcp, 0);
  EXPECT_EQ(session->isUsb, 0);
  EXPECT_EQ(PortMarkHolder(0), getpid());
}

TEST_F(SessionTest, EveryBaudRateAndFlowTypeOpens) {
  for (int32_t baud : {110, 150, 300, 600, 1200, 2400, 4800, 9600, 19200, 57600}) {
    const int32_t handle = MagOpen(0, baud, 'O', 7, 2, 0, 3);
    EXPECT_GT(handle, 0) << baud;
    EXPECT_EQ(MagClose(handle), MRW_OK) << baud;
  }
  for (int32_t flow = 0; flow <= 4; ++flow) {
    const int32_t handle = MagOpen(0, 9600, 'N', 8, 1, flow, 3);
    EXPECT_GT(handle, 0) << flow;
    EXPECT_EQ(MagClose(handle), MRW_OK) << flow;
  }
}

TEST_F(SessionTest, PortNumbersAbove20OpenPort0) {
  const int32_t handle = keep(openSerial(25));
  ASSERT_GT(handle, 0);
  EXPECT_EQ(FindSession(handle)->portIndex, 0);
  EXPECT_EQ(PortMarkHolder(0), getpid());
  EXPECT_EQ(openSerial(0), MAG_PORT_IN_USE);
}

TEST_F(SessionTest, ZeroTimeoutMeansTenSeconds) {
  const int32_t handle = keep(openSerial(0, 0));
  ASSERT_GT(handle, 0);
  EXPECT_EQ(FindSession(handle)->timeoutMs, 10000);
}

TEST_F(SessionTest, PortNumberNMeansComNPlusOne) {
  PseudoTerminal com4;
  MapComPort(4, com4.SlavePath());
  EXPECT_GT(keep(openSerial(3)), 0);
  EXPECT_EQ(openSerial(2), 0);  // COM3 is mapped to nothing
}

TEST_F(SessionTest, PortInUseUntilClosed) {
  const int32_t first = openSerial(0);
  ASSERT_GT(first, 0);
  EXPECT_EQ(openSerial(0), MAG_PORT_IN_USE);
  EXPECT_EQ(openSerial(0), MAG_PORT_IN_USE);
  EXPECT_EQ(PortMarkHolder(0), getpid());
  EXPECT_EQ(MagClose(first), MRW_OK);
  EXPECT_EQ(PortMarkHolder(0), 0);
  EXPECT_GT(keep(openSerial(0)), 0);
}

TEST_F(SessionTest, FailedOpenLeavesThePortFree) {
  EXPECT_EQ(openSerial(9), 0);  // no COM10
  EXPECT_EQ(PortMarkHolder(9), 0);
  EXPECT_EQ(openSerial(9), 0);  // not -1: the mark was cleared
  EXPECT_EQ(openSerial(2), 0);
  EXPECT_EQ(PortMarkHolder(2), 0);
}

TEST_F(SessionTest, Port20AndNegativePortsAreRefused) {
  EXPECT_EQ(openSerial(20), 0);
  EXPECT_EQ(openSerial(-1), 0);
  EXPECT_EQ(openSerial(-1000), 0);
  EXPECT_EQ(PortMarkHolder(0), 0);
  const int32_t handle = keep(openSerial(21));  // above 20: port 0
  ASSERT_GT(handle, 0);
  EXPECT_EQ(FindSession(handle)->portIndex, 0);
}

TEST_F(SessionTest, ThirtySessionsAtMost) {
  PseudoTerminal com2;
  MapComPort(2, com2.SlavePath());
  std::vector<int32_t> handles;
  handles.push_back(keep(openSerial(0)));
  ASSERT_GT(handles.back(), 0);
  while (handles.size() < static_cast<size_t>(kSessionLimit)) {
    handles.push_back(openTcp());
    ASSERT_GT(handles.back(), 0) << "session " << handles.size();
  }
  EXPECT_EQ(MagTcpIpOpen("127.0.0.1", listener_.Port(), 0, 5), 0);
  EXPECT_EQ(MagUSBOpen(5), 0);
  EXPECT_EQ(openSerial(0), MAG_PORT_IN_USE) << "the port is tested before the table";
  EXPECT_EQ(openSerial(1), 0);
  EXPECT_EQ(PortMarkHolder(1), 0) << "a refused open gives its mark back";

  ASSERT_EQ(MagClose(handles[9]), MRW_OK);
  const int32_t serial = keep(openSerial(1));
  EXPECT_GT(serial, 0);
  for (size_t i = 0; i < handles.size(); ++i) {
    if (i == 9) continue;
    EXPECT_EQ(MagSet1NonHalvikCard(handles[i], 1), 1) << i;
    EXPECT_EQ(MagGetLastError(handles[i]), 0) << i;
  }
  EXPECT_EQ(MagGetLastError(handles[9]), MRW_NOSESSION);
}

TEST_F(SessionTest, ClosingTheMiddleOfThree) {
  const int32_t first = openTcp();
  const int32_t second = openTcp();
  const int32_t third = openTcp();
  ASSERT_GT(first, 0);
  ASSERT_GT(second, 0);
  ASSERT_GT(third, 0);
  EXPECT_NE(first, second);
  EXPECT_NE(second, third);
  FindSession(first)->lastError = 0x11;
  FindSession(third)->lastError = 0x33;
  EXPECT_EQ(MagClose(second), MRW_OK);
  EXPECT_EQ(MagGetLastError(first), 0x11);
  EXPECT_EQ(MagGetLastError(third), 0x33);
  EXPECT_EQ(MagGetLastError(second), MRW_NOSESSION);
}

TEST_F(SessionTest, ClosedSerialHandleLeavesNoPortObject) {
  const int32_t handle = openSerial(0);
  ASSERT_GT(handle, 0);
  const SioHandle port = FindSession(handle)->port;
  ASSERT_EQ(MagClose(handle), MRW_OK);
  EXPECT_EQ(w1632_SioClose(port), SIO_ERR_BAD_HANDLE);
}

TEST_F(SessionTest, LastErrorIsReadAndCleared) {
  const int32_t handle = openTcp();
  ASSERT_GT(handle, 0);
  FindSession(handle)->lastError = 0x24000100;
  EXPECT_EQ(MagGetLastError(handle), 0x24000100);
  EXPECT_EQ(MagGetLastError(handle), 0);
}

TEST_F(SessionTest, SwitchesReturnThePreviousFlag) {
  const int32_t handle = openTcp();
  ASSERT_GT(handle, 0);
  EXPECT_EQ(MagSet1NonHalvikCard(handle, 0), 1);
  EXPECT_EQ(MagSet1NonHalvikCard(handle, 1), 0);
  EXPECT_EQ(MagSet2NonHalvikCard(handle, 0), 1);
  EXPECT_EQ(MagSet2NonHalvikCard(handle, 7), 0);
  EXPECT_EQ(MagSetNonHalvikCard(handle, 5), 0);
  EXPECT_EQ(MagSetNonHalvikCard(handle, 0), 5);
  const SessionRecord* session = FindSession(handle);
  EXPECT_EQ(session->nonHalvikTrack1, 1);
  EXPECT_EQ(session->nonHalvikTrack2, 7);
  EXPECT_EQ(session->nonHalvikTrack3, 0);
}

TEST_F(SessionTest, TcpAndUsbSessionsShareAbortFlagZeroWithSerialPort0) {
  const int32_t serial = keep(openSerial(0));
  const int32_t tcp = openTcp();
  ASSERT_GT(serial, 0);
  ASSERT_GT(tcp, 0);
  EXPECT_EQ(FindSession(tcp)->portIndex, 0);
  AbortFlags[0].store(0);
  EXPECT_EQ(MagAbort(tcp), MRW_OK);
  EXPECT_EQ(AbortFlags[0].load(), 1);
}

TEST_F(SessionTest, AbortArmsTheSerialPort) {
  PseudoTerminal com4;
  MapComPort(4, com4.SlavePath());
  const int32_t handle = keep(openSerial(3));
  ASSERT_GT(handle, 0);
  EXPECT_EQ(AbortFlags[3].load(), 0) << "a successful open clears its port's flag";
  EXPECT_EQ(MagAbort(handle), MRW_OK);
  EXPECT_EQ(AbortFlags[3].load(), 1);
  int32_t flags = -1;
  EXPECT_EQ(w1632_SioSend(FindSession(handle)->port, "000\r\n", 5, &flags), SIO_ERR_ABORTED);
  EXPECT_EQ(flags, 0);
  EXPECT_EQ(com4.ReadAvailable(), "");
}

TEST_F(SessionTest, SuccessfulOpenClearsItsAbortFlag) {
  AbortFlags[0].store(1);
  ASSERT_GT(keep(openSerial(0)), 0);
  EXPECT_EQ(AbortFlags[0].load(), 0);
}

TEST_F(SessionTest, CloseDuringACoderCallIsFinishedWhenTheCallEnds) {
  const int32_t handle = openSerial(0);
  ASSERT_GT(handle, 0);
  AbortFlags[0].store(0);
  {
    ActiveCall call(handle);
    ASSERT_NE(call.session(), nullptr);
    EXPECT_EQ(MagClose(handle), MRW_OK);
    EXPECT_EQ(MagGetLastError(handle), MRW_NOSESSION) << "the handle is unknown at once";
    EXPECT_EQ(AbortFlags[0].load(), 1) << "the running call is asked to stop";
    EXPECT_NE(call.session()->port, 0) << "its link stays until it ends";
    EXPECT_EQ(PortMarkHolder(0), getpid());
  }
  EXPECT_EQ(PortMarkHolder(0), 0);
  EXPECT_GT(keep(openSerial(0)), 0);
}

TEST_F(SessionTest, TcpOpenWithoutHostFails) {
  EXPECT_EQ(MagTcpIpOpen(nullptr, listener_.Port(), 0, 5), 0);
}

}  // namespace
