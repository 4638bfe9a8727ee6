#include "gui/ConsoleApplication.h"

#include <exception>

#include "gui/MessageDialogs.h"

ConsoleApplication::ConsoleApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool ConsoleApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    showExceptionMessage(error.what());
  }
  // Handled: the message has been shown; nothing else is to act on the event.
  return true;
}
