// Test runs, loops and single commands when the reader or the link
// misbehaves: a reply dropped, late or doubled, the wait for a card to be inserted, a link closed or lost during a run, Exit
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
#include <memory>
#include <optional>
#include <thread>
#include <tuple>

#include "Main.h"
#include "atmel_card_lines.h"
#include "gui/RadioGroup.h"
#include "ic_card_lines.h"
#include "net_settings_lines.h"
#include "pages/AtmelGridModel.h"
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

// ---- one reply dropped, late or doubled: it costs only its own step ----------

// A counted test of four passes with only `track` ticked (nullptr: all
// three); each ticked track's count and rate.
string countedRun(QPushButton* start, QLineEdit* passes, QCheckBox* track,
                  std::initializer_list<std::tuple<QCheckBox*, QLabel*, QLabel*>> tracks) {
  for (const auto& [box, count, rate] : tracks) box->setChecked(!track || box == track);
  passes->setText("4");
  start->click();
  PagesTest::settle();
  string shown;
  for (const auto& [box, count, rate] : tracks) {
    if (box->isChecked()) shown += (count->text() + " " + rate->text() + ";").toStdString();
  }
  return shown;
}

string readTest(QCheckBox* track) {
  return countedRun(Form1->Button16, Form1->Edit3, track,
                    {{Form1->CheckBox1, Form1->Label9, Form1->Label15},
                     {Form1->CheckBox2, Form1->Label10, Form1->Label16},
                     {Form1->CheckBox3, Form1->Label11, Form1->Label17}});
}

string autoTest(QCheckBox* track) {
  return countedRun(Form1->Button27, Form1->Edit6, track,
                    {{Form1->CheckBox4, Form1->Label24, Form1->Label30},
                     {Form1->CheckBox5, Form1->Label25, Form1->Label31},
                     {Form1->CheckBox6, Form1->Label26, Form1->Label32}});
}

// Runs `loop` until its break button once the reader got `lines` lines; how
// many replies were shown in Memo10, and the lines.
string loopUntilBreak(QPushButton* loop, QPushButton* stop, size_t lines,
                      readersim::ReaderSim& sim) {
  int shown = 0;
  const auto counter = QObject::connect(Form1->Memo10, &QPlainTextEdit::textChanged,
                                        [&shown] { ++shown; });
  AfterLines breakLoop(sim, lines, [stop] { stop->click(); });
  loop->click();
  PagesTest::settle();
  QObject::disconnect(counter);
  return "shown " + std::to_string(shown) + ", lines " + std::to_string(sim.Requests().size());
}

// Over the network the reply is handled inside the click.
string clickThenPanel(QPushButton* button) {
  button->click();
  PagesTest::settle();
  return panelText().toStdString() + ";";
}

// A powered card with four-digit addresses, bytes in the grid, and `first` ..
// `last` as the write range and the read range.
void chooseAtmelCard(readersim::ReaderSim& sim, const char* first, const char* last) {
  Form1->rgAtmel->setItemIndex(6);  // AT24C64: four address digits, 8192 bytes
  Form1->rgAtmelClick();
  Form1->Button37->click();
  waitFor([] { return panelText() == "ATMEL Card Power ON OK!!"; });
  Form1->sgAtmelCells->setBytes(0, std::vector<uint8_t>(0xD00, 0x5A));
  for (QLineEdit* edit : {Form1->edStartWrite, Form1->edStartRead}) edit->setText(first);
  for (QLineEdit* edit : {Form1->edEndWrite, Form1->edEndRead}) edit->setText(last);
  sim.ClearRequests();
}

// "Read" `gapMs` after `first`, no event handled between: the status line,
// the first MAC and IP edits (the reader's settings are zeros).
string readBackAfter(QPushButton* first, int gapMs) {
  for (QCheckBox* box : Form1->Panel2->findChildren<QCheckBox*>()) box->setChecked(false);
  for (QLineEdit* edit : {Form1->eMac1, Form1->eIP1}) edit->setText("--");
  first->click();
  std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
  Form1->Button56->click();
  waitFor([] { return panelText().startsWith("Ethernet Read"); });
  PagesTest::settle();
  return (panelText() + " " + Form1->eMac1->text() + " " + Form1->eIP1->text()).toStdString();
}

