#include "platform/message_box.h"

#include <atomic>
#include <cstdio>

namespace platform {
namespace {
std::atomic<MessageBoxHook> currentHook{nullptr};
}

void SetMessageBoxHook(MessageBoxHook hook) { currentHook.store(hook); }

void ShowMessageBox(const std::string& text) {
  if (MessageBoxHook hook = currentHook.load()) {
    hook(text.c_str());
    return;
  }
  std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace platform
