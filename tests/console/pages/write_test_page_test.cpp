// "Write Test" ("Manual"): the lines each pass writes, success and error
// reports, counts and rates, a silent reader, and text too long to send.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

#include <chrono>

#include "Main.h"
#include "reply/MainState.h"
#include "link/link.h"
#include "pages/PageState.h"
#include "pages_fixture.h"
#include "platform/tick.h"

namespace {

using std::string;

using Lines = std::vector<string>;

class WriteTestPage : public PagesOverBothLinks {
 protected:
  void SetUp() override {
    PagesOverBothLinks::SetUp();
    speedUpClock(10);  // the 100 ms pause after each write
  }
  void manual() {
    Form1->Button23->click();
    settle();
  }
  static void onlyTrackOne() {
    Form1->CheckBox5->setChecked(false);
    Form1->CheckBox6->setChecked(false);
  }
};

TEST_P(WriteTestPage, DefaultsWriteEachBoxAfterThePreviousReply) {
  Form1->RichEdit1->setPlainText("ABC");
  Form1->RichEdit2->setPlainText("123");
  Form1->RichEdit3->setPlainText("456");
  answerSlowly({"211", "212", "213"}, 80);
  manual();
  EXPECT_EQ(takeLines(), (Lines{"211ABC", "212123", "213456"}));
  for (long gap : arrivalGapsMs()) EXPECT_GE(gap, 80);
  EXPECT_EQ(Form1->Edit5->text(), "1");
  EXPECT_EQ(panelText(), "Track #3 Write OK!!");
  EXPECT_EQ(Form1->RichEdit2->toPlainText(), "123");
  EXPECT_EQ(Form1->Label25->text(), "0");
  EXPECT_EQ(Form1->Label31->text(), "0.00 %");
}

TEST_P(WriteTestPage, WritesReachTheCardInTheChosenMode) {
  Form1->RadioButton13->click();  // "Eject Front" after insert card
  ASSERT_EQ(WriteMode, 4);
  Form1->RichEdit1->setPlainText("HELLO");
  Form1->RichEdit2->setPlainText("4711");
  Form1->RichEdit3->setPlainText("0815");
  manual();
  EXPECT_EQ(takeLines(), (Lines{"231HELLO", "2324711", "2330815"}));
  string text;
  EXPECT_EQ(card.ReadTrack('1', &text), 0);
  EXPECT_EQ(text, "HELLO");
  EXPECT_EQ(card.ReadTrack('3', &text), 0);
  EXPECT_EQ(text, "0815");
}

TEST_P(WriteTestPage, AnEmptyBoxSendsTheTrackCharacterAlone) {
  onlyTrackOne();
  manual();
  EXPECT_EQ(takeLines(), Lines{"211"});
  EXPECT_EQ(string(reinterpret_cast<const char*>(LastSendBytes()), LastSendLength()), "211\r\n");
}

TEST_P(WriteTestPage, TimeLoxAloneUnchecksTheOtherTracks) {
  Form1->CheckBox11->setChecked(true);
  Form1->RichEdit4->setPlainText("0123ABC");
  manual();
  EXPECT_EQ(takeLines(), Lines{"2140123ABC"});
  EXPECT_FALSE(Form1->CheckBox4->isChecked());
  EXPECT_FALSE(Form1->CheckBox5->isChecked());
  EXPECT_FALSE(Form1->CheckBox6->isChecked());
  EXPECT_EQ(panelText(), "Track #3 Time Lox Write OK!!");
}

TEST_P(WriteTestPage, ATrackFailingEveryPassWritesThePreviousErrorFromPassTwoOn) {
  card.FailTrack('2', 7);
  Form1->RichEdit1->setPlainText("ABC");
  Form1->RichEdit2->setPlainText("123");
  Form1->RichEdit3->setPlainText("456");
  Form1->Edit6->setText("4");
  manual();
  Lines trackTwo;
  for (const string& line : takeLines()) {
    if (line.compare(0, 3, "212") == 0) trackTwo.push_back(line);
  }
  const string error = "212Track information error !!";
  EXPECT_EQ(trackTwo, (Lines{"212123", error, error, error}));
  EXPECT_EQ(Form1->RichEdit2->toPlainText(), "Track information error !!");
  EXPECT_EQ(Form1->Label25->text(), "4");
  EXPECT_EQ(Form1->Label31->text(), "100.00 %");
  EXPECT_EQ(Form1->Label24->text(), "0");
  EXPECT_EQ(Form1->Label30->text(), "0.00 %");
  EXPECT_EQ(Form1->Edit5->text(), "4");
  EXPECT_EQ(panelText(), "Track #3 Write OK!!");
}

TEST_P(WriteTestPage, ASilentReaderEndsTheTestWithinItsBoundAndSaysSo) {
  speedUpClock(50);
  readersim::Faults silent;
  silent.silent = true;
  sim.SetFaults(silent);
  onlyTrackOne();
  Form1->RichEdit1->setPlainText("ABC");
  const uint32_t startTicks = platform::TickCount();
  const auto startTime = std::chrono::steady_clock::now();
  manual();
  EXPECT_GE(platform::TickCount() - startTicks, 5000u);
  EXPECT_LT(std::chrono::steady_clock::now() - startTime, std::chrono::seconds(20));
  EXPECT_EQ(Form1->RichEdit1->toPlainText(), "No reply from the reader !!");
  EXPECT_EQ(Form1->Label24->text(), "1");
  EXPECT_EQ(Form1->Label30->text(), "100.00 %");
  EXPECT_EQ(Form1->Edit5->text(), "1");
  EXPECT_NE(panelText(), "Track #1 Write OK!!");
}

TEST_P(WriteTestPage, BreakDuringPassThreeOfTenEndsAfterThatPass) {
  Form1->Edit6->setText("10");
  QTimer breaker;
  QObject::connect(&breaker, &QTimer::timeout, [&] {
    if (sim.Requests().size() >= 7) {
      Form1->Button24->click();
      breaker.stop();
    }
  });
  breaker.start(5);
  manual();
  EXPECT_EQ(Form1->Edit5->text(), "3");
  EXPECT_EQ(takeLines().size(), 9u);
}

INSTANTIATE_TEST_SUITE_P(Links, WriteTestPage, testing::Values(Link::Serial, Link::Ethernet),
                         linkName);

TEST_F(PagesTest, WriteTextLongerThanTheBufferIsCutToIt) {
  openLink(Link::Serial);
  Form1->CheckBox5->setChecked(false);
  Form1->CheckBox6->setChecked(false);
  Form1->RichEdit1->setPlainText(QString(3000, 'A'));
  Form1->Button23->click();
  settle();
  const std::vector<readersim::Request> requests = sim.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].line, "211" + string(kTxBufferSize - 2, 'A'));
  EXPECT_EQ(TxBuffer[kTxBufferSize - 1], '\0');
  // the simulated card holds 800 bits, so the reader refuses that much
  EXPECT_EQ(Form1->RichEdit1->toPlainText(), "Amount of data > 1024  ");
}

