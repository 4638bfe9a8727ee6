// "IC Card Test": the lines each button sends, the replies' dumps and
// messages, the direct command's text, and the loop with "Break", over the
// simulated IC card on both links.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

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

const char kDirectApdu[] = "80BE00001C";
const char kTooLong[] =
    "Direct Command too long: 1023 characters at most (a line break counts two), nothing sent";

std::string lastSentBytes() {
  return std::string(reinterpret_cast<const char*>(LastSendBytes()),
                     static_cast<size_t>(LastSendLength()));
}

class IcCardTest : public PagesTest {
 protected:
  void TearDown() override {
    breaker_.stop();
    PagesTest::TearDown();
  }

  // Clicks `button` and waits until the panel shows `message`.
  void click(QPushButton* button, const std::string& message) {
    Form1->Panel1->clear();
    button->click();
    EXPECT_TRUE(waitFor([&] { return panelText().toStdString() == message; }))
        << "panel shows " << panelText().toStdString() << ", not " << message;
  }

  // Card entry and ISO power-on, as the operator starts.
  void powerOn() {
    click(Form1->Button47, "IC Card Entry OK!!");
    click(Form1->Button51, "IC Card Power ON OK!!");
    sim.ClearRequests();
  }

  // Runs `action` (once) while a loop runs, as soon as the reader has seen
  // `lines` lines.
  void whenLinesSeen(size_t lines, std::function<void()> action) {
    breaker_.disconnect();
    QObject::connect(&breaker_, &QTimer::timeout, [this, lines, action] {
      if (sim.Requests().size() < lines) return;
      breaker_.stop();
      action();
    });
    breaker_.start(5);
  }

  // Runs the loop until "Break" is clicked once `lines` lines were seen;
  // returns the ticks the loop took.
  uint32_t loopUntilBreak(size_t lines) {
    whenLinesSeen(lines, [] { Form1->Button54->click(); });
    const uint32_t start = platform::TickCount();
    Form1->Button53->click();
    const uint32_t took = platform::TickCount() - start;
    settle();
    return took;
  }

  IcCardLines ic{sim};

 private:
  QTimer breaker_;
};

class IcCardPage : public IcCardTest, public testing::WithParamInterface<Link> {
 protected:
  void SetUp() override {
    IcCardTest::SetUp();
    openLink(GetParam());
  }
};

TEST_P(IcCardPage, EachButtonAndItsTwinSendTheirCommand) {
  struct Case {
    QPushButton* button;
    QPushButton* twin;
    const char* line;
    int commandId;
    const char* message;
    bool dumped;
  };
  const Case cases[] = {
      {Form1->Button47, Form1->Button28, "500", 50, "IC Card Entry OK!!", false},
      {Form1->Button51, Form1->Button32, "510", 51, "IC Card Power ON OK!!", true},
      {Form1->Button52, Form1->Button33, "511", 51, "IC Card Power ON OK!!", true},
      {Form1->Button48, Form1->Button29, "520", 52, "IC Card Power OFF OK!!", false},
  };
  for (const Case& c : cases) {
    for (QPushButton* button : {c.button, c.twin}) {
      const std::string name = button->objectName().toStdString();
      Form1->Memo10->setPlainText("before");
      click(button, c.message);
      EXPECT_EQ(takeLines(), Lines{c.line}) << name;
      EXPECT_EQ(CommandId, c.commandId) << name;
      EXPECT_EQ(HexDumpFlag, 0) << name;
      EXPECT_EQ(memoText("Memo10") != "before", c.dumped) << name;
    }
  }
  EXPECT_EQ(ic.PowerMode(), '\0');
  EXPECT_TRUE(ic.Entered());
}

TEST_P(IcCardPage, EmvPowerOnShowsTheAtrAsHexAndAsText) {
  click(Form1->Button47, "IC Card Entry OK!!");
  click(Form1->Button52, "IC Card Power ON OK!!");
  EXPECT_EQ(lastSentBytes(), "511\r\n");
  EXPECT_EQ(memoText("Memo10"), "30 30 31 33 42 36 32 30 30 30 30 34 39 34 33 0A ");
  EXPECT_EQ(memoText("Memo9"), "3B6200004943\n");
  EXPECT_EQ(ic.PowerMode(), '1');
}

