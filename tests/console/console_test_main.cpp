// GUI tests run without a display: the offscreen platform unless the caller
// asked for another one.
#include "gui/ConsoleApplication.h"

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

namespace {

// The offscreen platform warns that it cannot pass size hints to a window
// system it does not have; that says nothing about the console.
void dropOffscreenNoise(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (message.contains("propagateSizeHints")) return;
  std::fprintf(stderr, "%s\n", qFormatLogMessage(type, context, message).toLocal8Bit().constData());
}

}  // namespace

// Qt comes from the system, built without ThreadSanitizer: the sanitizer
// cannot see the locks inside it, so it would report the hand-over of Qt's
// own allocations between Qt's own threads (the raster engine's fill pool).
// Reports from calls made inside such libraries are left out; the console's
// code and its synchronisation stay checked. Read only by a TSan build.
extern "C" const char* __tsan_default_options() { return "ignore_noninstrumented_modules=1"; }

int main(int argc, char** argv) {
  qInstallMessageHandler(dropOffscreenNoise);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  testing::InitGoogleTest(&argc, argv);
  ConsoleApplication application(argc, argv);
  application.setApplicationName("cardbench");
  return RUN_ALL_TESTS();
}
