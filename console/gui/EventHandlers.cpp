#include "gui/EventHandlers.h"

#include <QAbstractButton>

#include <exception>
#include <utility>

#include "gui/MessageDialogs.h"

void runHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    showExceptionMessage(error.what());
  }
}

void bindClick(QAbstractButton* control, std::function<void()> handler) {
  QObject::connect(control, &QAbstractButton::clicked, control,
                   [handler = std::move(handler)] { runHandler(handler); });
}
