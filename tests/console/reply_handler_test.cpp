// Replies of the reader simulator through the real links, as the reply
// handler shows and counts them: over the pseudo-terminal (handled on the
// receive thread) and over loopback TCP (handled inside SendCommand).
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <cstring>
#include <utility>

#include "Main.h"
#include "reply/MainState.h"
#include "ZUV_ETHERNET.h"
#include "console_fixture.h"
#include "link/link.h"

namespace {

using readersim::RawReply;
using readersim::Reply;
using readersim::Request;
using readersim::TextReply;

enum class Link { Serial, Ethernet };

class LinkedConsoleTest : public ConsoleTest {
 protected:
  void openLink(Link link) {
    if (link == Link::Serial) {
      mapComToSimulator(7);
      ASSERT_TRUE(OpenSerialPort(7, 38400));
    } else {
      ASSERT_EQ(Connect_Ethernet("127.0.0.1", simTcpPort), 1);
      LinkMode = LINK_ETHERNET;
    }
    SetReceiveCallback(ReceiveCallback);
  }

  // Sends one command the way the waiting handlers do and waits until the
  // reply has been handled and its widget changes have reached the window.
  void sendAndWait(int id, int code, const std::string& data = "") {
    ResponseEvent.Create();
    CommandId = id;
    SendCommand(code, reinterpret_cast<const uint8_t*>(data.data()), static_cast<int>(data.size()));
    EXPECT_TRUE(waitFor([] { return ResponseEvent.IsSignalled(); })) << "no reply handled for id " << id;
    QApplication::processEvents();
    ResponseEvent.Close();
  }

  // A track write as the write test sends it: the track character in
  // TxBuffer[0], then the data.
  void sendWrite(int id, int code, const char* trackAndData) {
    std::memset(TxBuffer, 0, sizeof TxBuffer);
    std::strcpy(TxBuffer, trackAndData);
    sendAndWait(id, code, TxBuffer);
  }
};

class ReplyHandling : public LinkedConsoleTest, public testing::WithParamInterface<Link> {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    if (!HasFatalFailure()) openLink(GetParam());
    Form1->PageControl1->setEnabled(true);
  }
};

class SerialReplyHandling : public LinkedConsoleTest {
 protected:
  void SetUp() override {
    ConsoleTest::SetUp();
    if (!HasFatalFailure()) openLink(Link::Serial);
  }
};

using StatusLine = ConsoleTest;

INSTANTIATE_TEST_SUITE_P(OverBothLinks, ReplyHandling, testing::Values(Link::Serial, Link::Ethernet),
                         [](const testing::TestParamInfo<Link>& info) {
                           return info.param == Link::Serial ? "Serial" : "Ethernet";
                         });

TEST_P(ReplyHandling, EveryErrorStatusShowsItsMessage) {
  const std::pair<int, const char*> table[] = {
      {3, "Time out while receiving data !!"},
      {4, "Transmission error on receiving data !!"},
      {5, "Command unidentified !!"},
      {6, "Amount of data > 1024  "},
      {7, "Track information error !!"},
      {8, "Card handing error !!"},
      {10, "Card jam !!            "},
      {11, "LRC error !!"},
      {12, "Check error !!"},
      {14, "Parity error !!"},
      {17, "Bit memory overflow !!"},
      {18, "No end sentinel !!"},
      {19, "Card not encoded !!"},
      {20, "Wrong start sentinel !!"},
      {21, "Unexpected end of card !!"},
      {30, "IC Card Block wait time Error !!"},
      {31, "IC Card Parity Error !!"},
      {32, "IC Card Character wait time Error !!"},
      {35, "IC Card PTS confirm Error !!"},
      {36, "Time out !!(Between IC Card and VXP-3100)"},
      {37, "ATR Length over Error !!"},
      {40, "ATR Format Error !!"},
      {41, "IC Card not found !!"},
      {42, "IC Card Power on Error !!"},
      {43, "Data pollution Error !!"},
      {45, "VXP-3100 can't receive ATR !!"},
      {46, "Communication Error with EMV Module(VXP-3100)"},
      {50, "Card not supported, ATMEL IC Card"},
      {51, "ATMEL Card Read/Write Error"},
  };
  for (const auto& [status, message] : table) {
    sim.SetStatusFor("010", status);
    ResponseFlag = 0;
    sendAndWait(1, CMD_RESET);
    EXPECT_EQ(panelText(), message) << "status " << status;
    EXPECT_EQ(ResponseFlag.load(), 0) << "status " << status;
  }
}

