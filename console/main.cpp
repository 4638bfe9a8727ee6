// cardbench: the reader test console.
#include <exception>

#include "ConsoleApplication.h"
#include "ConsoleWindows.h"
#include "MessageDialogs.h"

int main(int argc, char** argv) {
  try {
    ConsoleApplication application(argc, argv);
    application.setApplicationName("cardbench");
    createConsoleWindows(application);
    application.exec();
    destroyConsoleWindows();
  } catch (const std::exception& error) {
    showExceptionMessage(error.what());
  }
  return 0;
}