// Each click on a cleared status line (nullptr: no click, nothing cleared), and what it shows `gapMs` of ticks later (0: once set).
string panelsOfClicks(std::initializer_list<std::pair<QPushButton*, uint32_t>> clicks) {
  string shown;
  for (const auto& [button, gapMs] : clicks) {
    if (button) Form1->setPanelText(""), button->click();
    const uint32_t start = platform::TickCount();
    waitFor([&, gapMs = gapMs] { return gapMs ? platform::TickCount() - start >= gapMs : !panelText().isEmpty(); });
    shown += panelText().toStdString() + ";";
  }
  return shown;
}

// "Write" of `first` .. `last`, chunk n answered by `chunk`: the lines and the status line.
using ChunkReply = std::function<readersim::Reply(const readersim::Request&, int)>;
string atmelWriteEnd(readersim::ReaderSim& sim, const char* first, const char* last, ChunkReply chunk) {
  chooseAtmelCard(sim, first, last);
  auto chunks = std::make_shared<int>(0);
  if (chunk) sim.SetHandler("630", [=](const readersim::Request& r) { return chunk(r, ++*chunks); });
  Form1->Button41->click();
  PagesTest::settle();
  return std::to_string(sim.Requests().size()) + " " + panelText().toStdString();
}

struct ReplyFaultRow {
  const char* name;
  Link link;
  int clockFactor;
  std::optional<readersim::ReplyFault> fault;
  std::function<string(readersim::ReaderSim&)> run;
  string expected;
};

