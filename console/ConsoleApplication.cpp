#include "ConsoleApplication.h"

#include <exception>

#include "MessageDialogs.h"

ConsoleApplication::ConsoleApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool ConsoleApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    showExceptionMessage(error.what());
  }
  return false;
}
