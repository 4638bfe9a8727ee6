// Opening and closing links through the main window's buttons and dialogs,
// against the reader simulator.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include "Ethernetopen.h"
#include "Main.h"
#include "pages/AtmelGridModel.h"
#include "reply/MainState.h"
#include "Portopen.h"
#include "ZUV_ETHERNET.h"
#include "console_fixture.h"
#include "link/link.h"

namespace {

class LinkDialogs : public ConsoleTest {
 protected:
  // A reply over a link opened past the dialogs reaches the status line, so
  // the reply handler is registered.
  void expectRepliesHandled() {
    ASSERT_EQ(Connect_Ethernet("127.0.0.1", simTcpPort), 1);
    LinkMode = LINK_ETHERNET;
    CommandId = 1;
    EXPECT_EQ(SendCommand(CMD_RESET, nullptr, 0), 1);
    EXPECT_EQ(panelText(), "Reset OK !!");
  }
};

TEST_F(LinkDialogs, MainWindowStartsWithItsEightPagesAndThreeTabs) {
  EXPECT_EQ(Form1->windowTitle(), "QMR-5170 Application Program ( Ver : 1.01...20130215 )  ");
  EXPECT_EQ(panelText(), "Welcome !!");
  EXPECT_FALSE(Form1->PageControl1->isEnabled());
  const char* captions[] = {"Initial / Card Control", "Read Test", "Write Test", "IC Card Test",
                            "Read Bit Memory",        "ATMEL Card", "Ethernet Set", "Firmware"};
  const bool shown[] = {true, false, false, false, false, false, true, true};
  ASSERT_EQ(Form1->PageControl1->count(), 8);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(Form1->PageControl1->tabText(i), captions[i]);
    EXPECT_EQ(Form1->PageControl1->isTabVisible(i), shown[i]) << captions[i];
  }
  // The link buttons, left to right; the USB pair is built but hidden.
  const std::pair<QPushButton*, const char*> row[] = {{Form1->BitBtn1, " Port Open"},
                                                      {Form1->BitBtn2, " Port Close"},
                                                      {Form1->BitBtn4, " Ethernet Open"},
                                                      {Form1->BitBtn8, "Ethernet Close"},
                                                      {Form1->BitBtn3, " Exit"}};
  int lastX = -1;
  for (const auto& [button, caption] : row) {
    EXPECT_EQ(button->text(), caption);
    EXPECT_TRUE(button->isVisible()) << caption;
    EXPECT_GT(button->x(), lastX) << caption;
    lastX = button->x();
  }
  EXPECT_EQ(Form1->BitBtn5->text(), " USB Open");
  EXPECT_EQ(Form1->BitBtn6->text(), " USB Close");
  EXPECT_FALSE(Form1->BitBtn5->isVisible());
  EXPECT_FALSE(Form1->BitBtn6->isVisible());
  EXPECT_GT(Form1->Panel1->y(), Form1->PageControl1->y());
}

TEST_F(LinkDialogs, SerialSetOnTheSimulatorEnablesThePagesAndProbesWithEjectFront) {
  ASSERT_TRUE(openSerialThroughDialog(3));
  EXPECT_FALSE(PortForm->isVisible());
  ASSERT_TRUE(sim.WaitForRequests(1, 5000));
  EXPECT_EQ(sim.Requests()[0].line, std::string(CommandPrefix(CMD_EJECT_FRONT)));
  // The probe's reply is reported as the Eject Front it is.
  EXPECT_TRUE(waitFor([] { return panelText() == "Eject Card front OK !!"; }));
  EXPECT_TRUE(messages().empty());
}

