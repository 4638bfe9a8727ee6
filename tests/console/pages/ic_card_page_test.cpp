// "IC Card Test": the lines each button sends, the replies' dumps and
// messages, the direct command's text, and the loop with "Break", over the
// simulated IC card on both links.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <functional>
#include <thread>

#include "Main.h"
#include "ic_card_lines.h"
#include "link/link.h"
#include "pages/IcCardLoop.h"
#include "pages_fixture.h"
#include "platform/tick.h"
#include "reply/MainState.h"

namespace {

using Lines = std::vector<std::string>;
using readersim::IcCardLines;
using readersim::IcCommand;

const std::string kLoopDirect = "53080BE00001C";
const QString kLoopAnswer = QString::fromStdString(IcCardLines::DirectAnswer("80BE00001C") + "\n");
const char kTooLong[] =
    "Direct Command too long: 1023 characters at most (a line break counts two), nothing sent";

std::string lastSentBytes() {
  return std::string(reinterpret_cast<const char*>(LastSendBytes()),
                     static_cast<size_t>(LastSendLength()));
}

class IcCardTest : public PagesTest {
 protected:
  // Opens the link once the serial probe's reply is in, so that the probe
  // counts among no test's lines.
  void open(Link link) {
    openLink(link);
    if (link == Link::Serial) {
      EXPECT_TRUE(waitFor([] { return panelText() == "Eject Card front OK !!"; }));
    }
    sim.ClearRequests();
  }
  // Clicks `button` and waits until the panel shows `message`.
  void click(QPushButton* button, const QString& message) {
    Form1->Panel1->clear();
    button->click();
    EXPECT_TRUE(waitFor([&] { return panelText() == message; })) << message.toStdString();
  }
  void powerOn() {
    click(Form1->Button47, "IC Card Entry OK!!");
    click(Form1->Button51, "IC Card Power ON OK!!");
    sim.ClearRequests();
  }
  // Runs `action` once the reader has seen `lines` lines (while a loop runs).
  void whenLinesSeen(size_t lines, std::function<void()> action) {
    timer_.disconnect();
    QObject::connect(&timer_, &QTimer::timeout, [this, lines, action] {
      if (sim.Requests().size() < lines) return;
      timer_.stop();
      action();
    });
    timer_.start(5);
  }
  // Runs the loop until "Break" once `lines` lines were seen; its ticks.
  uint32_t loopUntilBreak(size_t lines) {
    whenLinesSeen(lines, [] { Form1->Button54->click(); });
    const uint32_t start = platform::TickCount();
    Form1->Button53->click();
    settle();
    return platform::TickCount() - start;
  }
  IcCardLines ic{sim};