TEST_P(ReplyHandling, UnlistedStatusShowsUnknownErrorAndRaisesTheFlag) {
  for (int status : {1, 2, 9, 13, 15, 16, 22, 29, 33, 34, 38, 39, 44, 47, 49, 52, 99}) {
    sim.SetStatusFor("010", status);
    ResponseFlag = 0;
    sendAndWait(1, CMD_RESET);
    EXPECT_EQ(panelText(), "Unknown Error !!") << "status " << status;
    EXPECT_EQ(ResponseFlag.load(), 1) << "status " << status;
  }
  sim.ClearStatusOverrides();
  sim.SetHandler("010", [](const Request&) { return RawReply("-10\n"); });
  ResponseFlag = 0;
  sendAndWait(1, CMD_RESET);
  EXPECT_EQ(panelText(), "Unknown Error !!");
  EXPECT_EQ(ResponseFlag.load(), 1);
}

TEST_P(ReplyHandling, ReadErrorsAreRemappedShownInTheTrackMemoAndCounted) {
  const std::pair<int, const char*> remap[] = {{32, "Wrong start sentinel !!"},
                                               {24, "No end sentinel !!"},
                                               {20, "Parity error !!"},
                                               {17, "LRC error !!"},
                                               {25, "Card not encoded !!"}};
  int expectedCount = 0;
  for (const auto& [status, message] : remap) {
    sim.SetStatusFor("20", status);
    ResponseFlag = 0;
    sendAndWait(20, CMD_READ_INSIDE_MOVE_BACK, "1");
    ++expectedCount;
    EXPECT_EQ(memoText("Memo1"), message) << "status " << status;
    EXPECT_EQ(ErrorCount1.load(), expectedCount);
    EXPECT_EQ(ResponseFlag.load(), 1);
  }
  EXPECT_EQ(panelText(), "Welcome !!");
  EXPECT_EQ(ErrorCount2.load(), 0);
}

TEST_P(ReplyHandling, ReadModeFourErrorIsRemappedLikeTheOtherReads) {
  sim.SetStatusFor("18", 32);
  sendAndWait(18, CMD_READ_INSERT_MOVE_BACK, "2");
  EXPECT_EQ(memoText("Memo2"), "Wrong start sentinel !!");
  EXPECT_EQ(ErrorCount2.load(), 1);
  EXPECT_EQ(ResponseFlag.load(), 1);
}

TEST_P(ReplyHandling, WriteErrorIsNotRemappedAndBecomesTheWriteErrorText) {
  sim.SetStatusFor("21", 32);
  sendWrite(21, CMD_WRITE_INSIDE_MOVE_BACK, "1ABC");
  EXPECT_EQ(WriteErrorText.Get(), "IC Card Character wait time Error !!");
  EXPECT_EQ(WriteErrorFlag.load(), 1);
  EXPECT_EQ(ErrorCount1.load(), 1);
  EXPECT_EQ(ResponseFlag.load(), 1);
  EXPECT_EQ(panelText(), "Welcome !!");
}

TEST_P(ReplyHandling, TimeLoxErrorsCountOnTheTimeLoxTrack) {
  sim.SetStatusFor("26", 18);
  sendAndWait(26, CMD_READ_INSIDE_EJECT_BACK, "4");
  EXPECT_EQ(ErrorCountTimeLox.load(), 1);
  EXPECT_EQ(memoText("Memo8"), "No end sentinel !!");

  sim.SetStatusFor("25", 7);
  sendWrite(25, CMD_WRITE_INSERT_EJECT_BACK, "4;1234?");
  EXPECT_EQ(ErrorCountTimeLox.load(), 2);
  EXPECT_EQ(WriteErrorFlag.load(), 1);
  EXPECT_EQ(WriteErrorText.Get(), "Track information error !!");
}

