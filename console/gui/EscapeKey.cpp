#include "gui/EscapeKey.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>

#include <atomic>
#include <cstdint>

#include "link/link.h"
#include "platform/tick.h"

namespace {

std::atomic<bool> escapePressed{false};
std::atomic<uint32_t> escapeTick{0};

class EscapeFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      escapeTick = platform::TickCount();
      escapePressed = true;
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

void installEscapeWatch(QApplication& application) {
  static QApplication* watched = nullptr;
  if (watched != &application) {
    application.installEventFilter(new EscapeFilter(&application));
    watched = &application;
  }
  SetEscapeHook(escapePending);
}

bool escapePending() {
  if (!escapePressed.exchange(false)) return false;
  return platform::TicksLeft(escapeTick, ReceiveTimeoutMs) > 0;
}
