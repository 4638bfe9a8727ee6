// cardbench: the reader test console.
#include <exception>

#include "gui/ConsoleApplication.h"
#include "ConsoleWindows.h"
#include "gui/MessageDialogs.h"

int main(int argc, char** argv) {
  ConsoleApplication application(argc, argv);
  application.setApplicationName("cardbench");
  try {
    createConsoleWindows(application);
    application.exec();
  } catch (const std::exception& error) {
    showExceptionMessage(error.what());
  }
  destroyConsoleWindows();
  return 0;
}