TEST_F(LinkDialogs, SerialSetOnAMissingDeviceFailsAndReopensOnCom1And9600) {
  setenv("COM5_DEVICE", "/nonexistent/cardbench-tty", 1);
  bool stillOpenAfterFailure = false;
  int comAfterFailure = -1;
  int baudAfterFailure = -1;
  onModal([&](QWidget* modal) {
    EXPECT_EQ(modal, PortForm);
    EXPECT_EQ(PortForm->windowTitle(), "Port Open");
    PortForm->COM->setCurrentIndex(4);
    PortForm->BAUD->setCurrentIndex(2);
    PortForm->Button1->click();
    stillOpenAfterFailure = PortForm->isVisible();
    comAfterFailure = PortForm->COM->currentIndex();
    baudAfterFailure = PortForm->BAUD->currentIndex();
    PortForm->Button2->click();
  });
  Form1->BitBtn1->click();
  EXPECT_EQ(messages(), std::vector<std::string>{"Com Port open Fail!!"});
  EXPECT_TRUE(stillOpenAfterFailure);
  EXPECT_EQ(comAfterFailure, 0);
  EXPECT_EQ(baudAfterFailure, 3);
  EXPECT_EQ(LinkMode.load(), LINK_CLOSED);
  EXPECT_FALSE(Form1->PageControl1->isEnabled());
}

TEST_F(LinkDialogs, SerialDialogAlwaysOpensOnCom1And9600) {
  ASSERT_TRUE(openSerialThroughDialog(6));
  int com = -1;
  int baud = -1;
  onModal([&](QWidget*) {
    com = PortForm->COM->currentIndex();
    baud = PortForm->BAUD->currentIndex();
    PortForm->Button2->click();
  });
  Form1->BitBtn1->click();
  EXPECT_EQ(com, 0);
  EXPECT_EQ(baud, 3);
  EXPECT_EQ(PortForm->BAUD->itemText(3), "9600");
}

TEST_F(LinkDialogs, CancelLeavesTheLinkClosedAndThePagesAsTheyWere) {
  SetReceiveCallback(nullptr);
  onModal([](QWidget*) { PortForm->Button2->click(); });
  Form1->BitBtn1->click();
  EXPECT_EQ(LinkMode.load(), LINK_CLOSED);
  EXPECT_FALSE(Form1->PageControl1->isEnabled());
  EXPECT_FALSE(PortForm->isVisible());
  expectRepliesHandled();
}

TEST_F(LinkDialogs, EthernetCancelStillRegistersTheReplyHandler) {
  SetReceiveCallback(nullptr);
  onModal([](QWidget*) { Ethernet->Button2->click(); });
  Form1->BitBtn4->click();
  EXPECT_FALSE(Ethernet->isVisible());
  EXPECT_FALSE(Form1->PageControl1->isEnabled());
  EXPECT_TRUE(messages().empty());
  expectRepliesHandled();
}

