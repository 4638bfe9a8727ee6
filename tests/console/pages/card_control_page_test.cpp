// "Initial / Card Control": the lines each button sends, the CommandId it
// leaves for the reply, and what the operator can see of the page.
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include <chrono>

#include "Main.h"
#include "reply/MainState.h"
#include "link/link.h"
#include "pages/PageState.h"
#include "pages_fixture.h"
#include "platform/tick.h"

namespace {

std::string lastSentBytes() {
  return std::string(reinterpret_cast<const char*>(LastSendBytes()),
                     static_cast<size_t>(LastSendLength()));
}

class CardControlPage : public PagesOverBothLinks {
 protected:
  // Clicks `button` and returns the bytes it sent; waits for the reply's
  // panel message (a reply's text comes with its line end) so that no reply
  // is left pending.
  std::string click(QPushButton* button, const char* replyMessage) {
    button->click();
    EXPECT_TRUE(sim.WaitForRequests(1, 3000)) << "nothing sent";
    EXPECT_TRUE(waitFor([replyMessage] { return panelText().trimmed() == replyMessage; }))
        << "panel shows " << panelText().toStdString();
    return lastSentBytes();
  }
};

TEST_P(CardControlPage, StartSentinelSendsTheCheckedTracksSentinel) {
  Form1->RadioButton2->setChecked(true);
  EXPECT_EQ(click(Form1->Button4, "Start sentinel setting OK !!"), "042;\r\n");
  EXPECT_EQ(CommandId, 4);
  EXPECT_EQ(card.Settings().startSentinel[1], ';');
}

TEST_P(CardControlPage, EndSentinelAndParityBitFollowTheTrack) {
  Form1->RadioButton3->setChecked(true);
  EXPECT_EQ(click(Form1->Button6, "Set bit sign, including parity OK !!"), "0631\r\n");
  EXPECT_EQ(CommandId, 6);
  sim.ClearRequests();
  Form1->RadioButton1->setChecked(true);
  EXPECT_EQ(click(Form1->Button5, "End sentinel setting OK !!"), "051?\r\n");
  EXPECT_EQ(CommandId, 5);
}

TEST_P(CardControlPage, NormSendsAndKeepsTheChosenLetter) {
  Form1->ComboBox1->setCurrentIndex(1);
  EXPECT_EQ(click(Form1->Button7, "Set norm OK !!"), "080B\r\n");
  EXPECT_EQ(NormChar[0], 'B');
  EXPECT_EQ(card.Norm(), 'B');
  EXPECT_EQ(CommandId, 8);

  sim.ClearRequests();
  Form1->ComboBox1->setCurrentIndex(0);
  Form1->Panel1->clear();
  EXPECT_EQ(click(Form1->Button7, "Set norm OK !!"), "080I\r\n");
  EXPECT_EQ(NormChar[0], 'I');

  sim.ClearRequests();
  Form1->ComboBox1->setCurrentIndex(1);
  Form1->Panel1->clear();
  // Wait for this reply too: otherwise it may be the one the next click sees.
  EXPECT_EQ(click(Form1->Button7, "Set norm OK !!"), "080B\r\n");
  sim.ClearRequests();
  Form1->ComboBox1->setCurrentIndex(-1);
  Form1->Panel1->clear();
  EXPECT_EQ(click(Form1->Button7, "Set norm OK !!"), "080I\r\n");
  EXPECT_EQ(card.Norm(), 'I');
}

TEST_P(CardControlPage, RepeatCountAndWaitTimeSendTheirEditsAsTyped) {
  EXPECT_EQ(click(Form1->Button8, "Repeat count setting OK !!"), "0701\r\n");
  EXPECT_EQ(CommandId, 7);
  sim.ClearRequests();
  EXPECT_EQ(click(Form1->Button15, "Waiting time setting OK!!"), "41000\r\n");
  EXPECT_EQ(CommandId, 41);

  Form1->Edit1->setText("7");
  Form1->Edit2->setText("42");
  sim.ClearRequests();
  click(Form1->Button8, "Repeat count setting OK !!");
  sim.ClearRequests();
  click(Form1->Button15, "Waiting time setting OK!!");
  EXPECT_EQ(card.Settings().repeatCount, '7');
  EXPECT_EQ(card.Settings().waitTime, "42");
}

TEST_P(CardControlPage, VersionShowsTheReadersVersionText) {
  EXPECT_EQ(click(Form1->Button14, card.VersionText().c_str()), "990\r\n");
  EXPECT_EQ(CommandId, 99);
}

TEST_P(CardControlPage, EveryOtherButtonSendsItsCommandWithItsId) {
  struct Case {
    QPushButton* button;
    const char* bytes;
    int commandId;
    const char* message;
  };
  const Case cases[] = {
      {Form1->Button3, "010\r\n", 1, "Reset OK !!"},
      {Form1->Button40, "130\r\n", 13, "LO Co Select OK !!"},
      {Form1->Button43, "140\r\n", 14, "HI Co Select OK !!"},
      {Form1->Button2, "160\r\n", 16, "Entry Card OK !!"},
      {Form1->Button9, "120\r\n", 12, "Card in MSRW OK !!"},
      {Form1->Button10, "150\r\n", 15, "Eject Card back OK !!(Please Remove the Card )"},
      {Form1->Button11, "170\r\n", 17, "Eject Card front OK !!"},
      {Form1->Button12, "700\r\n", 70, "Move Card back OK !!"},
      {Form1->Button13, "710\r\n", 71, "Move Card front OK !!"},
      {Form1->Button1, "000\r\n", 0, "No Operation OK !!"},
  };
  for (const Case& c : cases) {
    Form1->Panel1->clear();
    EXPECT_EQ(click(c.button, c.message), c.bytes);
    EXPECT_EQ(CommandId, c.commandId) << c.bytes;
    EXPECT_EQ(takeLines().size(), 1u) << c.bytes;
  }
}

TEST_P(CardControlPage, EjectButtonsOfTheTestPagesAreEjectFront) {
  for (QPushButton* eject : {Form1->Button22, Form1->Button26}) {
    CommandId = 0;
    Form1->Panel1->clear();
    EXPECT_EQ(click(eject, "Eject Card front OK !!"), "170\r\n");
    EXPECT_EQ(CommandId, 17);
    sim.ClearRequests();
  }
}

TEST_P(CardControlPage, TrackSettingWithNoTrackCheckedSendsNothing) {
  for (QRadioButton* radio : {Form1->RadioButton1, Form1->RadioButton2, Form1->RadioButton3}) {
    radio->setAutoExclusive(false);
    radio->setChecked(false);
  }
  CommandId = 0;
  Form1->Button4->click();
  EXPECT_EQ(CommandId, 4);
  EXPECT_FALSE(sim.WaitForRequests(1, 300));
}

TEST_P(CardControlPage, NothingIsSentOrShownOnceThePortIsClosed) {
  Form1->BitBtn2->click();  // " Port Close": the link is closed either way
  ASSERT_EQ(LinkMode, LINK_CLOSED);
  sim.ClearRequests();
  settle();
  const QString panel = panelText();
  Form1->Memo4->setPlainText("bits");
  Form1->Button3->click();
  Form1->Button7->click();
  Form1->Button20->click();  // bit memory "Send"
  EXPECT_FALSE(sim.WaitForRequests(1, 300));
  settle();
  EXPECT_EQ(panelText(), panel);
  EXPECT_EQ(memoText("Memo4"), "bits");
}

TEST_P(CardControlPage, AnEmptySettingEditSendsNoByteInItsPlace) {
  Form1->Edit1->clear();
  EXPECT_EQ(click(Form1->Button8, "Transmission error on receiving data !!"), "070\r\n");
  sim.ClearRequests();
  Form1->Edit2->setText("5");
  Form1->Panel1->clear();
  EXPECT_EQ(click(Form1->Button15, "Transmission error on receiving data !!"), "4105\r\n");
}

INSTANTIATE_TEST_SUITE_P(Links, CardControlPage, testing::Values(Link::Serial, Link::Ethernet),
                         linkName);

// On a serial link "No Operation" holds the window until the reader starts to
// answer, at most 5000 ms.
TEST_F(PagesTest, NoOperationWaitsAtMostFiveSecondsForASilentReader) {
  openLink(Link::Serial);
  speedUpClock(50);
  readersim::Faults silent;
  silent.silent = true;
  sim.SetFaults(silent);
  const uint32_t startTicks = platform::TickCount();
  const auto startTime = std::chrono::steady_clock::now();
  Form1->Button1->click();
  const uint32_t waited = platform::TickCount() - startTicks;
  EXPECT_GE(waited, 5000u);
  EXPECT_LT(waited, 5000u + 50 * 1000);
  EXPECT_LT(std::chrono::steady_clock::now() - startTime, std::chrono::seconds(5));
  EXPECT_EQ(takeLines(), std::vector<std::string>{"000"});
  EXPECT_EQ(CommandId, 0);
}

TEST_F(PagesTest, CardControlShowsFourButtonsAndHidesTheRest) {
  QWidget* page = Form1->TabSheet1;
  for (QPushButton* shown : {Form1->Button3, Form1->Button14, Form1->Button40, Form1->Button43}) {
    EXPECT_TRUE(shown->isVisibleTo(page)) << shown->text().toStdString();
  }
  for (QWidget* hidden : std::initializer_list<QWidget*>{
           Form1->Button1, Form1->Button2, Form1->Button4, Form1->Button5, Form1->Button6,
           Form1->Button7, Form1->Button8, Form1->Button9, Form1->Button10, Form1->Button11,
           Form1->Button12, Form1->Button13, Form1->Button15, Form1->RadioButton1,
           Form1->ComboBox1, Form1->Edit1, Form1->Edit2, Form1->GroupBox16, Form1->GroupBox17}) {
    EXPECT_FALSE(hidden->isVisibleTo(page)) << hidden->objectName().toStdString();
  }
  EXPECT_EQ(Form1->Button5->text(), "End  Sentinel");
  EXPECT_EQ(Form1->GroupBox1->title(), "[ Setting ] ");
  EXPECT_EQ(Form1->Edit1->maxLength(), 1);
  EXPECT_EQ(Form1->Edit2->maxLength(), 2);
  EXPECT_EQ(Form1->Edit1->text(), "1");
  EXPECT_EQ(Form1->Edit2->text(), "00");
  EXPECT_TRUE(Form1->RadioButton1->isChecked());
}

}  // namespace
