#include <atomic>

#include "link.h"

namespace {
std::atomic<EscapeHook> installedEscapeHook{nullptr};
}

void SetEscapeHook(EscapeHook hook) { installedEscapeHook.store(hook); }

bool CheckEscape() {
  EscapeHook hook = installedEscapeHook.load();
  return hook && hook();
}
