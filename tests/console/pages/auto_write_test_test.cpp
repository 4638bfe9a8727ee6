// "Auto Test": the lines each pass writes in ISO and BIT norm, the shifts, the
// TimeLox frame, rates, "Break", and the character-to-bits table.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <memory>

#include "Main.h"
#include "link/link.h"
#include "pages/AutoWritePatterns.h"
#include "pages_fixture.h"
#include "reply/MainState.h"

namespace {

using std::string;
using Lines = std::vector<string>;

string dataOf(const string& line) { return line.substr(3); }  // after prefix and track
string rotated(const string& text) { return text.substr(1) + text[0]; }

class AutoWriteTest : public PagesOverBothLinks {
 protected:
  void SetUp() override {
    PagesOverBothLinks::SetUp();
    speedUpClock(10);  // the 100 ms pause after each write
  }
  static void autoTest(const char* passes, bool bitNorm, QCheckBox* onlyTrack = nullptr) {
    for (QCheckBox* box : {Form1->CheckBox4, Form1->CheckBox5, Form1->CheckBox6}) {
      box->setChecked(!onlyTrack || box == onlyTrack);
    }
    Form1->Edit6->setText(passes);
    Form1->ComboBox1->setCurrentIndex(bitNorm ? 1 : 0);
    Form1->Button27->click();
    settle();
  }
};

TEST_P(AutoWriteTest, IsoPassesWriteTheDefaultPatternShiftedOneCharacterEach) {
  Form1->RichEdit2->setPlainText("typed by the operator");
  autoTest("3", false, Form1->CheckBox5);
  EXPECT_EQ(
      takeLines(),
      (Lines{"212123456789012345678901234567890123456=", "21223456789012345678901234567890123456=1",
             "2123456789012345678901234567890123456=12"}));
  EXPECT_EQ(CommandId, 21);
  EXPECT_EQ(string(reinterpret_cast<const char*>(LastSendBytes()), LastSendLength()),
            "2123456789012345678901234567890123456=12\r\n");
  EXPECT_EQ(Form1->RichEdit2->toPlainText(), "456789012345678901234567890123456=123");
  EXPECT_EQ(Form1->Edit5->text(), "3");
  EXPECT_EQ(panelText(), "Track #2 Write OK!!");
}

TEST_P(AutoWriteTest, BitNormWritesTrackTwoAsBitsShiftedOneBitPerPass) {
  autoTest("2", true, Form1->CheckBox5);
  const Lines lines = takeLines();
  ASSERT_EQ(lines.size(), 2u);
  const string first = dataOf(lines[0]);
  ASSERT_EQ(first.size(), 184u);
  EXPECT_EQ(first.substr(0, 24), "000000010000001000000011");
  EXPECT_EQ(dataOf(lines[1]), rotated(first));
  EXPECT_EQ(Form1->RichEdit2->toPlainText().toStdString(), rotated(rotated(first)));
}

TEST_P(AutoWriteTest, TimeLoxInBitNormIsFramedFromItsSecondWriteAndNeverShifted) {
  Form1->CheckBox11->setChecked(true);
  autoTest("3", true);
  EXPECT_FALSE(Form1->CheckBox4->isChecked());
  const Lines lines = takeLines();
  ASSERT_EQ(lines.size(), 3u);
  const string bits = dataOf(lines[0]);
  ASSERT_EQ(bits.size(), 512u);
  EXPECT_EQ(lines[0].substr(0, 3), "214");
  for (size_t i = 1; i < 3; ++i) EXPECT_EQ(dataOf(lines[i]), "00001011" + bits + "00001111");
  EXPECT_EQ(Form1->RichEdit4->toPlainText().toStdString(), bits);
}

// Track 1 joins in pass 2 with ten characters typed during pass 1: its first
// BIT write is their 80 bits and 57 zero bytes.
TEST_P(AutoWriteTest, ShortTrackOneTextIsFilledWithZeroBitsToItsFullLength) {
  QTimer typist;
  QObject::connect(&typist, &QTimer::timeout, [&] {
    if (sim.Requests().empty()) return;
    Form1->RichEdit1->setPlainText("ABCDEFGHIJ");
    Form1->CheckBox4->setChecked(true);
    typist.stop();
  });
  typist.start(5);
  autoTest("2", true, Form1->CheckBox5);
  const Lines lines = takeLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1],
            "211"
            "00001010"
            "00001011"
            "00001100"
            "00001101"
            "00001110"
            "00001111"
            "01000111"
            "01001000"
            "01001001"
            "01001010" +
                string(57 * 8, '0'));
}

TEST_P(AutoWriteTest, RatesOfOneAndTwoErrorsInThreePasses) {
  auto writes = std::make_shared<std::atomic<int>>(0);
  // Track 1 fails in pass 2, track 2 in passes 1 and 3.
  sim.SetHandler("21", [writes](const readersim::Request& request) {
    const int n = ++*writes;
    return readersim::TextReply(request, n == 2 || n == 3 || n == 6 ? 7 : 0);
  });
  Form1->CheckBox6->setChecked(false);
  Form1->Edit6->setText("3");
  Form1->Button27->click();
  EXPECT_EQ(Form1->Label24->text() + Form1->Label30->text(), "133.33 %");
  EXPECT_EQ(Form1->Label25->text() + Form1->Label31->text(), "266.67 %");
  EXPECT_EQ(panelText(), "Track #2 Error : Track information error !!");
}

TEST_P(AutoWriteTest, BreakDuringPassThreeOfTenEndsAfterThatPass) {
  QTimer breaker;
  QObject::connect(&breaker, &QTimer::timeout, [&] {
    if (sim.Requests().size() >= 7) Form1->Button24->click();
  });
  breaker.start(5);
  autoTest("10", false);
  EXPECT_EQ(Form1->Edit5->text(), "3");
  EXPECT_EQ(takeLines().size(), 9u);
}

INSTANTIATE_TEST_SUITE_P(Links, AutoWriteTest, testing::Values(Link::Serial, Link::Ethernet),
                         linkName);

TEST(HexCharToBits, GivesTheEightBitsOfEachCharacterValue) {
  const std::pair<char, const char*> table[] = {
      {'0', "00000000"},
      {'7', "00000111"},
      {'=', "00001101"},
      {'@', "00010000"},
      {'A', "00001010"},
      {'F', "00001111"},
      {'G', "01000111"},
      {'-', "00101101"},
      {'a', "01100001"},
      {'\0', "00000000"},
      {static_cast<char>(0xB0), "10110000"},
  };
  for (const auto& [c, expected] : table) {
    char bits[9] = "xxxxxxxx";
    HexCharToBits(c, bits);
    EXPECT_STREQ(bits, expected) << static_cast<int>(static_cast<unsigned char>(c));
  }
}

}  // namespace
