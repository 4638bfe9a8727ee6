// What the write test and the setting edits send for multi-line text and for
// characters outside Latin-1.
#include <QLineEdit>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include "Main.h"
#include "link/link.h"
#include "pages_fixture.h"

namespace {

using ControlTextSends = PagesOverBothLinks;

std::string lastSentBytes() {
  return std::string(reinterpret_cast<const char*>(LastSendBytes()),
                     static_cast<size_t>(LastSendLength()));
}

void onlyTrackOne() {
  Form1->CheckBox5->setChecked(false);
  Form1->CheckBox6->setChecked(false);
}

TEST_P(ControlTextSends, TwoLineWriteBoxGoesOutWithCrLf) {
  onlyTrackOne();
  // The reader takes the second line for a line of its own; it stays silent
  // to it here so that no stray reply follows the test.
  sim.SetHandler("CD", [](const readersim::Request&) {
    readersim::Reply none;
    none.silent = true;
    return none;
  });
  Form1->RichEdit1->setPlainText("AB\nCD");
  Form1->Button23->click();  // "Manual"
  settle();
  EXPECT_EQ(lastSentBytes(), "211AB\r\nCD\r\n");
  EXPECT_EQ(takeLines(), (std::vector<std::string>{"211AB", "CD"}));
  EXPECT_TRUE(messages().empty());
}

TEST_P(ControlTextSends, WriteBoxWithACharacterOutsideLatin1SendsNothing) {
  onlyTrackOne();
  Form1->RichEdit1->setPlainText(QString::fromUtf8("A€B"));
  Form1->Button23->click();
  settle();
  EXPECT_EQ(messages(), std::vector<std::string>{"'€' cannot be sent to the reader"});
  EXPECT_FALSE(sim.WaitForRequests(1, 300));
  EXPECT_EQ(Form1->RichEdit1->toPlainText(), QString::fromUtf8("A€B"));
  EXPECT_TRUE(Form1->Button23->isEnabled());  // the next run can start

  // Latin-1 letters are theirs to send, byte for byte.
  Form1->RichEdit1->setPlainText(QString::fromLatin1("A\xE9" "B"));
  Form1->Button23->click();
  settle();
  EXPECT_EQ(lastSentBytes(), "211A\xE9" "B\r\n");
}

TEST_P(ControlTextSends, SettingEditWithACharacterOutsideLatin1SendsNothing) {
  Form1->Edit2->setText(QString::fromUtf8("4€"));
  Form1->Button15->click();  // "Wait Time Set"
  EXPECT_EQ(messages(), std::vector<std::string>{"'€' cannot be sent to the reader"});
  EXPECT_FALSE(sim.WaitForRequests(1, 300));
}

INSTANTIATE_TEST_SUITE_P(Links, ControlTextSends, testing::Values(Link::Serial, Link::Ethernet),
                         linkName);

}  // namespace
