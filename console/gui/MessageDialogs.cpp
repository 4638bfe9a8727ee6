#include "gui/MessageDialogs.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

#include "gui/ActiveForm.h"
#include "gui/GuiThread.h"
#include "platform/message_box.h"

namespace {

void showConsoleBox(const char* text) {
  if (!onGuiThread() || QApplication::instance() == nullptr) {
    std::fprintf(stderr, "%s\n", text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), QString::fromLatin1(text),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

}  // namespace

void ShowMessage(const std::string& text) {
  ActiveFormScope messageDialog(nullptr);
  platform::ShowMessageBox(text);
}

void showExceptionMessage(const std::string& text) { platform::ShowMessageBox(text); }

void installMessageBoxes() { platform::SetMessageBoxHook(showConsoleBox); }
