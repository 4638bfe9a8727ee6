// Reader replies that look like markup reach the status panel and the memos
// as the characters the reader sent.
#include <QAccessible>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "Main.h"
#include "pages_fixture.h"

namespace {

using PlainTextReplies = PagesOverBothLinks;

QString shownText(QLabel* label) {
  QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(label);
  return shown != nullptr ? shown->text(QAccessible::Name).trimmed() : QString();
}

TEST_P(PlainTextReplies, VersionReplyWithMarkupShowsItsCharactersInThePanel) {
  sim.SetHandler("990", [](const readersim::Request& request) {
    return readersim::TextReply(request, 0, "V<b>V1.0</b>");
  });
  Form1->Button14->click();  // "Version"
  ASSERT_TRUE(waitFor([] { return panelText().trimmed() == "<b>V1.0</b>"; }))
      << panelText().toStdString();
  EXPECT_EQ(shownText(Form1->Panel1), "<b>V1.0</b>");
}

TEST_P(PlainTextReplies, BitMemoryReplyWithMarkupShowsItsCharactersInTheMemo) {
  sim.SetHandler("300", [](const readersim::Request& request) {
    return readersim::TextReply(request, 0, "<i>0101</i>");
  });
  Form1->Button20->click();  // bit memory "Send", first window
  ASSERT_TRUE(waitFor([] { return memoText("Memo4").trimmed() == "000<i>0101</i>"; }))
      << memoText("Memo4").toStdString();
  EXPECT_EQ(shownText(Form1->Panel1), "Bits 001-200, Memory of last read...");
}

INSTANTIATE_TEST_SUITE_P(Links, PlainTextReplies, testing::Values(Link::Serial, Link::Ethernet),
                         linkName);

}  // namespace
