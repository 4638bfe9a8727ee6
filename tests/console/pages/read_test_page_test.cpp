// "Read Test": the reads each pass sends and in what order, the pass count,
// "Break", and the counts and rates of faulty tracks, over both links.
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
#include "pages/PageState.h"
#include "pages_fixture.h"
#include "platform/tick.h"

namespace {

using std::string;

// A track memo's text without the reply's line end.
string memo(const char* name) { return memoText(name).trimmed().toStdString(); }
using Lines = std::vector<string>;

class ReadTestPage : public PagesOverBothLinks {
 protected:
  void SetUp() override {
    PagesOverBothLinks::SetUp();
    speedUpClock(10);  // the 100 ms and 1000 ms pauses after each read
  }
  void start() {
    Form1->Button16->click();
    settle();
  }
};

TEST_P(ReadTestPage, DefaultsReadTracksOneToThreeEachAfterThePreviousReply) {
  answerSlowly({"201", "202", "203"}, 80);
  start();
  EXPECT_EQ(takeLines(), (Lines{"201", "202", "203"}));
  for (long gap : arrivalGapsMs()) EXPECT_GE(gap, 80);
  EXPECT_EQ(Form1->Edit4->text(), "1");
  EXPECT_EQ(memo("Memo1"), "001T1");
  EXPECT_EQ(memo("Memo2"), "002T2");
  EXPECT_EQ(memo("Memo3"), "003T3");
  EXPECT_EQ(Form1->Label9->text(), "0");
  EXPECT_EQ(Form1->Label17->text(), "0.00 %");
  EXPECT_EQ(panelText(), "Track #3 Read...");
}

TEST_P(ReadTestPage, TimeLoxAloneUnchecksTheOtherTracks) {
  ASSERT_EQ(card.WriteTrack('4', "0123ABCD"), 0);
  Form1->CheckBox10->setChecked(true);
  start();
  EXPECT_EQ(takeLines(), Lines{"204"});
  EXPECT_FALSE(Form1->CheckBox1->isChecked());
  EXPECT_FALSE(Form1->CheckBox2->isChecked());
  EXPECT_FALSE(Form1->CheckBox3->isChecked());
  EXPECT_EQ(memo("Memo8"), "0040123ABCD");
  EXPECT_EQ(panelText(), "Track #3 TimeLox Read...");
}

TEST_P(ReadTestPage, WithNoTrackCheckedThePassesSendNothing) {
  for (QCheckBox* box : {Form1->CheckBox1, Form1->CheckBox2, Form1->CheckBox3}) {
    box->setChecked(false);
  }
  Form1->Edit3->setText("5");
  start();
  EXPECT_TRUE(takeLines().empty());
  EXPECT_EQ(Form1->Edit4->text(), "5");
}

TEST_P(ReadTestPage, ASetCountOfZeroOrLessRunsOnePass) {
  for (const char* count : {"0", "-3"}) {
    Form1->Edit3->setText(count);
    start();
    EXPECT_EQ(takeLines().size(), 3u) << count;
    EXPECT_EQ(Form1->Edit4->text(), "1") << count;
  }
}

TEST_P(ReadTestPage, BreakDuringPassThreeOfTenEndsAfterThatPass) {
  Form1->Edit3->setText("10");
  QTimer breaker;
  QObject::connect(&breaker, &QTimer::timeout, [&] {
    if (sim.Requests().size() >= 7) {
      Form1->Button17->click();
      breaker.stop();
    }
  });
  breaker.start(5);
  start();
  EXPECT_EQ(Form1->Edit4->text(), "3");
  EXPECT_EQ(takeLines().size(), 9u);
  EXPECT_EQ(panelText(), "Track #3 Read...");  // pass 3 went on after "Command Breaked..."
}

TEST_P(ReadTestPage, AFaultyTrackCountsEveryPassInItsMemo) {
  Form1->RadioButton7->click();  // "Move Back" after insert card: read mode 4
  ASSERT_EQ(ReadMode, 4);
  card.FailTrack('2', 32);
  Form1->Edit3->setText("3");
  start();
  EXPECT_EQ(takeLines(), (Lines{"181", "182", "183", "181", "182", "183", "181", "182", "183"}));
  EXPECT_EQ(memo("Memo2"), "Wrong start sentinel !!");
  EXPECT_EQ(Form1->Label10->text(), "3");
  EXPECT_EQ(Form1->Label16->text(), "100.00 %");
  EXPECT_EQ(Form1->Label9->text(), "0");
  EXPECT_EQ(Form1->Label15->text(), "0.00 %");
  EXPECT_EQ(ErrorCount2, 3);
  EXPECT_STREQ(RateText[1], "100.00 %");
}

TEST_P(ReadTestPage, OneErrorInThreePassesIsAThirdOfThem) {
  card.FailTrack('1', 24, 1);
  Form1->Edit3->setText("3");
  start();
  EXPECT_EQ(Form1->Label9->text(), "1");
  EXPECT_EQ(Form1->Label15->text(), "33.33 %");
  EXPECT_EQ(memo("Memo1"), "001CARD BENCH TRACK ONE 0123456789");
  EXPECT_EQ(Form1->Edit4->text(), "3");
}

TEST_P(ReadTestPage, TheOtherStartButtonsAreDisabledWhileItRuns) {
  bool startEnabled = true;
  bool manualEnabled = true;
  bool autoEnabled = true;
  QTimer::singleShot(0, [&] {
    startEnabled = Form1->Button16->isEnabled();
    manualEnabled = Form1->Button23->isEnabled();
    autoEnabled = Form1->Button27->isEnabled();
  });
  start();
  EXPECT_FALSE(startEnabled);
  EXPECT_FALSE(manualEnabled);
  EXPECT_FALSE(autoEnabled);
  EXPECT_TRUE(Form1->Button16->isEnabled());
  EXPECT_TRUE(Form1->Button23->isEnabled());
  EXPECT_TRUE(Form1->Button27->isEnabled());
}

TEST_P(ReadTestPage, ASilentReaderIsCountedAndShownPerTrack) {
  speedUpClock(50);
  readersim::Faults silent;
  silent.silent = true;
  sim.SetFaults(silent);
  Form1->CheckBox2->setChecked(false);
  Form1->CheckBox3->setChecked(false);
  const uint32_t startTicks = platform::TickCount();
  const auto startTime = std::chrono::steady_clock::now();
  start();
  EXPECT_GE(platform::TickCount() - startTicks, 5000u);
  EXPECT_LT(std::chrono::steady_clock::now() - startTime, std::chrono::seconds(20));
  EXPECT_EQ(memo("Memo1"), "No reply from the reader !!");
  EXPECT_EQ(Form1->Label9->text(), "1");
  EXPECT_EQ(Form1->Label15->text(), "100.00 %");
  EXPECT_EQ(Form1->Edit4->text(), "1");
}

INSTANTIATE_TEST_SUITE_P(Links, ReadTestPage, testing::Values(Link::Serial, Link::Ethernet),
                         linkName);

// Over serial the test itself bounds the wait for a reply: 5000 ms for tracks
// 1-3, 10000 ms for TimeLox. A reply 7500 ms late is missed on track 3 and
// taken on the TimeLox track.
TEST_F(PagesTest, TimeLoxWaitsTwiceAsLongForItsReplyAsTrackThree) {
  openLink(Link::Serial);
  speedUpClock(10);
  readersim::Faults late;
  late.delayMs = 7500 / 10;
  sim.SetFaults(late);
  ASSERT_EQ(card.WriteTrack('4', "0123"), 0);
  Form1->CheckBox1->setChecked(false);
  Form1->CheckBox2->setChecked(false);
  Form1->Button16->click();
  EXPECT_EQ(Form1->Label11->text(), "1");
  EXPECT_EQ(Form1->Label17->text(), "100.00 %");

  // The late track-3 reply comes while the TimeLox read waits: it is not
  // that read's, and its own read has already been failed.
  sim.ClearRequests();
  Form1->CheckBox10->setChecked(true);
  Form1->Button16->click();
  settle();
  EXPECT_EQ(takeLines(), Lines{"204"});
  EXPECT_EQ(memo("Memo8"), "0040123");
  EXPECT_EQ(memo("Memo3"), "No reply from the reader !!");
  EXPECT_EQ(Form1->Label51->text(), "0");
  EXPECT_EQ(Form1->Label52->text(), "0.00 %");
}

// Each of the six read-mode buttons picks its command and CommandId.
TEST_F(PagesTest, EveryReadModeSendsItsOwnCommand) {
  openLink(Link::Ethernet);
  speedUpClock(10);
  Form1->CheckBox2->setChecked(false);
  Form1->CheckBox3->setChecked(false);
  const struct {
    QRadioButton* mode;
    const char* line;
    int commandId;
  } cases[] = {
      {Form1->RadioButton5, "261", 26}, {Form1->RadioButton6, "281", 28},
      {Form1->RadioButton7, "181", 18}, {Form1->RadioButton8, "221", 22},
      {Form1->RadioButton9, "241", 24}, {Form1->RadioButton4, "201", 20},
  };
  for (const auto& c : cases) {
    c.mode->click();
    Form1->Button16->click();
    settle();
    EXPECT_EQ(takeLines(), Lines{c.line});
    EXPECT_EQ(CommandId, c.commandId) << c.line;
    EXPECT_EQ(Form1->Label9->text(), "0") << c.line;
  }
}

// 100 ms after tracks 1 and 2, 1000 ms after track 3 (the clock runs twice as
// fast as real time here).
TEST_F(PagesTest, ReadTestPausesLongerAfterTrackThree) {
  openLink(Link::Ethernet);
  constexpr int kFactor = 2;
  speedUpClock(kFactor);
  answerSlowly({"201", "202", "203"}, 0);
  Form1->Edit3->setText("2");
  Form1->Button16->click();
  EXPECT_EQ(takeLines().size(), 6u);
  const std::vector<long> gaps = arrivalGapsMs();
  ASSERT_EQ(gaps.size(), 5u);
  EXPECT_GE(gaps[0] * kFactor, 100);   // track 1 -> track 2
  EXPECT_GE(gaps[1] * kFactor, 100);   // track 2 -> track 3
  EXPECT_GE(gaps[2] * kFactor, 1000);  // track 3 -> next pass's track 1
  EXPECT_LT(gaps[3] * kFactor, 1000);
}

// Over serial a line that is no reply to the pending read (here a reply that
// names no track, just before each read's own) neither ends nor fails the
// read: the read's own reply still counts for its track and nothing else.
TEST_F(PagesTest, ReadTestWaitsPastAStrayLineForItsOwnReply) {
  openLink(Link::Serial);
  speedUpClock(10);
  readersim::Faults stray;
  stray.garbageBefore = "005\n";  // before every reply, which comes on
  stray.splitPieces = 2;           // only after the stray line is handled
  stray.splitGapMs = 50;
  sim.SetFaults(stray);
  Form1->Button16->click();
  settle();
  EXPECT_EQ(takeLines(), (Lines{"201", "202", "203"}));
  EXPECT_EQ(memo("Memo1"), "001CARD BENCH TRACK ONE 0123456789");
  EXPECT_EQ(memo("Memo2"), "0021234567890123456=2512");
  EXPECT_EQ(memo("Memo3"), "0030123456789=0123456789");
  for (const QLabel* count : {Form1->Label9, Form1->Label10, Form1->Label11}) {
    EXPECT_EQ(count->text(), "0") << count->objectName().toStdString();
  }
}

// Over Ethernet the one line SendCommand reads is the reply: when it names no
// track the read is failed at once, without waiting out the reply time-out,
// and the memo says what came.
TEST_F(PagesTest, ReadTestFailsAnEthernetReplyNamingNoTrackAtOnce) {
  openLink(Link::Ethernet);
  sim.SetHandler("201", [](const readersim::Request& request) {
    readersim::Reply reply = readersim::TextReply(request, 0, "X");
    reply.echo = '5';
    return reply;
  });
  Form1->CheckBox2->setChecked(false);
  Form1->CheckBox3->setChecked(false);
  const uint32_t startTicks = platform::TickCount();
  Form1->Button16->click();
  EXPECT_LT(platform::TickCount() - startTicks, 4000u);
  EXPECT_EQ(memo("Memo1"), "Reply names no track !!");
  EXPECT_EQ(Form1->Label9->text(), "1");
}

// The window's activation (after any dialog over it closed) checks the first
// read-mode button; the reads then use that mode, as the page shows.
TEST_F(PagesTest, ReadModeFollowsTheButtonTheActivationChecks) {
  openLink(Link::Ethernet);
  speedUpClock(10);
  Form1->CheckBox2->setChecked(false);
  Form1->CheckBox3->setChecked(false);
  Form1->RadioButton7->click();
  Form1->FormActivate();
  ASSERT_TRUE(Form1->RadioButton4->isChecked());
  Form1->Button16->click();
  settle();
  EXPECT_EQ(takeLines(), Lines{"201"});
}

TEST_F(PagesTest, ReadTestCountThatIsNoNumberIsReportedAndStartsNothing) {
  openLink(Link::Serial);
  ErrorCount1 = 5;
  Form1->Edit4->setText("7");
  Form1->Edit3->setText("abc");
  QMetaObject::invokeMethod(Form1->Button16, "click", Qt::QueuedConnection);
  settle();
  EXPECT_EQ(messages(), std::vector<std::string>{"'abc' is not a valid integer value"});
  EXPECT_EQ(ErrorCount1, 0);
  EXPECT_EQ(Form1->Edit4->text(), "7");
  EXPECT_FALSE(sim.WaitForRequests(1, 200));
  EXPECT_TRUE(Form1->Button16->isEnabled());
}

TEST_F(PagesTest, ReadTestClearEmptiesTheFourMemosOnly) {
  Form1->PageControl1->setEnabled(true);
  for (QPlainTextEdit* memo : {Form1->Memo1, Form1->Memo2, Form1->Memo3, Form1->Memo8}) {
    memo->setPlainText("text");
  }
  Form1->Label9->setText("4");
  Form1->Button19->click();
  for (const char* memo : {"Memo1", "Memo2", "Memo3", "Memo8"}) {
    EXPECT_TRUE(memoText(memo).isEmpty());
  }
  EXPECT_EQ(panelText(), "Form Clear OK !!");
  EXPECT_EQ(Form1->Label9->text(), "4");
}

TEST_F(PagesTest, ReadTestPageHasItsControlsAndCaptions) {
  Form1->PageControl1->setEnabled(true);
  EXPECT_EQ(Form1->Edit3->text(), "1");
  EXPECT_EQ(Form1->Edit3->maxLength(), 4);
  EXPECT_TRUE(Form1->Edit4->isReadOnly());
  EXPECT_EQ(Form1->Label3->text().toStdString(), string(13, ' ') + "Card already inside");
  EXPECT_EQ(Form1->Label4->text().toStdString(), string(20, ' ') + "After insert card");
  EXPECT_EQ(Form1->Button22->text(), "Eject ");
  EXPECT_EQ(Form1->GroupBox23->title(), "[  T r a c k  # 3 TimeLox  ]");
  const QRadioButton* modes[6] = {Form1->RadioButton4, Form1->RadioButton5, Form1->RadioButton6,
                                  Form1->RadioButton7, Form1->RadioButton8, Form1->RadioButton9};
  for (const QRadioButton* mode : modes) EXPECT_EQ(mode->parentWidget(), Form1->TabSheet2);
  EXPECT_TRUE(Form1->RadioButton4->isChecked());
  Form1->RadioButton9->click();
  EXPECT_EQ(ReadMode, 6);
  EXPECT_FALSE(Form1->RadioButton4->isChecked());
}

}  // namespace
