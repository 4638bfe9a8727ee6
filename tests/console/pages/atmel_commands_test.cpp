// "ATMEL Card" commands against the simulator's memory cards over both
// links: the lines power on, write and read send, what reaches the card and
// the grid, the refusals, and the loop.
#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include <chrono>
#include <functional>
#include <thread>

#include "Main.h"
#include "ZUV_ETHERNET.h"
#include "atmel_card_lines.h"
#include "gui/RadioGroup.h"
#include "link/link.h"
#include "pages/AtmelGridModel.h"
#include "pages_fixture.h"
#include "reply/MainState.h"

namespace {

using std::string;
using Lines = std::vector<string>;

string hexOf(const string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  string text;
  for (unsigned char byte : bytes) {
    text += digits[byte >> 4];
    text += digits[byte & 0xF];
  }
  return text;
}

// `count` bytes that differ from their neighbours and from the blank card.
string pattern(int count, int seed) {
  string bytes;
  for (int i = 0; i < count; ++i) bytes += static_cast<char>((i * 7 + seed) & 0xFF);
  return bytes;
}

class AtmelCommands : public PagesOverBothLinks {
 protected:
  void SetUp() override {
    PagesOverBothLinks::SetUp();
    speedUpClock(10);  // the loop's pauses and the reply bound
    Form1->PageControl1->setCurrentWidget(Form1->TabSheet5);
  }

  static void chooseType(int index) {
    Form1->rgAtmel->setItemIndex(index);
    Form1->rgAtmelClick();
  }
  // Powers the chosen card on and waits for the reply.
  void powerOn() {
    Form1->Button37->click();
    ASSERT_TRUE(waitFor([] { return panelText() == "ATMEL Card Power ON OK!!"; }));
    sim.ClearRequests();
  }
  static void writeRange(const char* start, const char* end) {
    Form1->edStartWrite->setText(start);
    Form1->edEndWrite->setText(end);
  }
  static void readRange(const char* start, const char* end) {
    Form1->edStartRead->setText(start);
    Form1->edEndRead->setText(end);
  }
  static QString cell(int address) {
    return Form1->sgAtmelCells->cell(address % 16 + 1, address / 16 + 1);
  }
  // The grid's hex text of start .. end, "" when a cell holds no byte.
  static string gridHex(int start, int end) {
    string text;
    return Form1->CollectGridHex(text, start, end) ? text : string();
  }
  // Waits until `count` lines came.
  Lines linesOnceIn(size_t count) {
    EXPECT_TRUE(sim.WaitForRequests(count, 5000));
    settle();
    return takeLines();
  }
  // Waits until the card `typeChar` holds `bytes` from `address`.
  bool cardHolds(char typeChar, int address, const string& bytes) {
    return waitFor(
        [&] { return atmel.Memory(typeChar, address, static_cast<int>(bytes.size())) == bytes; });
  }