TEST_P(ReplyHandling, PositiveReadShowsTheWholeReplyInItsTrackMemo) {
  sim.SetHandler("22", [](const Request& request) { return TextReply(request, 0, ";1234567890?"); });
  sendAndWait(22, CMD_READ_INSERT_EJECT_FRONT, "2");
  EXPECT_EQ(memoText("Memo2"), "002;1234567890?\n");
  EXPECT_EQ(ResponseFlag.load(), 1);
  EXPECT_EQ(ErrorCount2.load(), 0);
}

TEST_P(ReplyHandling, PositiveReadEchoingAnotherCharacterShowsNothingButSignals) {
  sim.SetHandler("28", [](const Request& request) { return TextReply(request, 0, "DATA"); });
  ResponseFlag = 0;
  sendAndWait(28, CMD_READ_INSIDE_MOVE_FRONT, "5");
  EXPECT_EQ(ResponseFlag.load(), 0);
  for (const char* memo : {"Memo1", "Memo2", "Memo3", "Memo8"}) EXPECT_EQ(memoText(memo), "") << memo;
}

TEST_P(ReplyHandling, PositiveWriteRaisesTheFlag) {
  sendWrite(19, CMD_WRITE_INSIDE_EJECT_FRONT, "3123");
  EXPECT_EQ(ResponseFlag.load(), 1);
  EXPECT_EQ(WriteErrorFlag.load(), 0);
  EXPECT_EQ(ErrorCount3.load(), 0);
}

TEST_P(ReplyHandling, HexDumpShowsEachCharacterAsAPairAndABlank) {
  sim.SetHandler("51", [](const Request&) { return RawReply("0003B\n"); });
  HexDumpFlag = 1;
  sendAndWait(51, CMD_IC_POWER_ON, "0");
  EXPECT_EQ(memoText("Memo10"), "30 30 30 33 42 0A ");
  EXPECT_EQ(memoText("Memo9"), "3B\n");
  EXPECT_EQ(HexDumpFlag.load(), 0);
  EXPECT_EQ(panelText(), "IC Card Power ON OK!!");
}

TEST_P(ReplyHandling, HexDumpOfALongReplyIsCutToItsBuffer) {
  const std::string payload(400, 'Z');
  sim.SetHandler("530", [payload](const Request& request) { return TextReply(request, 0, payload); });
  HexDumpFlag = 1;
  sendAndWait(53, CMD_IC_DIRECT, "00A4");
  const QString dump = memoText("Memo10");
  EXPECT_EQ(dump.size(), 341 * 3);
  EXPECT_TRUE(dump.startsWith("30 30 30 5A ")) << dump.left(24).toStdString();
  EXPECT_TRUE(dump.endsWith("5A ")) << dump.right(12).toStdString();
  EXPECT_EQ(memoText("Memo9"), QString(400, 'Z') + "\n");
  EXPECT_EQ(panelText(), "IC Card Direct Command OK!!");
}

TEST_P(ReplyHandling, VersionShowsTheReplyFromItsFifthCharacter) {
  sim.SetHandler("990", [](const Request& request) { return TextReply(request, 0, "xQMR V1.23"); });
  sendAndWait(99, CMD_VERSION);
  EXPECT_EQ(panelText(), "QMR V1.23\n");
}