// Each of the five write-mode buttons picks its command and CommandId.
TEST_F(PagesTest, EveryWriteModeSendsItsOwnCommand) {
  openLink(Link::Ethernet);
  speedUpClock(10);
  Form1->CheckBox5->setChecked(false);
  Form1->CheckBox6->setChecked(false);
  Form1->RichEdit1->setPlainText("AB");
  const struct {
    QRadioButton* mode;
    const char* line;
    int commandId;
  } cases[] = {
      {Form1->RadioButton11, "271AB", 27}, {Form1->RadioButton12, "191AB", 19},
      {Form1->RadioButton13, "231AB", 23}, {Form1->RadioButton14, "251AB", 25},
      {Form1->RadioButton10, "211AB", 21},
  };
  for (const auto& c : cases) {
    c.mode->click();
    Form1->Button23->click();
    settle();
    EXPECT_EQ(takeLines(), Lines{c.line});
    EXPECT_EQ(CommandId, c.commandId) << c.line;
    EXPECT_EQ(panelText(), "Track #1 Write OK!!") << c.line;
  }
}

TEST_F(PagesTest, WriteTestCountOfZeroOrLessRunsOnePass) {
  openLink(Link::Ethernet);
  speedUpClock(10);
  Form1->CheckBox5->setChecked(false);
  Form1->CheckBox6->setChecked(false);
  for (const char* count : {"0", "-3"}) {
    Form1->Edit6->setText(count);
    Form1->Button23->click();
    settle();
    EXPECT_EQ(takeLines(), Lines{"211"}) << count;
    EXPECT_EQ(Form1->Edit5->text(), "1") << count;
  }
}