  readersim::AtmelCardLines atmel{sim};
};

TEST_P(AtmelCommands, PowerOnNamesTheCardTypeAndEntryEjectSendTheirLines) {
  struct Case {
    int type;
    const char* line;
    char typeChar;
  };
  for (const Case& power : {Case{4, "604", '4'}, Case{10, "60A", 'A'}, Case{0, "600", '0'}}) {
    chooseType(power.type);
    Form1->Button37->click();
    EXPECT_TRUE(waitFor([] { return panelText() == "ATMEL Card Power ON OK!!"; }));
    EXPECT_EQ(takeLines(), Lines{power.line});
    EXPECT_EQ(atmel.PoweredType(), power.typeChar);
    EXPECT_EQ(CommandId, 81);
    Form1->Button38->click();
    EXPECT_TRUE(waitFor([] { return panelText() == "ATMEL Card Power OFF OK!!"; }));
    EXPECT_EQ(takeLines(), Lines{"610"});
    EXPECT_EQ(atmel.PoweredType(), 0);
  }
  Form1->Button18->click();
  EXPECT_TRUE(waitFor([] { return panelText() == "IC Card Entry OK!!"; }));
  Form1->Button34->click();
  EXPECT_TRUE(waitFor([] { return panelText() == "Eject Card front OK !!"; }));
  EXPECT_EQ(takeLines(), (Lines{"500", "170"}));
}

struct WriteCase {
  int type;
  const char* start;
  const char* end;
  bool verify;
  std::vector<const char*> heads;  // address and count text of each line
  std::vector<int> progress;
};

class AtmelWrite : public AtmelCommands {};

TEST_P(AtmelWrite, WritesTheRangeInChunksOfAtMost1024Bytes) {
  const WriteCase cases[] = {
      {1, "00", "0F", false, {"00000010"}, {0, 100}},
      {1, "00", "0F", true, {"00000010"}, {0, 100}},
      {6, "0000", "07FF", false, {"00000400", "00400400"}, {0, 50, 100}},
      {6, "0100", "0CFF", true, {"00100400", "00500400", "00900400"}, {0, 33, 66, 100}},
      {6, "03F0", "040F", false, {"003F0020"}, {0, 100}},
  };
  for (const WriteCase& write : cases) {
    const string label = string(write.start) + "-" + write.end;
    chooseType(write.type);
    powerOn();
    const int start = std::stoi(write.start, nullptr, 16);
    const int end = std::stoi(write.end, nullptr, 16);
    const string bytes = pattern(end - start + 1, start);
    Form1->sgAtmelCells->setBytes(start, std::vector<uint8_t>(bytes.begin(), bytes.end()));
    Form1->CheckBox7->setChecked(write.verify);
    writeRange(write.start, write.end);
    std::vector<int> progress;
    QObject::connect(Form1->progAtmel, &QProgressBar::valueChanged,
                     [&progress](int value) { progress.push_back(value); });
    Form1->Button41->click();
    const Lines lines = linesOnceIn(write.heads.size());
    ASSERT_EQ(lines.size(), write.heads.size()) << label;
    size_t offset = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
      const string head = write.heads[i];
      const size_t count = std::stoul(head.substr(5), nullptr, 16);
      EXPECT_EQ(lines[i].substr(0, 11), (write.verify ? "640" : "630") + head) << label;
      EXPECT_EQ(lines[i].substr(11), hexOf(bytes.substr(offset, count))) << label;
      offset += count;
    }
    EXPECT_EQ(progress, write.progress) << label;
    EXPECT_TRUE(cardHolds("0123456789A"[write.type], start, bytes)) << label;
    EXPECT_TRUE(waitFor([] { return panelText() == "ATMEL Card Write OK!!"; })) << label;
    QObject::disconnect(Form1->progAtmel, &QProgressBar::valueChanged, nullptr, nullptr);
  }
}

TEST_P(AtmelWrite, RefusedWritesAndReadsSendNothing) {
  const string check = "ADDRESS ERROR - Check the Start, End Address";
  const string size = "Read size is 1024, Read size Over";
  struct Refusal {
    QPushButton* button;
    int type;
    const char* start;
    const char* end;
    string message;
  };
  const Refusal refusals[] = {
      {Form1->Button41, 1, "20", "1F", "ADDRESS ERROR - Start address is larger then End address"},
      {Form1->Button41, 4, "00", "010", check},
      {Form1->Button41, 4, "7F0", "800", check},  // past the card's end
      {Form1->Button41, 1, "10", "1F", "DATA ERROR - No byte at address 1C"},
      {Form1->Button41, 10, "00020", "0FFFF", "DATA ERROR - No byte at address 0FFFF"},
      {Form1->Button42, 4, "000", "401", size},
      {Form1->Button42, 4, "010", "00F", size},
      {Form1->Button42, 4, "10", "100", check},
      {Form1->Button42, 4, "7FF", "800", check},
  };
  for (const Refusal& refusal : refusals) {
    chooseType(refusal.type);
    Form1->sgAtmelCells->setBytes(0, std::vector<uint8_t>(0xFFFF, 0x42));
    Form1->sgAtmelCells->setCell(13, 2, "5");  // typed half-way
    writeRange(refusal.start, refusal.end);
    readRange(refusal.start, refusal.end);
    clearMessages();
    refusal.button->click();
    settle();
    EXPECT_EQ(messages(), std::vector<string>{refusal.message}) << refusal.start;
    if (refusal.button == Form1->Button42) {
      EXPECT_EQ(cell(0), " ") << refusal.start;
    }
  }
  EXPECT_TRUE(takeLines().empty());
}

