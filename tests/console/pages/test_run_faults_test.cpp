// Counted test runs when the reader or the link misbehaves: replies that come
// after their step's wait, the wait for the operator to insert a card, a link
// that is closed or lost during a run, Exit during a run, a reply that names
// no track, and the error status column once a rate reaches 100 %.
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
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
#include "reply/MainState.h"

namespace {

using std::string;
using Lines = std::vector<string>;
using Clock = std::chrono::steady_clock;

string memo(const char* name) { return memoText(name).trimmed().toStdString(); }

// Answers lines that start with `prefix` only after `delayMs` of real time,
// with `status`.
void answerLate(readersim::ReaderSim& sim, const string& prefix, int delayMs, int status) {
  sim.SetHandler(prefix, [delayMs, status](const readersim::Request& request) {
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    return readersim::TextReply(request, status);
  });
}

// Runs `action` once the reader has received `count` lines (checked while the
// test waits or pauses).
class AfterLines {
 public:
  AfterLines(readersim::ReaderSim& sim, size_t count, std::function<void()> action) {
    QObject::connect(&timer_, &QTimer::timeout, [this, &sim, count, action] {
      if (sim.Requests().size() >= count) {
        timer_.stop();
        action();
      }
    });
    timer_.start(5);
  }

 private:
  QTimer timer_;
};

class TestRunFaults : public PagesTest {};

// Track 1's error reply comes after its 90000 ms wait, while track 2 waits:
// it is neither counted for track 2 nor counted twice for track 1.
TEST_F(TestRunFaults, LateReadReplyIsNotChargedToTheNextTrack) {
  openLink(Link::Serial);
  speedUpClock(100);
  Form1->RadioButton7->click();  // read mode 4
  answerLate(sim, "181", 1200, 32);
  Form1->CheckBox3->setChecked(false);
  Form1->Button16->click();
  settle();
  EXPECT_EQ(takeLines(), (Lines{"181", "182"}));
  EXPECT_EQ(Form1->Label9->text(), "1");
  EXPECT_EQ(memo("Memo1"), "No reply from the reader !!");
  EXPECT_EQ(Form1->Label10->text(), "0");
  EXPECT_EQ(memo("Memo2"), "0021234567890123456=2512");
}

// Track 1 fails, but only after its wait: track 2's write is still reported
// as written and its box keeps its data for the next pass.
TEST_F(TestRunFaults, LateWriteErrorDoesNotReplaceTheNextTracksData) {
  openLink(Link::Serial);
  speedUpClock(10);
  answerLate(sim, "211", 700, 7);
  Form1->CheckBox6->setChecked(false);
  Form1->RichEdit1->setPlainText("ABC");
  Form1->RichEdit2->setPlainText("123");
  Form1->Button23->click();
  settle();
  EXPECT_EQ(takeLines(), (Lines{"211ABC", "212123"}));
  EXPECT_EQ(Form1->RichEdit1->toPlainText(), "No reply from the reader !!");
  EXPECT_EQ(Form1->Label24->text(), "1");
  EXPECT_EQ(Form1->RichEdit2->toPlainText(), "123");
  EXPECT_EQ(Form1->Label25->text(), "0");
  EXPECT_EQ(panelText(), "Track #2 Write OK!!");
}

TEST_F(TestRunFaults, LateAutoTestErrorIsNotReportedForTheNextTrack) {
  openLink(Link::Serial);
  speedUpClock(10);
  answerLate(sim, "211", 1300, 7);
  Form1->CheckBox6->setChecked(false);
  Form1->Button27->click();
  settle();
  EXPECT_EQ(takeLines().size(), 2u);
  EXPECT_EQ(Form1->Label24->text(), "1");
  EXPECT_EQ(Form1->Label25->text(), "0");
  EXPECT_EQ(panelText(), "Track #2 Write OK!!");
}

// The "After insert card" modes wait for the operator as long on a serial
// link as over the network: a card inserted 60 s after the command is read or
// written.
struct InsertCardCase {
  const char* name;
  QRadioButton* TForm1::*mode;
  QPushButton* TForm1::*start;
  string line;
  QLabel* TForm1::*count;
};

class InsertCard : public PagesTest,
                   public testing::WithParamInterface<std::tuple<Link, int>> {};

const InsertCardCase kInsertCases[] = {
    {"Read4", &TForm1::RadioButton7, &TForm1::Button16, "181", &TForm1::Label9},
    {"Read5", &TForm1::RadioButton8, &TForm1::Button16, "221", &TForm1::Label9},
    {"Read6", &TForm1::RadioButton9, &TForm1::Button16, "241", &TForm1::Label9},
    {"Write4", &TForm1::RadioButton13, &TForm1::Button23, "231", &TForm1::Label24},
    {"Write5", &TForm1::RadioButton14, &TForm1::Button23, "251", &TForm1::Label24},
};

TEST_P(InsertCard, ACardInsertedAMinuteLaterIsStillTaken) {
  const Link link = std::get<0>(GetParam());
  const InsertCardCase& c = kInsertCases[std::get<1>(GetParam())];
  openLink(link);
  speedUpClock(200);
  for (QCheckBox* box : {Form1->CheckBox2, Form1->CheckBox3, Form1->CheckBox5, Form1->CheckBox6}) {
    box->setChecked(false);
  }
  (Form1->*c.mode)->click();
  answerLate(sim, c.line.substr(0, 2), 60000 / 200, 0);
  const uint32_t startTicks = platform::TickCount();
  (Form1->*c.start)->click();
  settle();
  EXPECT_GE(platform::TickCount() - startTicks, 60000u);
  EXPECT_EQ(takeLines().at(0).substr(0, 3), c.line);
  EXPECT_EQ((Form1->*c.count)->text(), "0") << c.name;
}

INSTANTIATE_TEST_SUITE_P(BothLinks, InsertCard,
                         testing::Combine(testing::Values(Link::Serial, Link::Ethernet),
                                          testing::Range(0, 5)),
                         [](const testing::TestParamInfo<std::tuple<Link, int>>& info) {
                           return string(std::get<0>(info.param) == Link::Serial ? "Serial"
                                                                                  : "Ethernet") +
                                  kInsertCases[std::get<1>(info.param)].name;
                         });

TEST_F(TestRunFaults, NoCardWithinTheInsertBoundIsANoReply) {
  openLink(Link::Serial);
  speedUpClock(200);
  readersim::Faults silent;
  silent.silent = true;
  sim.SetFaults(silent);
  Form1->RadioButton7->click();
  Form1->CheckBox2->setChecked(false);
  Form1->CheckBox3->setChecked(false);
  const uint32_t startTicks = platform::TickCount();
  const auto startTime = Clock::now();
  Form1->Button16->click();
  EXPECT_GE(platform::TickCount() - startTicks, 90000u);
  EXPECT_LT(Clock::now() - startTime, std::chrono::seconds(10));
  EXPECT_EQ(memo("Memo1"), "No reply from the reader !!");
}

// A link that goes during a run ends it after the step that found it: nothing
// is counted against the card and the status line says why.
struct LostLinkCase {
  const char* name;
  Link link;
  std::function<void(readersim::ReaderSim&)> lose;
};

class LostLink : public PagesTest, public testing::WithParamInterface<int> {};

const LostLinkCase& lostLinkCase(int i) {
  static const LostLinkCase cases[] = {
      {"PortClose", Link::Serial, [](readersim::ReaderSim&) { Form1->BitBtn2->click(); }},
      {"SerialDeviceGone", Link::Serial, [](readersim::ReaderSim& sim) { sim.Stop(); }},
      {"EthernetClose", Link::Ethernet, [](readersim::ReaderSim&) { Form1->BitBtn8->click(); }},
      {"TcpPeerGone", Link::Ethernet, [](readersim::ReaderSim& sim) { sim.Stop(); }},
  };
  return cases[i];
}

TEST_P(LostLink, EndsTheRunWithoutCountingCardErrors) {
  const LostLinkCase& c = lostLinkCase(GetParam());
  openLink(c.link);
  speedUpClock(10);
  clearMessages();
  Form1->Edit3->setText("50");
  AfterLines lose(sim, 4, [&] { c.lose(sim); });
  const auto startTime = Clock::now();
  Form1->Button16->click();
  settle();
  EXPECT_LT(Clock::now() - startTime, std::chrono::seconds(10));
  EXPECT_LE(sim.Requests().size(), 5u);
  for (const QLabel* count : {Form1->Label9, Form1->Label10, Form1->Label11}) {
    EXPECT_EQ(count->text(), "0") << count->objectName().toStdString();
  }
  EXPECT_EQ(panelText(), "Link to the reader lost !!");
  // one round of the link library's boxes at most
  EXPECT_LE(messages().size(), 3u);
}

INSTANTIATE_TEST_SUITE_P(Ways, LostLink, testing::Range(0, 4),
                         [](const testing::TestParamInfo<int>& info) {
                           return string(lostLinkCase(info.param).name);
                         });

TEST_F(TestRunFaults, LostLinkEndsTheAutoTestToo) {
  openLink(Link::Serial);
  speedUpClock(10);
  Form1->Edit6->setText("50");
  AfterLines lose(sim, 2, [] { Form1->BitBtn2->click(); });
  Form1->Button27->click();
  settle();
  EXPECT_LE(sim.Requests().size(), 3u);
  EXPECT_EQ(Form1->Label24->text(), "0");
  EXPECT_EQ(panelText(), "Link to the reader lost !!");
}

TEST_F(TestRunFaults, ExitDuringARunEndsTheProgramPromptly) {
  openLink(Link::Serial);
  speedUpClock(10);
  Form1->Edit3->setText("50");
  AfterLines exitNow(sim, 2, [] { Form1->BitBtn3->click(); });
  QTimer::singleShot(0, [] { Form1->Button16->click(); });
  // A guard that dies with the test: a later test's dialog loop must never
  // meet it.
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [] { QApplication::exit(99); });
  guard.start(20000);
  const auto startTime = Clock::now();
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_LT(Clock::now() - startTime, std::chrono::seconds(5));
  EXPECT_LE(sim.Requests().size(), 3u);
  EXPECT_EQ(Form1->Label9->text(), "0");
}