TEST_P(ReplyHandling, PositiveRepliesShowTheMessageOfTheirCommand) {
  struct Row {
    int id;
    int code;
    const char* data;
    const char* message;
  };
  const Row rows[] = {
      {0, CMD_NO_OPERATION, "", "No Operation OK !!"},
      {1, CMD_RESET, "", "Reset OK !!"},
      {4, CMD_START_SENTINEL, "1%", "Start sentinel setting OK !!"},
      {5, CMD_END_SENTINEL, "1?", "End sentinel setting OK !!"},
      {6, CMD_PARITY_BIT, "11", "Set bit sign, including parity OK !!"},
      {7, CMD_REPEAT_COUNT, "1", "Repeat count setting OK !!"},
      {8, CMD_SET_NORM, "I", "Set norm OK !!"},
      {12, CMD_CARD_IN, "", "Card in MSRW OK !!"},
      {13, CMD_LO_CO, "", "LO Co Select OK !!"},
      {14, CMD_HI_CO, "", "HI Co Select OK !!"},
      {15, CMD_EJECT_BACK, "", "Eject Card back OK !!(Please Remove the Card )"},
      {16, CMD_ENTRY_FRONT, "", "Entry Card OK !!"},
      {17, CMD_EJECT_FRONT, "", "Eject Card front OK !!"},
      {41, CMD_WAIT_TIME, "00", "Waiting time setting OK!!"},
      {50, CMD_IC_ENTRY, "", "IC Card Entry OK!!"},
      {51, CMD_IC_POWER_ON, "0", "IC Card Power ON OK!!"},
      {52, CMD_IC_POWER_OFF, "", "IC Card Power OFF OK!!"},
      {53, CMD_IC_DIRECT, "00", "IC Card Direct Command OK!!"},
      {70, CMD_MOVE_BACK, "", "Move Card back OK !!"},
      {71, CMD_MOVE_FRONT, "", "Move Card front OK !!"},
      {80, CMD_ATMEL_READ, "00000010", "ATMEL Card Read OK!!"},
      {81, CMD_ATMEL_POWER_ON, "0", "ATMEL Card Power ON OK!!"},
      {82, CMD_ATMEL_POWER_OFF, "", "ATMEL Card Power OFF OK!!"},
      {88, CMD_ATMEL_WRITE, "0000000100", "ATMEL Card Write OK!!"},
      {3030, CMD_NET_WRITE, "00", "Ethernet Write ok !!"},
      {4242, CMD_RESET, "", "Unknown positive response"},
  };
  for (const Row& row : rows) {
    sendAndWait(row.id, row.code, row.data);
    EXPECT_EQ(panelText(), row.message) << "id " << row.id;
  }
}

TEST_P(ReplyHandling, BitMemoryRepliesFillTheBitMemo) {
  const std::pair<int, const char*> windows[] = {{30, "Bits 001-200, Memory of last read..."},
                                                 {31, "Bits 201-400, Memory of last read..."},
                                                 {32, "Bits 401-600, Memory of last read..."},
                                                 {33, "Bits 601-800, Memory of last read..."},
                                                 {34, "Bits 001-800, Memory of last read..."}};
  const int codes[] = {CMD_BITS_001_200, CMD_BITS_201_400, CMD_BITS_401_600, CMD_BITS_601_800,
                       CMD_BITS_001_800};
  for (int i = 0; i < 5; ++i) {
    const std::string bits = std::string(20, '0') + std::to_string(i) + std::string(20, '1');
    sim.SetHandler(CommandPrefix(codes[i]), [bits](const Request& request) { return TextReply(request, 0, bits); });
    sendAndWait(windows[i].first, codes[i]);
    EXPECT_EQ(panelText(), windows[i].second);
    EXPECT_EQ(memoText("Memo4").toStdString(), "000" + bits + "\n");
  }
}

TEST_P(ReplyHandling, BootJumpEntersDownloadModeButtonsAndBinaryFraming) {
  sendAndWait(2, CMD_BOOT_JUMP);
  EXPECT_EQ(panelText(), "F/W Down Load mode Ok");
  EXPECT_FALSE(Form1->btnBoot->isEnabled());
  EXPECT_TRUE(Form1->btnFile->isEnabled());
  EXPECT_TRUE(Form1->btnApp->isEnabled());
  EXPECT_TRUE(Form1->btnBootVer->isEnabled());
  EXPECT_EQ(BootMode.load(), 1);
  EXPECT_EQ(FramingMode.load(), 1);
}