 private:
  QTimer timer_;
};

class IcCardPage : public IcCardTest, public testing::WithParamInterface<Link> {
 protected:
  void SetUp() override {
    IcCardTest::SetUp();
    open(GetParam());
  }
};

TEST_P(IcCardPage, EachButtonAndItsTwinSendTheirCommand) {
  struct Case {
    QPushButton* button;
    QPushButton* twin;
    const char* line;
    int commandId;
    const char* message;
    const char* text;  // Memo9 once dumped; nullptr: not dumped
    const char* hex;   // Memo10 where checked
  };
  const Case cases[] = {
      {Form1->Button47, Form1->Button28, "500", 50, "IC Card Entry OK!!", nullptr, "before"},
      {Form1->Button51, Form1->Button32, "510", 51, "IC Card Power ON OK!!", "3B0353494D\n",
       nullptr},
      {Form1->Button52, Form1->Button33, "511", 51, "IC Card Power ON OK!!", "3B6200004943\n",
       "30 30 31 33 42 36 32 30 30 30 30 34 39 34 33 0A "},
      {Form1->Button48, Form1->Button29, "520", 52, "IC Card Power OFF OK!!", nullptr, "before"},
  };
  for (const Case& c : cases) {
    for (QPushButton* button : {c.button, c.twin}) {
      Form1->Memo9->setPlainText("before");
      Form1->Memo10->setPlainText("before");
      click(button, c.message);
      EXPECT_EQ(takeLines(), Lines{c.line}) << c.line;
      EXPECT_EQ(CommandId, c.commandId) << c.line;
      EXPECT_EQ(HexDumpFlag, 0) << c.line;
      EXPECT_EQ(memoText("Memo9"), c.text ? c.text : "before") << c.line;
      if (c.hex) {
        EXPECT_EQ(memoText("Memo10"), c.hex) << c.line;
      }
    }
  }
  ic.Fail(IcCommand::Direct, 36);  // a module error is shown and dumped
  click(Form1->Button49, "Time out !!(Between IC Card and VXP-3100)");
  EXPECT_EQ(memoText("Memo10"), "33 36 30 0A ");
}

TEST_P(IcCardPage, DirectCommandSendsTheMemoWithoutItsBlanks) {
  struct Case {
    QString memo;
    const char* bytes;
    const char* message;
  };
  const Case cases[] = {
      {"80 BE 00 00 1C", "53080BE00001C\r\n", "IC Card Direct Command OK!!"},
      {"  80BE\t00 00 1C ", "53080BE\t00001C\r\n", "Data pollution Error !!"},
      {"", "530\r\n", "Data pollution Error !!"},
      {QString(1023, 'A'), nullptr, "Data pollution Error !!"},
  };
  powerOn();
  for (const Case& c : cases) {
    Form1->Memo11->setPlainText(c.memo);
    click(Form1->Button49, c.message);
    const std::string sent = c.bytes ? c.bytes : "530" + c.memo.toStdString() + "\r\n";
    EXPECT_EQ(lastSentBytes(), sent);
    EXPECT_EQ(CommandId, 53);
    EXPECT_EQ(HexDumpFlag, 0);
  }
  Form1->Memo11->setPlainText(cases[0].memo);
  click(Form1->Button30, cases[0].message);
  EXPECT_EQ(memoText("Memo9"), kLoopAnswer);
  EXPECT_TRUE(messages().empty());
  // Two lines: the line break goes inside the command line (the reader
  // answers two lines, so this comes last).
  Form1->Memo11->setPlainText("80BE\n00001C");
  Form1->Button49->click();
  EXPECT_EQ(lastSentBytes(), "53080BE\r\n00001C\r\n");
}

// The direct command's text buffer holds 1023 characters: longer text, and
// text with a character the reader cannot get, is refused; nothing is sent.
TEST_P(IcCardPage, DirectCommandTextThatCannotBeSentIsRefused) {
  const std::pair<QString, std::string> cases[] = {
      {QString(1024, 'A'), kTooLong},
      {QString(1000, 'A') + QString(22, ' ') + "\n", kTooLong},
      {QString("80") + QChar(0x20AC), "'\u20AC' cannot be sent to the reader"},
  };
  CommandId = 0;
  for (const auto& [memo, message] : cases) {
    clearMessages();
    Form1->Memo11->setPlainText(memo);
    Form1->Button49->click();
    EXPECT_EQ(messages(), std::vector<std::string>{message}) << memo.size();
    EXPECT_EQ(CommandId, 0);
    EXPECT_EQ(HexDumpFlag, 0);
  }
  EXPECT_FALSE(sim.WaitForRequests(1, 200));
}

TEST_P(IcCardPage, LoopRunsItsStepsWithAPauseAfterEachUntilBreakAndRunsAgain) {
  speedUpClock(20);
  const std::pair<bool, Lines> cases[] = {{false, {"510", kLoopDirect, "520"}},
                                          {true, {"500", "510", kLoopDirect, "520"}}};
  for (const auto& [entry, cycle] : cases) {
    Form1->CheckBox8->setChecked(entry);
    Lines twoCycles = cycle;
    twoCycles.insert(twoCycles.end(), cycle.begin(), cycle.end());
    EXPECT_GE(loopUntilBreak(twoCycles.size()), 1000u * twoCycles.size());
    EXPECT_EQ(takeLines(), twoCycles);
    EXPECT_EQ(memoText("Memo10"), "30 30 30 0A ");  // every reply dumped, power-off last
    EXPECT_EQ(IcLoopBreak, 1);
  }
  EXPECT_EQ(memoText("Memo9"), "\n");
}

TEST_P(IcCardPage, LoopEndsOnceItsLinkIsGone) {
  speedUpClock(20);
  Form1->CheckBox8->setChecked(false);
  Lines sent = {"510"};
  if (GetParam() == Link::Serial) {
    whenLinesSeen(2, [] { Form1->BitBtn2->click(); });  // " Port Close"
    sent.push_back(kLoopDirect);
  } else {
    readersim::Faults drop;
    drop.dropConnection = true;
    sim.SetFaults(drop);
  }
  Form1->Button53->click();
  settle();
  EXPECT_EQ(takeLines(), sent);
  EXPECT_EQ(panelText(), "IC Card loop ended: no link to the reader !!");
}

INSTANTIATE_TEST_SUITE_P(Links, IcCardPage, testing::Values(Link::Serial, Link::Ethernet),
                         linkName);

TEST_F(IcCardTest, ClearEmptiesTheThreeMemos) {
  for (QPlainTextEdit* memo : {Form1->Memo9, Form1->Memo10, Form1->Memo11}) memo->setPlainText("x");
  Form1->Button31Click();  // the page is disabled until a link is open
  settle();
  EXPECT_EQ(memoText("Memo9") + memoText("Memo10") + memoText("Memo11"), "");
  EXPECT_EQ(panelText(), "Form Clear OK !!");
}

// " Exit", or closing the window, during the loop ends the loop and the program.
TEST_F(IcCardTest, ExitDuringTheLoopEndsIt) {
  const std::function<void()> exits[] = {[] { Form1->BitBtn3->click(); },
                                         [] { Form1->close(); }};
  for (const auto& exit : exits) {
    open(Link::Serial);
    speedUpClock(20);
    whenLinesSeen(2, exit);
    QTimer::singleShot(0, [] { Form1->Button53->click(); });
    QTimer fallback;  // gone with this pass, so that it can end no later loop
    QObject::connect(&fallback, &QTimer::timeout, [] { QApplication::exit(99); });
    fallback.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(takeLines(), (Lines{"500", "510"}));
    Form1->show();
  }
}

}  // namespace