const ReplyFaultRow kReplyFaults[] = {
    {"IcLoopFirstPowerOnUnanswered", Link::Serial, 10, readersim::DropReply("510", 1),
     [](readersim::ReaderSim& sim) {
       return loopUntilBreak(Form1->Button53, Form1->Button54, 8, sim);
     },
     "shown 7, lines 8"},
    // Late past the 5000 ms wait but within the grace: dropped, not shown
    // for the direct command that follows.
    {"IcLoopPowerOnLateWithinTheGrace", Link::Serial, 2, readersim::LateReply("510", 1, 2750),
     [](readersim::ReaderSim& sim) {
       const string loop = loopUntilBreak(Form1->Button53, Form1->Button54, 3, sim);
       return loop + ", " + memoText("Memo9").left(6).toStdString();
     },
     "shown 2, lines 3, 000102"},
    {"ReadTestOneTrackFirstReadUnanswered", Link::Serial, 20, readersim::DropReply("201", 1),
     [](readersim::ReaderSim&) { return readTest(Form1->CheckBox1); }, "1 25.00 %;"},
    {"ReadTestOneTrackExtraLine", Link::Serial, 20, readersim::ExtraReply("201", 1, "061"),
     [](readersim::ReaderSim&) { return readTest(Form1->CheckBox1); }, "0 0.00 %;"},
    // Track 1's reply after its 5000 ms, while track 2 waits: by its echo it
    // is not track 2's.
    {"ReadTestTrackOneLateWhileTrackTwoWaits", Link::Serial, 10, readersim::LateReply("201", 1, 800),
     [](readersim::ReaderSim&) { return readTest(nullptr); }, "1 25.00 %;0 0.00 %;0 0.00 %;"},
    // Over TCP after the link's 90000 ms: it comes in front of track 2's own.
    {"ReadTestTrackOneLaterThanTheNetworkBound", Link::Ethernet, 100,
     readersim::LateReply("201", 1, 1300),
     [](readersim::ReaderSim&) { return readTest(nullptr); }, "1 25.00 %;0 0.00 %;0 0.00 %;"},
    {"AutoTestOneTrackFirstWriteUnanswered", Link::Serial, 20, readersim::DropReply("211", 1),
     [](readersim::ReaderSim&) { return autoTest(Form1->CheckBox4); }, "1 25.00 %;"},
    {"AutoTestThreeTracksFirstWriteUnanswered", Link::Ethernet, 200,
     readersim::DropReply("211", 1),
     [](readersim::ReaderSim&) { return autoTest(nullptr); }, "1 25.00 %;0 0.00 %;0 0.00 %;"},
    // The write goes on with its next chunks, and ends on the failed chunk's text.
    {"AtmelWriteFirstChunkUnanswered", Link::Serial, 20, readersim::DropReply("630", 1),
     [](readersim::ReaderSim& sim) { return atmelWriteEnd(sim, "0100", "0CFF", nullptr); },
     "3 No reply from the reader !!"},
    {"AtmelWriteLastChunkUnanswered", Link::Serial, 10, readersim::DropReply("630", 2),
     [](readersim::ReaderSim& sim) { return atmelWriteEnd(sim, "0000", "07FF", nullptr); },
     "2 No reply from the reader !!"},
    // Answered 51 after 2.5 s: the write ends on it, and it stays.
    {"AtmelWriteLastChunkFailsLate", Link::Serial, 10, std::nullopt, [](readersim::ReaderSim& sim) {
       const string end = atmelWriteEnd(sim, "0000", "07FF", [](auto& r, int n) {
         if (n == 2) std::this_thread::sleep_for(std::chrono::milliseconds(250));
         return readersim::TextReply(r, n == 1 ? 0 : 51); });
       return end + ";" + panelsOfClicks({{nullptr, 3000}}); },
     "2 ATMEL Card Read/Write Error;ATMEL Card Read/Write Error;"},
    {"AtmelWriteFirstChunkFailsTheOthersSucceed", Link::Ethernet, 1, std::nullopt,
     [](readersim::ReaderSim& sim) {
       return atmelWriteEnd(sim, "0000", "0CFF", [](auto& r, int n) { return readersim::TextReply(r, n == 1 ? 51 : 0); });
     },
     "4 ATMEL Card Read/Write Error"},
    // The loop goes on: power on unanswered, then write, read, power off and
    // the next pass's power on and write, until "break".
    {"AtmelLoopPowerOnUnanswered", Link::Serial, 10, readersim::DropReply("60", 2),
     [](readersim::ReaderSim& sim) {
       chooseAtmelCard(sim, "0000", "000F");
       Form1->CheckBox9->setChecked(false);
       return loopUntilBreak(Form1->Button45, Form1->Button46, 6, sim);
     },
     "shown 0, lines 6"},
    // The reply comes twice: the read fills the grid from the first, and the
    // second touches nothing the read reads.
    {"AtmelReadReplyDoubled", Link::Serial, 1, readersim::ExtraReply("620", 1),
     [](readersim::ReaderSim& sim) {
       chooseAtmelCard(sim, "0000", "0001");
       Form1->Button42->click();
       PagesTest::settle();
       return panelText().toStdString() + " " +
              (Form1->sgAtmelCells->cell(1, 1) + Form1->sgAtmelCells->cell(2, 1)).toStdString();
     },
     "ATMEL Card Read OK!! FFFF"},
    {"VersionThenNetworkReadWithAnExtraLine", Link::Ethernet, 1,
     readersim::ExtraReply("990", 1, "001VREADER-SIM"),
     [](readersim::ReaderSim&) {
       const string version = clickThenPanel(Form1->Button14);
       const string read = clickThenPanel(Form1->Button56);
       return version + read + Form1->eMac1->text().toStdString();
     },
     "READER-SIM 1.00\n;Ethernet Read ok !!;00"},
    // The reader answers in order, slowly: each reply is its own command's.
    {"NetworkWriteLateThenReadAtOnce", Link::Serial, 1, readersim::LateReply("030", 1, 300),
     [](readersim::ReaderSim&) { return readBackAfter(Form1->Button55, 50); },
     "Ethernet Read ok !! 00 0"},
    {"VersionLateThenNetworkReadAtOnce", Link::Serial, 1, readersim::LateReply("990", 1, 300),
     [](readersim::ReaderSim&) { return readBackAfter(Form1->Button14, 50); },
     "Ethernet Read ok !! 00 0"},
    {"VersionUnansweredThenNetworkRead", Link::Serial, 1, readersim::DropReply("990", 1),
     [](readersim::ReaderSim&) { return readBackAfter(Form1->Button14, 1000); },
     "Ethernet Read ok !! 00 0"},
    // Chunk 1 answered 7 s late, past its grace, the last failing: neither passes for success.
    {"AtmelWriteLateChunkThenLastChunkFails", Link::Serial, 10, readersim::LateReply("630", 1, 700),
     [](readersim::ReaderSim& sim) {
       return atmelWriteEnd(sim, "0000", "07FF", [](auto& r, int n) {
         if (n > 1) std::this_thread::sleep_for(std::chrono::milliseconds(60));
         return readersim::TextReply(r, n == 1 ? 0 : 51);
       });
     },
     "2 No reply from the reader !!"},
    // "Version" clicked while "Read" waits for its line.
    {"VersionClickedWhileANetworkReadWaits", Link::Ethernet, 200, readersim::DropReply("031", 1),
     [](readersim::ReaderSim&) {
       QTimer::singleShot(0, [] { Form1->Button14->click(); });
       return clickThenPanel(Form1->Button56);
     },
     "READER-SIM 1.00\n;"},
    // The reply to "Version" again, 5 ms later apart, "Read" at once: by its
    // echo it answers nothing, and "Read" reads on for its own.
    {"VersionReplyRepeatedApartThenCommandsAtOnce", Link::Ethernet, 1,
     readersim::ExtraReply("990", 1, "", 5),
     [](readersim::ReaderSim&) {
       string shown;
       for (QPushButton* button : {Form1->Button14, Form1->Button56, Form1->Button14}) {
         shown += clickThenPanel(button);
       }
       return shown + clickThenPanel(Form1->Button56);
     },
     "READER-SIM 1.00\n;Ethernet Read ok !!;READER-SIM 1.00\n;Ethernet Read ok !!;"},
    // A reader that sends lines of no command for 80 s: "Version" gets no
    // reply within its bound, and "Read" after it gets its own.
    {"VersionAnsweredOnlyByLinesOfNoCommand", Link::Ethernet, 100, readersim::DropReply("990", 1),
     [](readersim::ReaderSim& sim) {
       const uint32_t start = platform::TickCount();
       std::thread babbler([&] {
         while (platform::TickCount() - start < 80000) sim.SendRaw("00x\n"), std::this_thread::sleep_for(std::chrono::milliseconds(1));
       });
       const string version = clickThenPanel(Form1->Button14);
       const uint32_t took = platform::TickCount() - start;
       babbler.join();
       return version + std::to_string(took >= 90000 && took < 150000) + clickThenPanel(Form1->Button56);
     },
     "No reply from the reader !!;1Ethernet Read ok !!;"},
    // A command nobody waits for is owed a reply for its own time only.
    {"LoCoUnansweredThenHiCoThenVersion", Link::Serial, 5, readersim::DropReply("130", 1), [](readersim::ReaderSim&) {
       return panelsOfClicks({{Form1->Button40, 2000}, {Form1->Button43, 1000}, {Form1->Button14, 0}}); },
     ";HI Co Select OK !!;READER-SIM 1.00\n;"},
    {"ResetUnansweredThenVersion", Link::Serial, 5, readersim::DropReply("010", 1),
     [](readersim::ReaderSim&) { return panelsOfClicks({{Form1->Button3, 1500}, {Form1->Button14, 0}}); },
     ";READER-SIM 1.00\n;"},
    // Late while no later command is owed: shown.
    {"VersionAnsweredLateThenHiCo", Link::Serial, 4, readersim::LateReply("990", 1, 375),
     [](readersim::ReaderSim&) { return panelsOfClicks({{Form1->Button14, 2000}, {Form1->Button43, 0}}); },
     "READER-SIM 1.00\n;HI Co Select OK !!;"},
    {"ResetAnsweredLate", Link::Serial, 4, readersim::LateReply("010", 1, 450),
     [](readersim::ReaderSim&) { return panelsOfClicks({{Form1->Button3, 3000}}); }, "Reset OK !!;"},
    {"IcDirectAnsweredLate", Link::Serial, 10, readersim::LateReply("530", 1, 400), [](readersim::ReaderSim&) {
       Form1->Memo11->setPlainText("80BE00001C");
       const string shown = panelsOfClicks({{Form1->Button28, 0}, {Form1->Button32, 0}, {Form1->Button30, 6000}});
       return shown + memoText("Memo9").toStdString(); },
     "IC Card Entry OK!!;IC Card Power ON OK!!;IC Card Direct Command OK!!;" + readersim::IcCardLines::DirectAnswer("80BE00001C") + "\n"},
    // Past its time while a later command with another echo is owed: dropped unseen.
    {"VersionAnsweredPastItsTimeWhileAReadIsOwed", Link::Serial, 4, readersim::LateReply("990", 1, 375),
     [](readersim::ReaderSim&) { return readBackAfter(Form1->Button14, 300); }, "Ethernet Read ok !! 00 0"},
    // A card put in 6 s after "Entry Front": "Version", clicked at 1 s, is owed till then.
    {"EntryAnsweredLateVersionClickedMeanwhile", Link::Serial, 4, readersim::LateReply("160", 1, 1500),
     [](readersim::ReaderSim& sim) { sim.AddReplyFault(readersim::LateReply("990", 1, 1000));
       return panelsOfClicks({{Form1->Button2, 1000}, {Form1->Button14, 0}, {nullptr, 6000}}); },
     ";Entry Card OK !!;READER-SIM 1.00\n;"},
    // "Version" (answered 51) clicked amid "Power On"'s handling: that ends on its own reply.
    {"ClickInsideAReplysHandling", Link::Ethernet, 1, std::nullopt,
     [](readersim::ReaderSim& sim) {
       Form1->Button28->click();  // the card to the contacts
       sim.SetStatusFor("990", 51);
       QObject::connect(Form1->Memo10, &QPlainTextEdit::textChanged, Form1->Button14, &QPushButton::click,
                        Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
       Form1->Button32->click();
       return std::to_string(sim.Requests().size()) + " " + panelText().toStdString();
     },
     "3 IC Card Power ON OK!!"},
    {"NetworkReadUnansweredThenVersion", Link::Ethernet, 200, readersim::DropReply("031", 1),
     [](readersim::ReaderSim&) {
       const string read = clickThenPanel(Form1->Button56);
       return read + clickThenPanel(Form1->Button14);
     },
     "No reply from the reader !!;READER-SIM 1.00\n;"},
};

void PrintTo(const ReplyFaultRow& row, std::ostream* out) { *out << row.name; }

class ReplyFaults : public PagesTest, public testing::WithParamInterface<ReplyFaultRow> {};

TEST_P(ReplyFaults, CostOnlyTheirOwnStep) {
  const ReplyFaultRow& row = GetParam();
  openLink(row.link);
  readersim::IcCardLines ic{sim};
  readersim::AtmelCardLines atmel{sim};
  readersim::NetSettingsLines net{sim};
  speedUpClock(row.clockFactor);
  if (row.fault) {
    ASSERT_TRUE(sim.AddReplyFault(*row.fault));
  }
  EXPECT_EQ(row.run(sim), row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, ReplyFaults, testing::ValuesIn(kReplyFaults),
                         [](const testing::TestParamInfo<ReplyFaultRow>& info) {
                           return string(info.param.name);
                         });

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

// A reply naming no track, or too short to name one, counts as naming no track.
class NoTrackReplies : public PagesTest, public testing::WithParamInterface<std::tuple<Link, const char*>> {};

TEST_P(NoTrackReplies, AreShownAndCountedAsNamingNoTrack) {
  openLink(std::get<0>(GetParam()));
  speedUpClock(50);
  const string reply = std::get<1>(GetParam());
  sim.SetHandler("201", [reply](const readersim::Request&) { return readersim::RawReply(reply); });
  for (QCheckBox* box : {Form1->CheckBox2, Form1->CheckBox3}) box->setChecked(false);
  Form1->Button16->click();
  EXPECT_EQ(memoText("Memo1"), "Reply names no track !!");
  EXPECT_EQ(Form1->Label9->text(), "1");
}

INSTANTIATE_TEST_SUITE_P(Replies, NoTrackReplies,
                         testing::Combine(testing::Values(Link::Serial, Link::Ethernet),
                                          testing::Values("005X\r\n", "00\r\n", "20\r\n")));

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