// More than the 36,863 bytes a fixed text of the whole range could hold.
TEST_P(AtmelWrite, ALargeRangeReachesTheCardWhole) {
  chooseType(9);
  powerOn();
  const string bytes = pattern(0xA000, 9);
  Form1->sgAtmelCells->setBytes(0, std::vector<uint8_t>(bytes.begin(), bytes.end()));
  writeRange("0000", "9FFF");
  Form1->Button41->click();
  EXPECT_EQ(linesOnceIn(40).size(), 40u);
  EXPECT_TRUE(cardHolds('9', 0, bytes));
}

class AtmelRead : public AtmelCommands {};

TEST_P(AtmelRead, ReadsUpTo1025BytesIntoTheGridFromTheStartColumn) {
  struct Case {
    int type;
    const char* start;
    const char* end;
    Lines lines;
  };
  std::vector<Case> cases = {
      {1, "13", "2E", {"6200001301C"}},
      {10, "1FF00", "1FFFF", {"6201FF00100"}},
  };
  // The network link takes reply lines of at most 1024 bytes: 509 bytes a read.
  if (GetParam() == Link::Serial) {
    cases.push_back({4, "000", "400", {"62000000400", "62000400001"}});
  } else {
    cases.push_back({4, "000", "400", {"620000001FD", "620001FD1FD", "620003FA007"}});
  }
  for (const Case& read : cases) {
    chooseType(read.type);
    powerOn();
    const char typeChar = "0123456789A"[read.type];
    const int start = std::stoi(read.start, nullptr, 16);
    const int end = std::stoi(read.end, nullptr, 16);
    const string bytes = pattern(end - start + 1, 5);
    atmel.SetMemory(typeChar, start, bytes);
    readRange(read.start, read.end);
    Form1->Button42->click();
    EXPECT_TRUE(waitFor([] { return panelText() == "ATMEL Card Read OK!!"; }));
    EXPECT_EQ(takeLines(), read.lines) << read.start;
    EXPECT_EQ(gridHex(start, end), hexOf(bytes)) << read.start;
    if (start > 0) {
      EXPECT_EQ(cell(start - 1), " ") << read.start;
    }
    if (end + 1 < readersim::AtmelCardLines::CardBytes(typeChar)) {
      EXPECT_EQ(cell(end + 1), " ") << read.start;
    }
    const QModelIndex current = Form1->sgAtmel->currentIndex();
    EXPECT_EQ(current.row() + 1, start / 16 + 1);
    EXPECT_EQ(current.column() + 1, start % 16 + 1);
  }
}