// A serial reply that names no track does not end the wait; when the track's
// own reply never comes, the memo says that a reply came, naming no track.
TEST_F(TestRunFaults, SerialReplyNamingNoTrackIsShownAsSuch) {
  openLink(Link::Serial);
  speedUpClock(50);
  sim.SetHandler("201", [](const readersim::Request& request) {
    readersim::Reply reply = readersim::TextReply(request, 0, "X");
    reply.echo = '5';
    return reply;
  });
  Form1->CheckBox2->setChecked(false);
  Form1->CheckBox3->setChecked(false);
  Form1->Button16->click();
  EXPECT_EQ(memo("Memo1"), "Reply names no track !!");
  EXPECT_EQ(Form1->Label9->text(), "1");
}

// Where each rate's text ends on the page.
int rateTextRight(const QLabel* rate) {
  const QRect box = rate->contentsRect();
  const int textWidth = rate->fontMetrics().horizontalAdvance(rate->text());
  const int left = (rate->alignment() & Qt::AlignRight) ? box.right() - textWidth
                                                        : box.left();
  return rate->mapTo(Form1, QPoint(left + textWidth, 0)).x();
}

TEST_F(TestRunFaults, RatesStayAlignedWhenOneReaches100Percent) {
  openLink(Link::Ethernet);
  speedUpClock(10);
  Form1->show();
  Form1->PageControl1->setCurrentWidget(Form1->TabSheet3);
  card.FailTrack('2', 7);
  Form1->RichEdit2->setPlainText("123");
  Form1->Button23->click();
  settle();
  ASSERT_EQ(Form1->Label31->text(), "100.00 %");
  ASSERT_EQ(Form1->Label30->text(), "0.00 %");
  const int right = rateTextRight(Form1->Label31);
  for (const QLabel* rate : {Form1->Label30, Form1->Label32, Form1->Label57}) {
    EXPECT_EQ(rateTextRight(rate), right) << rate->objectName().toStdString();
    EXPECT_GE(rate->width(), rate->fontMetrics().horizontalAdvance("100.00 %"));
  }
}

}  // namespace