TEST_P(ReplyHandling, NetworkSettingsReadBackFillsTheEdits) {
  sim.SetHandler("031", [](const Request& request) {
    return TextReply(request, 0, "0011223344aa" "c0A80001" "0A010201" "FFFFFF00" "0A010202" "0BB9");
  });
  sendAndWait(3031, CMD_NET_READ, "3F");
  EXPECT_EQ(panelText(), "Ethernet Read ok !!");
  const char* expected[][2] = {
      {"eMac1", "00"},     {"eMac2", "11"},     {"eMac3", "22"},    {"eMac4", "33"},
      {"eMac5", "44"},     {"eMac6", "aa"},     {"eIP1", "192"},    {"eIP2", "168"},
      {"eIP3", "0"},       {"eIP4", "1"},       {"eGate1", "10"},   {"eGate2", "1"},
      {"eGate3", "2"},     {"eGate4", "1"},     {"eSubnet1", "255"}, {"eSubnet2", "255"},
      {"eSubnet3", "255"}, {"eSubnet4", "0"},   {"eDns1", "10"},    {"eDns2", "1"},
      {"eDns3", "2"},      {"eDns4", "2"},      {"eEPort", "3001"},
  };
  for (const auto& [name, text] : expected) {
    EXPECT_EQ(Form1->findChild<QLineEdit*>(name)->text(), text) << name;
  }
}

// Closing the link while a read or write test command is pending is no card
// error: the text goes to the status line and nothing is counted.
TEST_F(StatusLine, LinkClosedDuringAPendingReadIsShownNotCounted) {
  CommandId = 22;
  ReplyBuffer[2] = '2';
  Form1->BitBtn8->click();
  EXPECT_EQ(ErrorCount2.load(), 0);
  EXPECT_EQ(memoText("Memo2"), "");
  EXPECT_EQ(panelText(), "Ethernet port Closed...");
}

TEST_F(StatusLine, LinkClosedDuringAPendingWriteIsNoWriteError) {
  CommandId = 23;
  std::memset(TxBuffer, 0, sizeof TxBuffer);
  TxBuffer[0] = '3';
  WriteErrorFlag = 0;
  Form1->BitBtn2->click();
  EXPECT_EQ(ErrorCount3.load(), 0);
  EXPECT_EQ(WriteErrorFlag.load(), 0);
  EXPECT_EQ(panelText(), "Com port Closed...");
}

// A reply that begins but never ends is no reply: the status line says so
// instead of reporting the command as done, and the waiting handler is still
// released.
TEST_F(SerialReplyHandling, UnfinishedReplyIsShownAsNoReplyAndStillSignals) {
  sim.SetHandler("010", [](const Request&) { return RawReply("00"); });
  sendAndWait(1, CMD_RESET);
  EXPECT_EQ(panelText(), "No reply from the reader !!");
  EXPECT_EQ(ResponseFlag.load(), 0);
}

// Esc pressed while the link waits for a reply's first byte abandons the
// wait; that too is said on the status line, and the handler is released.
// In frame mode the bytes before a frame's start are noise, so the wait for
// the first byte goes on after them and sees the key.
TEST_F(SerialReplyHandling, EscBeforeTheFirstByteIsShownAsAbandoned) {
  FramingMode = 1;
  ResponseEvent.Create();
  CommandId = 1;
  QTest::keyClick(Form1, Qt::Key_Escape);
  sim.SendRaw("??");
  ASSERT_TRUE(waitFor([] { return ResponseEvent.IsSignalled(); }));
  QApplication::processEvents();
  ResponseEvent.Close();
  EXPECT_EQ(panelText(), "Reply abandoned (Esc) !!");
  EXPECT_EQ(ResponseFlag.load(), 0);
}

TEST_F(SerialReplyHandling, BootVersionFrameShowsTheReplyFromItsSecondByte) {
  sim.SetFrameHandler([](const Request&) { return readersim::FrameReply("VBOOT 2.05"); });
  FramingMode = 1;
  const uint8_t version = 'V';
  ResponseEvent.Create();
  CommandId = 100;
  SendCommand(CMD_RAW_FRAME, &version, 1);
  ASSERT_TRUE(waitFor([] { return ResponseEvent.IsSignalled(); }));
  QApplication::processEvents();
  ResponseEvent.Close();
  EXPECT_TRUE(panelText().endsWith("BOOT 2.05")) << panelText().toStdString();
}

TEST_F(SerialReplyHandling, EjectBackRegistersTheCallbackAgainAndRepliesKeepComing) {
  sendAndWait(15, CMD_EJECT_BACK);
  EXPECT_EQ(panelText(), "Eject Card back OK !!(Please Remove the Card )");
  sendAndWait(1, CMD_RESET);
  EXPECT_EQ(panelText(), "Reset OK !!");
}

}  // namespace
