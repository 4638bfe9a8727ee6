// Counted test runs when the reader or the link misbehaves: late replies, the
// wait for a card to be inserted, a link closed or lost during a run, Exit
// during a run, a reply naming no track, and the rate column at 100 %.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

#include <chrono>
#include <functional>
#include <thread>

#include "Main.h"
#include "pages_fixture.h"
#include "platform/tick.h"

namespace {

using std::string;
using Clock = std::chrono::steady_clock;

// Lines starting with `prefix` are answered with `status` after `delayMs`.
void answerLate(readersim::ReaderSim& sim, const string& prefix, int delayMs, int status = 0) {
  sim.SetHandler(prefix, [delayMs, status](const readersim::Request& request) {
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    return readersim::TextReply(request, status);
  });
}

// Runs `action` once, when the reader has got `count` lines.
class AfterLines {
 public:
  AfterLines(readersim::ReaderSim& sim, size_t count, std::function<void()> action) {
    QObject::connect(&timer_, &QTimer::timeout, [this, &sim, count, action] {
      if (sim.Requests().size() < count) return;
      timer_.stop();
      action();
    });
    timer_.start(5);
  }

 private:
  QTimer timer_;
};

using TestRunFaults = PagesTest;

// Track 1's error reply comes after its wait (read mode 4: 90000 ms; manual
// write 5000 ms; Auto Test 10000 ms), while track 2 waits: track 2 is not
// charged with it and track 1 counts its missing reply once.
TEST_F(TestRunFaults, LateReplyIsChargedToNoOtherStep) {
  const struct {
    QRadioButton* TForm1::*mode;
    QPushButton* TForm1::*start;
    const char* prefix;
    int clockFactor;
    int delayMs;  // past the bound, but leaving track 2 its own
    QLabel* TForm1::*late;
    QLabel* TForm1::*next;
  } cases[] = {
      {&TForm1::RadioButton7, &TForm1::Button16, "181", 100, 1300, &TForm1::Label9,
       &TForm1::Label10},
      {&TForm1::RadioButton10, &TForm1::Button23, "211", 5, 1400, &TForm1::Label24,
       &TForm1::Label25},
      {&TForm1::RadioButton10, &TForm1::Button27, "211", 10, 1400, &TForm1::Label24,
       &TForm1::Label25},
  };
  openLink(Link::Serial);
  for (QCheckBox* box : {Form1->CheckBox3, Form1->CheckBox6}) box->setChecked(false);
  Form1->RichEdit2->setPlainText("123");
  for (const auto& c : cases) {
    speedUpClock(c.clockFactor);
    answerLate(sim, c.prefix, c.delayMs, 7);
    (Form1->*c.mode)->click();
    (Form1->*c.start)->click();
    settle();
    EXPECT_EQ((Form1->*c.late)->text(), "1") << c.prefix;
    EXPECT_EQ((Form1->*c.next)->text(), "0") << c.prefix;
    if (c.start != &TForm1::Button16) {
      EXPECT_EQ(panelText(), "Track #2 Write OK!!") << c.prefix;
    }
  }
  EXPECT_EQ(memoText("Memo2").trimmed(), "0021234567890123456=2512");
}

// Over TCP a reply later than the link's 90000 ms comes in front of the next
// read's own reply: that read still takes its own.
TEST_F(TestRunFaults, ReplyLaterThanTheNetworkBoundIsSkippedByTheNextRead) {
  openLink(Link::Ethernet);
  speedUpClock(100);
  answerLate(sim, "201", 1200, 32);
  Form1->CheckBox3->setChecked(false);
  Form1->Button16->click();
  EXPECT_EQ(Form1->Label9->text() + Form1->Label10->text(), "10");
  EXPECT_EQ(memoText("Memo2").trimmed(), "0021234567890123456=2512");
}

// The "After insert card" modes leave the operator as long on a serial link
// as over the network: a card inserted a minute after the command is taken.
TEST_P(PagesOverBothLinks, InsertCardModesWaitAMinuteAndMore) {
  const struct {
    QRadioButton* TForm1::*mode;
    QPushButton* TForm1::*start;
    const char* prefix;
    QLabel* TForm1::*count;
  } cases[] = {
      {&TForm1::RadioButton7, &TForm1::Button16, "181", &TForm1::Label9},
      {&TForm1::RadioButton8, &TForm1::Button16, "221", &TForm1::Label9},
      {&TForm1::RadioButton9, &TForm1::Button16, "241", &TForm1::Label9},
      {&TForm1::RadioButton13, &TForm1::Button23, "231", &TForm1::Label24},
      {&TForm1::RadioButton14, &TForm1::Button23, "251", &TForm1::Label24},
  };
  speedUpClock(100);
  for (QCheckBox* box : {Form1->CheckBox2, Form1->CheckBox3, Form1->CheckBox5, Form1->CheckBox6}) {
    box->setChecked(false);
  }
  for (const auto& c : cases) {
    answerLate(sim, c.prefix, 60000 / 100);
    (Form1->*c.mode)->click();
    const uint32_t startTicks = platform::TickCount();
    (Form1->*c.start)->click();
    EXPECT_GE(platform::TickCount() - startTicks, 60000u) << c.prefix;
    EXPECT_EQ((Form1->*c.count)->text(), "0") << c.prefix;
  }
}

INSTANTIATE_TEST_SUITE_P(Links, PagesOverBothLinks, testing::Values(Link::Serial, Link::Ethernet),
                         linkName);

// A link that goes during a run ends it after the step that found it, counts
// nothing against the card, says so, and shows at most one round of the link
// library's boxes.
class LostLink : public PagesTest, public testing::WithParamInterface<int> {};

struct LostLinkCase {
  const char* name;
  Link link;
  std::function<void(readersim::ReaderSim&)> lose;
};
const LostLinkCase kLostLinks[] = {
    {"PortClose", Link::Serial, [](readersim::ReaderSim&) { Form1->BitBtn2->click(); }},
    {"SerialDeviceGone", Link::Serial, [](readersim::ReaderSim& sim) { sim.Stop(); }},
    {"EthernetClose", Link::Ethernet, [](readersim::ReaderSim&) { Form1->BitBtn8->click(); }},
    {"TcpPeerGone", Link::Ethernet, [](readersim::ReaderSim& sim) { sim.Stop(); }},
};

TEST_P(LostLink, EndsTheRunWithoutCountingCardErrors) {
  const LostLinkCase& c = kLostLinks[GetParam()];
  openLink(c.link);
  speedUpClock(10);
  clearMessages();
  Form1->Edit3->setText("50");
  AfterLines lose(sim, 4, [&] { c.lose(sim); });
  Form1->Button16->click();
  EXPECT_LE(sim.Requests().size(), 5u);
  for (const QLabel* count : {Form1->Label9, Form1->Label10, Form1->Label11}) {
    EXPECT_EQ(count->text(), "0") << count->objectName().toStdString();
  }
  EXPECT_EQ(panelText(), "Link to the reader lost !!");
  EXPECT_LE(messages().size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Ways, LostLink, testing::Range(0, 4),
                         [](const testing::TestParamInfo<int>& info) {
                           return string(kLostLinks[info.param].name);
                         });

TEST_F(TestRunFaults, ExitDuringARunEndsTheProgramPromptly) {
  openLink(Link::Serial);
  speedUpClock(10);
  Form1->Edit6->setText("50");
  AfterLines exitNow(sim, 2, [] { Form1->BitBtn3->click(); });
  QTimer::singleShot(0, [] { Form1->Button27->click(); });
  QTimer guard;  // dies with the test: no later dialog loop meets it
  QObject::connect(&guard, &QTimer::timeout, [] { QApplication::exit(99); });
  guard.start(20000);
  const auto startTime = Clock::now();
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_LT(Clock::now() - startTime, std::chrono::seconds(5));
  EXPECT_LE(sim.Requests().size(), 3u);
  EXPECT_EQ(Form1->Label24->text(), "0");
}

// A serial line naming no track does not end the wait; when the track's own
// reply never comes, the memo says that a reply named no track.
TEST_F(TestRunFaults, SerialReplyNamingNoTrackIsShownAsSuch) {
  openLink(Link::Serial);
  speedUpClock(50);
  sim.SetHandler("201", [](const readersim::Request& request) {
    readersim::Reply reply = readersim::TextReply(request, 0, "X");
    reply.echo = '5';
    return reply;
  });
  for (QCheckBox* box : {Form1->CheckBox2, Form1->CheckBox3}) box->setChecked(false);
  Form1->Button16->click();
  EXPECT_EQ(memoText("Memo1"), "Reply names no track !!");
  EXPECT_EQ(Form1->Label9->text(), "1");
}

// Where a rate's text ends on the window.
int rateTextRight(const QLabel* rate) {
  const QRect box = rate->contentsRect();
  const int width = rate->fontMetrics().horizontalAdvance(rate->text());
  const int left = (rate->alignment() & Qt::AlignRight) ? box.right() - width : box.left();
  return rate->mapTo(Form1, QPoint(left + width, 0)).x();
}

TEST_F(TestRunFaults, RatesStayAlignedWhenOneReaches100Percent) {
  openLink(Link::Ethernet);
  speedUpClock(10);
  Form1->show();
  Form1->PageControl1->setCurrentWidget(Form1->TabSheet3);
  card.FailTrack('2', 7);
  Form1->Button23->click();
  settle();
  ASSERT_EQ(Form1->Label31->text(), "100.00 %");
  for (const QLabel* rate : {Form1->Label30, Form1->Label32, Form1->Label57}) {
    EXPECT_EQ(rateTextRight(rate), rateTextRight(Form1->Label31))
        << rate->objectName().toStdString();
    EXPECT_GE(rate->width(), rate->fontMetrics().horizontalAdvance("100.00 %"));
  }
}

}  // namespace
