// What the console's labels and text boxes show is the characters they hold,
// never markup read as formatting.
#include <QAccessible>
#include <QLabel>
#include <QMessageBox>
#include <QTextEdit>

#include "Ethernetopen.h"
#include "Main.h"
#include "Portopen.h"
#include "Unit2.h"
#include "console_fixture.h"
#include "gui/MessageDialogs.h"

namespace {

using PlainText = ConsoleTest;

const QString kMarkup = "<b>V1.0</b>";

// The text a label shows, as the accessibility layer reads it off the label:
// formatted text comes back without its tags.
QString shownText(QLabel* label) {
  QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(label);
  return shown != nullptr ? shown->text(QAccessible::Name) : QString();
}

std::vector<QWidget*> consoleWindows() { return {Form1, PortForm, Ethernet, Remove}; }

TEST_F(PlainText, EveryLabelOfEveryWindowShowsMarkupAsItsCharacters) {
  int labels = 0;
  for (QWidget* window : consoleWindows()) {
    for (QLabel* label : window->findChildren<QLabel*>()) {
      label->setText(kMarkup);
      EXPECT_EQ(shownText(label), kMarkup)
          << window->objectName().toStdString() << "/" << label->objectName().toStdString();
      ++labels;
    }
  }
  EXPECT_GT(labels, 40);  // the pages' labels are among them
}

// Memos and rich edits are plain-text boxes: nothing a reply puts in them is
// read as markup.
TEST_F(PlainText, NoWindowHasAFormattedTextBox) {
  for (QWidget* window : consoleWindows()) {
    EXPECT_TRUE(window->findChildren<QTextEdit*>().isEmpty()) << window->objectName().toStdString();
  }
}

// The console's own box: plain text, and a typed character that an exception
// message carries (as UTF-8) shows as itself.
TEST_F(PlainText, MessageBoxShowsItsTextAsCharacters) {
  installMessageBoxes();
  struct Case {
    std::string text;
    QString shown;
  };
  const Case cases[] = {
      {"<b>V1.0</b>", kMarkup},
      {"'\xE2\x82\xAC' cannot be sent", QString::fromUtf8("'€' cannot be sent")},
      {"Latin-1 \xE9", QString::fromLatin1("Latin-1 \xE9")},
  };
  for (const Case& c : cases) {
    QString boxText;
    Qt::TextFormat format = Qt::AutoText;
    onModal([&](QWidget* dialog) {
      auto* box = qobject_cast<QMessageBox*>(dialog);
      if (box == nullptr) {
        ADD_FAILURE() << "not a message box";
        dialog->close();
        return;
      }
      boxText = box->text();
      format = box->textFormat();
      box->accept();
    });
    ShowMessage(c.text);
    EXPECT_EQ(boxText, c.shown);
    EXPECT_EQ(format, Qt::PlainText);
  }
}

}  // namespace
