#include "gui/MessageDialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QStringDecoder>

#include <cstdio>

#include "gui/ActiveForm.h"
#include "gui/GuiThread.h"
#include "platform/message_box.h"

namespace {

// The console's own texts are ASCII; exception messages carry typed text as
// UTF-8; a reader's bytes are Latin-1, which is what text that is no UTF-8
// is taken for.
QString boxText(const char* text) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString decoded = utf8(text);
  return utf8.hasError() ? QString::fromLatin1(text) : decoded;
}

void showConsoleBox(const char* text) {
  if (!onGuiThread() || QApplication::instance() == nullptr) {
    std::fprintf(stderr, "%s\n", text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), boxText(text),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace

void ShowMessage(const std::string& text) {
  ActiveFormScope messageDialog(nullptr);
  platform::ShowMessageBox(text);
}

void showExceptionMessage(const std::string& text) { platform::ShowMessageBox(text); }

void installMessageBoxes() { platform::SetMessageBoxHook(showConsoleBox); }
