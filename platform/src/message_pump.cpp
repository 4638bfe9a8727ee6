#include "platform/message_pump.h"

#include <atomic>

namespace platform {
namespace {
std::atomic<MessagePumpHook> currentHook{nullptr};
}

void SetMessagePumpHook(MessagePumpHook hook) { currentHook.store(hook); }

void PumpMessages() {
  if (MessagePumpHook hook = currentHook.load()) hook();
}

}  // namespace platform