TEST_F(LinkDialogs, SerialSetOpensTheChosenPortAtTheBaudRateOfTheChosenItem) {
  mapComToSimulator(5);
  const std::pair<const char*, speed_t> rates[] = {{"57600", B57600}, {"19200", B19200}, {"38400", B38400},
                                                   {"9600", B9600}};
  for (int index = 0; index < 4; ++index) {
    onModal([index](QWidget*) {
      PortForm->COM->setCurrentIndex(4);
      PortForm->BAUD->setCurrentIndex(index);
      PortForm->Button1->click();
    });
    Form1->BitBtn1->click();
    EXPECT_EQ(PortForm->BAUD->itemText(index), rates[index].first);
    ASSERT_EQ(LinkMode.load(), LINK_SERIAL) << rates[index].first;
    const int fd = ::open(simPty.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    termios settings{};
    ASSERT_EQ(tcgetattr(fd, &settings), 0);
    ::close(fd);
    EXPECT_EQ(cfgetospeed(&settings), rates[index].second) << rates[index].first;
    EXPECT_EQ(cfgetispeed(&settings), rates[index].second) << rates[index].first;
  }
}

TEST_F(LinkDialogs, ClosingADialogRestoresThePagesStartValues) {
  for (QPushButton* opener : {Form1->BitBtn1, Form1->BitBtn4}) {
    Form1->ComboBox1->setCurrentIndex(1);
    Form1->CheckBox8->setChecked(false);
    Form1->CheckBox9->setChecked(false);
    Form1->RadioButton7->setChecked(true);
    Form1->PageControl1->setCurrentIndex(6);
    Form1->sgAtmelCells->setCell(1, 1, "AB");
    onModal([](QWidget* dialog) { dialog->findChild<QPushButton*>("Button2")->click(); });
    opener->click();
    const std::string which = opener->text().toStdString();
    EXPECT_EQ(Form1->ComboBox1->currentText(), "ISO") << which;
    EXPECT_TRUE(Form1->CheckBox8->isChecked()) << which;
    EXPECT_TRUE(Form1->CheckBox9->isChecked()) << which;
    EXPECT_TRUE(Form1->RadioButton4->isChecked()) << which;
    EXPECT_EQ(Form1->PageControl1->currentIndex(), 0) << which;
    EXPECT_EQ(Form1->sgAtmelCells->cell(1, 1), " ") << which;
  }
}

TEST_F(LinkDialogs, PortCloseClosesTheSerialLinkAndKeepsThePagesEnabled) {
  ASSERT_TRUE(openSerialThroughDialog(2));
  ASSERT_TRUE(sim.WaitForRequests(1, 5000));
  Form1->BitBtn2->click();
  EXPECT_EQ(LinkMode.load(), LINK_CLOSED);
  EXPECT_EQ(panelText(), "Com port Closed...");
  EXPECT_TRUE(Form1->PageControl1->isEnabled());
  sim.ClearRequests();
  CommandId = 1;
  EXPECT_EQ(SendCommand(CMD_RESET, nullptr, 0), 0);
  EXPECT_FALSE(sim.WaitForRequests(1, 200));
}

TEST_F(LinkDialogs, EthernetSetConnectsToTheTypedAddressAndPort) {
  ASSERT_TRUE(openEthernetThroughDialog());
  EXPECT_EQ(panelText(), "Ethernet Communication Success !!");
  EXPECT_FALSE(Ethernet->isVisible());
  CommandId = 1;
  EXPECT_EQ(SendCommand(CMD_RESET, nullptr, 0), 1);
  EXPECT_EQ(panelText(), "Reset OK !!");
}

TEST_F(LinkDialogs, EthernetDialogKeepsWhatWasTypedLast) {
  EXPECT_EQ(Ethernet->RichEdit2->toPlainText(), "3001");
  EXPECT_TRUE(Ethernet->MaskEdit1->text().isEmpty());
  ASSERT_TRUE(openEthernetThroughDialog());
  QString address;
  QString port;
  onModal([&](QWidget*) {
    address = Ethernet->MaskEdit1->text();
    port = Ethernet->RichEdit2->toPlainText();
    Ethernet->Button2->click();
  });
  Form1->BitBtn4->click();
  EXPECT_EQ(address, "127.0.0.1");
  EXPECT_EQ(port, QString::number(simTcpPort));
}

TEST_F(LinkDialogs, EthernetPortText3001ConnectsToPort3001) {
  readersim::ReaderSim onDefaultPort;
  if (onDefaultPort.StartTcp(3001) != 3001) GTEST_SKIP() << "port 3001 is in use on this machine";
  onModal([](QWidget*) {
    Ethernet->MaskEdit1->setText("127.0.0.1");
    Ethernet->RichEdit2->setPlainText("3001");
    Ethernet->Button1->click();
  });
  Form1->BitBtn4->click();
  EXPECT_EQ(panelText(), "Ethernet Communication Success !!");
  CommandId = 0;
  EXPECT_EQ(SendCommand(CMD_NO_OPERATION, nullptr, 0), 1);
  EXPECT_EQ(onDefaultPort.Requests().size(), 1u);
}


TEST_F(LinkDialogs, EthernetSetRefusesAWrongPortOrAddressBeforeAnyConnect) {
  ASSERT_TRUE(openEthernetThroughDialog());  // stays open: nothing is closed or connected
  const std::string portError = "PORT ERROR - Check the Port Number (a number 1-65535)";
  const std::string addressError =
      "IP ADDRESS ERROR - Check the IP Address (four numbers 0-255, like 192.168.0.10)";
  const std::pair<const char*, const char*> cases[] = {
      {"127.0.0.1", "68537"}, {"127.0.0.1", "0"}, {"127.0.0.1", "12ab"}, {"127.0.0.1", ""},
      {"127.0.0.256", "1"},   {"127.0.0", "1"},   {"127.0.0.01", "1"},   {"localhost", "1"}};
  for (const auto& [address, portText] : cases) {
    clearMessages();
    onModal([address = address, portText = portText](QWidget*) {
      Ethernet->MaskEdit1->setText(address);
      Ethernet->RichEdit2->setPlainText(portText);
      Ethernet->Button1->click();
      EXPECT_TRUE(Ethernet->isVisible()) << portText;
      Ethernet->Button2->click();
    });
    Form1->BitBtn4->click();
    const bool portWrong = std::string(address) == "127.0.0.1";
    EXPECT_EQ(messages(), std::vector<std::string>{portWrong ? portError : addressError});
  }
  EXPECT_EQ(SendCommand(CMD_RESET, nullptr, 0), 1) << "the link is still open";
}

TEST_F(LinkDialogs, PortTextIsReadLikeStrtol) {
  EXPECT_EQ(PortNumberOf("3001"), 3001);
  EXPECT_EQ(PortNumberOf("12ab"), 12);
  EXPECT_EQ(PortNumberOf(""), 0);
  EXPECT_EQ(PortNumberOf("  3001\n"), 3001);
  EXPECT_EQ(PortNumberOf("abc"), 0);
  // Beyond 32 bits the range's end, not the low bits (4294970297 would
  // otherwise come out as 3001).
  EXPECT_EQ(PortNumberOf("4294970297"), 2147483647);
  EXPECT_EQ(PortNumberOf("-4294967296"), -2147483647 - 1);
}

TEST_F(LinkDialogs, FailedEthernetSetAfterASuccessfulOneKeepsThePagesEnabled) {
  ASSERT_TRUE(openEthernetThroughDialog());
  onModal([](QWidget*) {
    Ethernet->MaskEdit1->setText("127.0.0.2");  // the simulator listens on 127.0.0.1 only
    Ethernet->Button1->click();
  });
  Form1->BitBtn4->click();
  EXPECT_TRUE(Form1->PageControl1->isEnabled());
  EXPECT_EQ(messages(), std::vector<std::string>{"connect() failed"});
}

TEST_F(LinkDialogs, EthernetCloseShowsItsTextAndLeavesLinkModeAlone) {
  ASSERT_TRUE(openEthernetThroughDialog());
  Form1->BitBtn8->click();
  EXPECT_EQ(panelText(), "Ethernet port Closed...");
  EXPECT_EQ(LinkMode.load(), LINK_ETHERNET);
  EXPECT_TRUE(Form1->PageControl1->isEnabled());
}

TEST_F(LinkDialogs, ExitWithNoLinkEndsTheEventLoop) {
  LinkMode = LINK_CLOSED;
  QTimer::singleShot(0, [] { Form1->BitBtn3->click(); });
  QTimer::singleShot(5000, [] { QApplication::exit(99); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(LinkMode.load(), LINK_CLOSED);
  EXPECT_TRUE(messages().empty());
}

TEST_F(LinkDialogs, ExitClosesTheSerialLink) {
  ASSERT_TRUE(openSerialThroughDialog(4));
  QTimer::singleShot(0, [] { Form1->BitBtn3->click(); });
  QTimer::singleShot(5000, [] { QApplication::exit(99); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(LinkMode.load(), LINK_CLOSED);
}

}  // namespace