// Unlike a TimeLox read, a TimeLox write waits 5000 ms for its reply: one
// 7500 ms late is missed.
TEST_F(PagesTest, TimeLoxWriteWaitsAsLongAsTheOtherTracks) {
  openLink(Link::Serial);
  speedUpClock(10);
  readersim::Faults late;
  late.delayMs = 7500 / 10;
  sim.SetFaults(late);
  Form1->CheckBox11->setChecked(true);
  Form1->RichEdit4->setPlainText("0123");
  Form1->Button23->click();
  EXPECT_EQ(takeLines(), Lines{"2140123"});
  EXPECT_EQ(Form1->Label55->text(), "1");
  EXPECT_EQ(Form1->RichEdit4->toPlainText(), "No reply from the reader !!");
  // The late reply comes during the next run's write of the same track: that
  // write still waits for, and gets, its own reply.
  sim.SetFaults(readersim::Faults{});
  Form1->RichEdit4->setPlainText("4567");
  Form1->Button23->click();
  EXPECT_EQ(takeLines(), Lines{"2144567"});
  EXPECT_EQ(Form1->Label55->text(), "0");
  EXPECT_EQ(panelText(), "Track #3 Time Lox Write OK!!");
}

TEST_F(PagesTest, WriteTestCountThatIsNoNumberIsReportedAndStartsNothing) {
  openLink(Link::Ethernet);
  Form1->Edit6->setText("");
  QMetaObject::invokeMethod(Form1->Button23, "click", Qt::QueuedConnection);
  settle();
  EXPECT_EQ(messages(), std::vector<std::string>{"'' is not a valid integer value"});
  EXPECT_FALSE(sim.WaitForRequests(1, 200));
  EXPECT_TRUE(Form1->Button23->isEnabled());
}

TEST_F(PagesTest, WriteTestClearEmptiesTheFourBoxesOnly) {
  Form1->PageControl1->setEnabled(true);
  for (QPlainTextEdit* box :
       {Form1->RichEdit1, Form1->RichEdit2, Form1->RichEdit3, Form1->RichEdit4}) {
    box->setPlainText("data");
  }
  Form1->Label24->setText("2");
  Form1->Button25->click();
  for (const char* box : {"RichEdit1", "RichEdit2", "RichEdit3", "RichEdit4"}) {
    EXPECT_TRUE(memoText(box).isEmpty());
  }
  EXPECT_EQ(panelText(), "Form Clear OK !!");
  EXPECT_EQ(Form1->Label24->text(), "2");
}

TEST_F(PagesTest, WriteTestPageHasItsControlsAndCaptions) {
  Form1->PageControl1->setEnabled(true);
  EXPECT_EQ(Form1->Edit6->text(), "1");
  EXPECT_EQ(Form1->Edit6->maxLength(), 4);
  EXPECT_TRUE(Form1->Edit5->isReadOnly());
  EXPECT_EQ(Form1->Button27->text(), "Auto Test");
  EXPECT_EQ(Form1->GroupBox24->title(), "[  T r a c k  # 3  TimeLox ]");
  EXPECT_EQ(Form1->Label23->text(), "* Count / Rate");
  EXPECT_EQ(Form1->Label34->text().toStdString(), string(20, ' ') + "After insert card");
  EXPECT_TRUE(Form1->RadioButton10->isChecked());
  Form1->RadioButton12->click();
  EXPECT_EQ(WriteMode, 3);
  EXPECT_FALSE(Form1->RadioButton10->isChecked());
}

}  // namespace