TEST_P(IcCardPage, ModuleErrorsAreShownAndDumped) {
  struct Case {
    std::function<void()> fault;
    QPushButton* button;
    const char* message;
    const char* dump;
  };
  const Case cases[] = {
      {[] {}, Form1->Button51, "IC Card not found !!", "34 31 30 0A "},
      {[this] { ic.Fail(IcCommand::Entry, 40, 1); }, Form1->Button47, "ATR Format Error !!", ""},
      {[this] { ic.Fail(IcCommand::Direct, 36, 1); }, Form1->Button49,
       "Time out !!(Between IC Card and VXP-3100)", "33 36 30 0A "},
      {[this] { ic.Fail(IcCommand::PowerOff, 46); }, Form1->Button48,
       "Communication Error with EMV Module(VXP-3100)", ""},
  };
  for (const Case& c : cases) {
    Form1->Memo10->clear();
    c.fault();
    click(c.button, c.message);
    EXPECT_EQ(memoText("Memo10"), c.dump) << c.message;
  }
  EXPECT_FALSE(ic.Entered());
}

TEST_P(IcCardPage, DirectCommandSendsTheMemoWithoutBlanks) {
  struct Case {
    const char* memo;
    const char* bytes;
    const char* message;
  };
  const std::string answer = IcCardLines::DirectAnswer(kDirectApdu);
  const Case cases[] = {
      {"80 BE 00 00 1C", "53080BE00001C\r\n", "IC Card Direct Command OK!!"},
      {"  80BE\t00 00 1C ", "53080BE\t00001C\r\n", "Data pollution Error !!"},
      {"", "530\r\n", "Data pollution Error !!"},
  };
  powerOn();
  for (const Case& c : cases) {
    Form1->Memo11->setPlainText(c.memo);
    click(Form1->Button49, c.message);
    EXPECT_EQ(lastSentBytes(), c.bytes) << c.memo;
    EXPECT_EQ(CommandId, 53) << c.memo;
    EXPECT_EQ(HexDumpFlag, 0) << c.memo;
    EXPECT_EQ(memoText("Memo11"), c.memo);
  }
  Form1->Memo11->setPlainText(cases[0].memo);
  click(Form1->Button30, cases[0].message);
  EXPECT_EQ(memoText("Memo9"), QString::fromStdString(answer + "\n"));
  EXPECT_EQ(memoText("Memo10").left(12), "30 30 30 30 ");
}

TEST_P(IcCardPage, DirectCommandOfTwoLinesSendsTheLineBreakInside) {
  powerOn();
  Form1->Memo11->setPlainText("80BE\n00001C");
  Form1->Button49->click();
  EXPECT_EQ(lastSentBytes(), "53080BE\r\n00001C\r\n");
  ASSERT_TRUE(sim.WaitForRequests(2, 3000));
  EXPECT_EQ(takeLines(), (Lines{"53080BE", "00001C"}));
}

TEST_P(IcCardPage, DirectCommandTextThatCannotBeSentIsRefused) {
  struct Case {
    QString memo;
    bool sent;
    std::string message;
  };
  const Case cases[] = {
      {QString(1024, 'A'), false, kTooLong},
      {QString(1022, 'A') + "\n", false, kTooLong},
      {QString(1000, 'A') + QString(100, ' '), false, kTooLong},
      {QString("80") + QChar(0x20AC), false, "'\u20AC' cannot be sent to the reader"},
      {QString(1023, 'A'), true, ""},
  };
  for (const Case& c : cases) {
    clearMessages();
    CommandId = 0;
    Form1->Memo11->setPlainText(c.memo);
    Form1->Button49->click();
    if (c.sent) {
      ASSERT_TRUE(sim.WaitForRequests(1, 3000));
      EXPECT_EQ(takeLines(), Lines{"530" + std::string(1023, 'A')});
      EXPECT_TRUE(waitFor([] { return panelText() == "IC Card not found !!"; }));
      EXPECT_TRUE(messages().empty());
    } else {
      EXPECT_EQ(messages(), std::vector<std::string>{c.message}) << c.memo.size();
      EXPECT_FALSE(sim.WaitForRequests(1, 200)) << c.memo.size();
      EXPECT_EQ(CommandId, 0);
      EXPECT_EQ(HexDumpFlag, 0);
    }
  }
}

