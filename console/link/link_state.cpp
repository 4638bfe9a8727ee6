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
}  // namespace

void CountCommandSent() { sentCount.fetch_add(1); }

uint32_t CommandsSent() { return sentCount.load(); }

uint32_t ReplyStamp() { return ReceiveStamp; }
