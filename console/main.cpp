// cardbench: the reader test console.
#include <exception>

#include "ConsoleApplication.h"
#include "ConsoleWindows.h"
#include "MessageDialogs.h"

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
