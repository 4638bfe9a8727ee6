// The bytes the reader gets for the text of an edit, memo or rich edit, and
// what a character outside Latin-1 does in the Ethernet dialog.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "Ethernetopen.h"
#include "Main.h"
#include "console_fixture.h"
#include "gui/ControlText.h"
#include "link/link.h"
#include "reply/MainState.h"

namespace {

struct Conversion {
  const char* name;
  QString text;
  std::string bytes;
};

using ControlTextInWindows = ConsoleTest;

const Conversion kSent[] = {
    {"empty", "", ""},
    {"one line", "AB", "AB"},
    {"LF", "AB\nCD", "AB\r\nCD"},
    {"CR LF stays one break", "AB\r\nCD", "AB\r\nCD"},
    {"lone CR", "AB\rCD", "AB\r\nCD"},
    {"paragraph separator", QString("AB") + QChar(QChar::ParagraphSeparator) + "CD", "AB\r\nCD"},
    {"line separator", QString("AB") + QChar(QChar::LineSeparator) + "CD", "AB\r\nCD"},
    {"break at the end", "AB\n\n", "AB\r\n\r\n"},
    {"Latin-1 letters", QString::fromLatin1("\xE9\xFF\xA0"), "\xE9\xFF\xA0"},
    {"NUL", QString(QChar(0)) + "A", std::string("\0A", 2)},
};

TEST(ControlBytesTest, GivesOneByteACharacterAndCrLfALineBreak) {
  for (const Conversion& c : kSent) EXPECT_EQ(ControlBytes(c.text), c.bytes) << c.name;
}

TEST(ControlBytesTest, RefusesACharacterOutsideLatin1ByNamingIt) {
  const std::pair<QString, std::string> refused[] = {
      {QString::fromUtf8("AB€CD"), "'€' cannot be sent to the reader"},
      {QString::fromUtf8("\xC4\x80"), "'\xC4\x80' cannot be sent to the reader"},  // U+0100
      {QString::fromUtf8("x😀"), "'😀' cannot be sent to the reader"},
  };
  for (const auto& [text, message] : refused) {
    try {
      ControlBytes(text);
      ADD_FAILURE() << "accepted " << text.toStdString();
    } catch (const EControlText& error) {
      EXPECT_EQ(error.what(), message);
    }
  }
}

// A memo hands out its lines with CR LF and keeps a no-break space, which
// its plain text would give as a blank.
TEST_F(ControlTextInWindows, MemoTextGoesOutWithCrLfAndItsOwnCharacters) {
  const Conversion memos[] = {
      {"two lines", "AB\nCD", "AB\r\nCD"},
      {"typed CR LF", "AB\r\nCD", "AB\r\nCD"},
      {"trailing break", "AB\n", "AB\r\n"},
      {"no-break space", QString::fromLatin1("A\xA0" "B"), "A\xA0" "B"},
      {"empty", "", ""},
  };
  for (const Conversion& c : memos) {
    Form1->RichEdit1->setPlainText(c.text);
    EXPECT_EQ(ControlBytes(Form1->RichEdit1), c.bytes) << c.name;
  }
}

// The address is taken before anything else: a refused one leaves the open
// link open and the dialog up for a correction.
TEST_F(ControlTextInWindows, EthernetAddressOutsideLatin1IsRefusedAndTheLinkStays) {
  ASSERT_TRUE(openEthernetThroughDialog());
  bool dialogStayed = false;
  onModal([&dialogStayed](QWidget*) {
    Ethernet->MaskEdit1->setText(QString::fromUtf8("127.0.0.€"));
    Ethernet->Button1->click();
    dialogStayed = Ethernet->isVisible();
    Ethernet->Button2->click();
  });
  Form1->BitBtn4->click();
  EXPECT_TRUE(dialogStayed);
  EXPECT_EQ(messages(), std::vector<std::string>{"'€' cannot be sent to the reader"});
  CommandId = 1;
  EXPECT_EQ(SendCommand(CMD_RESET, nullptr, 0), 1);
  EXPECT_EQ(panelText(), "Reset OK !!");
}

}  // namespace