TEST_P(IcCardPage, ClearEmptiesTheThreeMemos) {
  for (const char* memo : {"Memo9", "Memo10", "Memo11"}) {
    Form1->findChild<QPlainTextEdit*>(memo)->setPlainText("text");
  }
  for (QPushButton* clear : {Form1->Button50, Form1->Button31}) {
    Form1->Memo11->setPlainText("80");
    Form1->Panel1->clear();
    clear->click();
    settle();
    EXPECT_EQ(memoText("Memo9"), "");
    EXPECT_EQ(memoText("Memo10"), "");
    EXPECT_EQ(memoText("Memo11"), "");
    EXPECT_EQ(panelText(), "Form Clear OK !!");
  }
  EXPECT_TRUE(takeLines().empty());
}

TEST_P(IcCardPage, LoopRunsItsStepsWithAPauseAfterEachUntilBreak) {
  struct Case {
    bool entry;
    Lines cycle;
  };
  const std::string direct = std::string("530") + kDirectApdu;
  const Case cases[] = {
      {false, {"510", direct, "520"}},
      {true, {"500", "510", direct, "520"}},
  };
  speedUpClock(20);
  for (const Case& c : cases) {
    Form1->CheckBox8->setChecked(c.entry);
    Lines twoCycles = c.cycle;
    twoCycles.insert(twoCycles.end(), c.cycle.begin(), c.cycle.end());
    const uint32_t took = loopUntilBreak(twoCycles.size());
    EXPECT_EQ(takeLines(), twoCycles);
    EXPECT_GE(took, 1000u * twoCycles.size());
    // Every reply of the loop is dumped, the power-off's last.
    EXPECT_EQ(memoText("Memo10"), "30 30 30 0A ");
    EXPECT_EQ(HexDumpFlag, 0);
    EXPECT_EQ(ic.PowerMode(), '\0');
  }
}

TEST_P(IcCardPage, BreakThenLoopAgainRunsAgain) {
  speedUpClock(20);
  for (int run = 0; run < 2; ++run) {
    loopUntilBreak(1);
    EXPECT_EQ(takeLines(), Lines{"500"}) << run;
    EXPECT_EQ(IcLoopBreak, 1);
  }
  // "Break" with no loop running only says so.
  Form1->Button36->click();
  EXPECT_EQ(panelText(), "Test Breaked...");
  EXPECT_TRUE(takeLines().empty());
}

TEST_P(IcCardPage, LoopEndsOnceItsLinkIsGone) {
  speedUpClock(20);
  Form1->CheckBox8->setChecked(false);
  Lines sent;
  if (GetParam() == Link::Serial) {
    whenLinesSeen(2, [] { Form1->BitBtn2->click(); });  // " Port Close"
    sent = {"510", std::string("530") + kDirectApdu};
  } else {
    readersim::Faults drop;
    drop.dropConnection = true;
    sim.SetFaults(drop);
    sent = {"510"};
  }
  Form1->Button53->click();
  settle();
  EXPECT_EQ(takeLines(), sent);
  EXPECT_EQ(panelText(), "IC Card loop ended: no link to the reader !!");
}

INSTANTIATE_TEST_SUITE_P(Links, IcCardPage, testing::Values(Link::Serial, Link::Ethernet),
                         linkName);

