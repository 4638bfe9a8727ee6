#include "command_count.h"
#include "link.h"
#include "receive_buffer.h"
#include "registered_callback.h"

// The console starts pointed at the network; the link dialogs move it.
std::atomic<int> LinkMode{LINK_ETHERNET};
std::atomic<int> FramingMode{0};

std::atomic<ReceiveCallbackType> RegisteredCallback{nullptr};

int SetReceiveCallback(ReceiveCallbackType callback) {
  RegisteredCallback.store(callback);
  return 1;
}

void CallRegisteredCallback() {
  // The callback's result carries nothing the link needs.
  if (ReceiveCallbackType callback = RegisteredCallback.load()) callback(0, 1);
}

namespace {
std::atomic<uint32_t> sentCount{0};
std::atomic<void (*)()> beforeSendHook{nullptr};
std::atomic<bool (*)(uint32_t, const uint8_t*, int, uint32_t)> countedHook{nullptr};
std::atomic<bool (*)()> answeredNothingHook{nullptr};
}  // namespace

void SetSendObserver(const SendObserver& observer) {
  beforeSendHook.store(observer.beforeSend);
  countedHook.store(observer.counted);
  answeredNothingHook.store(observer.lineAnsweredNothing);
}

bool LineAnsweredNothing() {
  bool (*hook)() = answeredNothingHook.load();
  return hook && hook();
}

void WaitBeforeSend() {
  if (void (*hook)() = beforeSendHook.load()) hook();
}

bool CountCommandSent(const uint8_t* bytes, int length, uint32_t goesOutInMs) {
  const uint32_t command = sentCount.fetch_add(1) + 1;
  auto hook = countedHook.load();
  return hook && hook(command, bytes, length, goesOutInMs);
}

uint32_t CommandsSent() { return sentCount.load(); }

uint32_t ReplyStamp() { return ReceiveStamp; }

uint32_t ReplyBeganAt() { return ReceiveBeganAt; }