// A reply that carries no bytes, fewer than asked for, or other characters
// than hex digits fills nothing; nor does an error status.
TEST_P(AtmelRead, OnlyBytesTheReaderSentReachTheGrid) {
  chooseType(1);
  readRange("00", "0F");
  using readersim::Request;
  auto payload = [](const string& text) {
    return [text](const Request& r) { return readersim::TextReply(r, 0, text); };
  };
  struct Case {
    int status;                           // a card fault, or
    readersim::ReaderSim::Handler reply;  // a reply of the reader's own making
    const char* panel;
  };
  const Case cases[] = {
      {51, nullptr, "ATMEL Card Read/Write Error"},
      {0, payload(""), "ATMEL Card Read data error !!"},
      {0, payload("A"), "ATMEL Card Read data error !!"},
      {0, payload(string(30, 'B') + "zz\r"), "ATMEL Card Read data error !!"},
      {0, payload(string(34, 'B') + "\r"), "ATMEL Card Read data error !!"},
  };
  for (const Case& read : cases) {
    readersim::AtmelCardLines card(sim);
    powerOn();
    // A read that worked first leaves its reply behind in the reply buffer.
    Form1->Button42->click();
    ASSERT_TRUE(waitFor([] { return panelText() == "ATMEL Card Read OK!!"; }));
    ASSERT_EQ(gridHex(0, 15), string(32, 'F'));
    if (read.reply) {
      sim.SetHandler("620", read.reply);
    } else {
      card.FailWith(read.status, 1);
    }
    Form1->Button42->click();
    EXPECT_TRUE(waitFor([&] { return panelText() == read.panel; })) << panelText().toStdString();
    EXPECT_EQ(cell(0), " ") << read.panel;
    EXPECT_EQ(cell(15), " ") << read.panel;
  }
}

class AtmelLoop : public AtmelCommands {
 protected:
  // Clicks "break" once `lines` lines came.
  void breakAfter(size_t lines) {
    auto* watch = new QTimer(Form1);
    QObject::connect(watch, &QTimer::timeout, [this, watch, lines] {
      if (sim.Requests().size() < lines) return;
      watch->stop();
      Form1->Button46->click();
    });
    watch->start(5);
  }
};

TEST_P(AtmelLoop, EachPassWritesWhatThePreviousReadFilledIn) {
  chooseType(1);
  const string typed = pattern(16, 1);
  Form1->sgAtmelCells->setBytes(0, std::vector<uint8_t>(typed.begin(), typed.end()));
  writeRange("00", "0F");
  readRange("00", "0F");
  atmel.Protect('1', 8, 15);  // these bytes keep 0xFF: the read brings them back
  const string read = typed.substr(0, 8) + string(8, '\xFF');
  breakAfter(8);
  Form1->Button45->click();
  // The reply of the step in flight may show its text after "Test Breaked...".
  EXPECT_EQ(BreakFlag.load(), 1);
  const Lines lines = takeLines();
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 8),
            (Lines{"500", "601", "63000000010" + hexOf(typed), "62000000010", "6101", "500", "601",
                   "63000000010" + hexOf(read)}));
  EXPECT_LE(lines.size(), 10u);  // the pass ends at the first check after the break
  EXPECT_EQ(gridHex(0, 15), hexOf(read));
  EXPECT_TRUE(Form1->Button45->isEnabled());
}

TEST_P(AtmelLoop, WithoutEntryAPassStartsWithPowerOnAndAClosedLinkEndsTheLoop) {
  chooseType(1);
  Form1->CheckBox9->setChecked(false);
  writeRange("00", "00");
  readRange("00", "00");
  Form1->sgAtmelCells->setCell(1, 1, "77");
  auto* watch = new QTimer(Form1);
  QObject::connect(watch, &QTimer::timeout, [this, watch] {
    if (sim.Requests().size() < 3) return;
    watch->stop();
    CloseSerialPort();
    Closed_Ethernet();
  });
  watch->start(5);
  Form1->Button45->click();
  const Lines lines = takeLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_LE(lines.size(), 4u);
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 3),
            (Lines{"601", "6300000000177", "62000000001"}));
  EXPECT_TRUE(Form1->Button45->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Links, AtmelCommands, testing::Values(Link::Serial, Link::Ethernet),
                         linkName);
INSTANTIATE_TEST_SUITE_P(Links, AtmelWrite, testing::Values(Link::Serial, Link::Ethernet),
                         linkName);
INSTANTIATE_TEST_SUITE_P(Links, AtmelRead, testing::Values(Link::Serial, Link::Ethernet), linkName);
INSTANTIATE_TEST_SUITE_P(Links, AtmelLoop, testing::Values(Link::Serial, Link::Ethernet), linkName);

}  // namespace