// Over serial the loop waits 5000 ms for each reply. A power-on reply that
// comes after that, while the direct command waits, is dropped: the direct
// command's own reply is the one shown, not the card's answer to reset.
TEST_F(IcCardTest, ALateReplyIsNotTakenForTheNextStep) {
  openLink(Link::Serial);
  speedUpClock(10);  // 5000 ms wait: 500 ms; 1000 ms pause: 100 ms
  Form1->CheckBox8->setChecked(false);
  powerOn();
  sim.SetHandler("51", [](const readersim::Request& request) {
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    return readersim::TextReply(request, 0, readersim::kIsoAtr);
  });
  loopUntilBreak(2);
  EXPECT_EQ(takeLines(), (Lines{"510", std::string("530") + kDirectApdu}));
  const std::string answer = IcCardLines::DirectAnswer(kDirectApdu);
  EXPECT_EQ(memoText("Memo9"), QString::fromStdString(answer + "\n"));
  EXPECT_EQ(memoText("Memo10").left(12), "30 30 30 30 ");
}

// " Exit" or closing the window during the loop ends the loop, and with it
// the program, at the loop's next step.
TEST_F(IcCardTest, ExitDuringTheLoopEndsIt) {
  const std::function<void()> exits[] = {[] { Form1->BitBtn3->click(); },
                                         [] { Form1->close(); }};
  for (const auto& exit : exits) {
    openLink(Link::Serial);
    speedUpClock(20);
    whenLinesSeen(2, exit);
    QTimer::singleShot(0, [] { Form1->Button53->click(); });
    QTimer fallback;  // gone with this pass, so that it can end no later loop
    fallback.setSingleShot(true);
    QObject::connect(&fallback, &QTimer::timeout, [] { QApplication::exit(99); });
    fallback.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(takeLines(), (Lines{"500", "510"}));
    Form1->show();
  }
}

TEST_F(IcCardTest, PageShowsSixButtonsAndItsMemosAndHidesTheLoop) {
  struct Case {
    QPushButton* button;
    QPushButton* twin;
    const char* caption;
    bool shown;
  };
  const Case cases[] = {
      {Form1->Button47, Form1->Button28, "Card Entry", true},
      {Form1->Button48, Form1->Button29, "Power OFF", true},
      {Form1->Button49, Form1->Button30, "Direct Comm", true},
      {Form1->Button50, Form1->Button31, "Clear", true},
      {Form1->Button51, Form1->Button32, "Pow ON (ISO)", true},
      {Form1->Button52, Form1->Button33, "Pow ON (EMV)", true},
      {Form1->Button53, Form1->Button35, "Loop", false},
      {Form1->Button54, Form1->Button36, "Break", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.button->text(), c.caption);
    EXPECT_EQ(c.twin->text(), c.caption);
    EXPECT_EQ(c.button->isVisibleTo(Form1->TabSheet7), c.shown) << c.caption;
    EXPECT_EQ(c.button->parent(), Form1->GroupBox25) << c.caption;
    EXPECT_EQ(c.twin->parent(), Form1->GroupBox17) << c.caption;
  }
  EXPECT_EQ(Form1->GroupBox25->title(), "[ IC Card Control ]");
  EXPECT_FALSE(Form1->GroupBox17->isVisibleTo(Form1->TabSheet1));
  EXPECT_FALSE(Form1->CheckBox12->isVisibleTo(Form1->TabSheet7));
  EXPECT_TRUE(Form1->CheckBox12->isChecked());
  EXPECT_TRUE(Form1->Memo10->isReadOnly());
  EXPECT_FALSE(Form1->Memo9->isReadOnly());
  EXPECT_FALSE(Form1->Memo11->isReadOnly());
  EXPECT_FALSE(Form1->Memo7->isVisibleTo(Form1->GroupBox17));
  QStringList headings;
  for (const QLabel* label : Form1->TabSheet7->findChildren<QLabel*>()) headings << label->text();
  EXPECT_EQ(headings, (QStringList{"Response Data (Hex)", "Response Data (Ascii)",
                                   "Direct Command"}));
}

}  // namespace
