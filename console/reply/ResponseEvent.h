// The reply event of a waiting handler: the handler creates it (not signalled)
// before a send, waits on it and closes it; the reply handler signals whatever
// event is open, and signalling while none is open does nothing. One object
// for the whole run, so that a late reply can never touch a freed event.
// Any thread may call any member.
#pragma once
#include <atomic>
#include <cstdint>

#include "platform/event.h"

class ResponseEventHandle {
 public:
  void Create();  // a fresh event, not signalled
  void Close();
  void Signal();
  // True when the open event is (or becomes) signalled within timeoutMs.
  bool Wait(uint32_t timeoutMs) const;
  bool IsSignalled() const;

 private:
  platform::ManualResetEvent event_;
  std::atomic<bool> open_{false};
};
