#include "reply/ResponseEvent.h"

void ResponseEventHandle::Create() {
  event_.Reset();
  open_ = true;
}

void ResponseEventHandle::Close() { open_ = false; }

void ResponseEventHandle::Signal() {
  if (open_) event_.Set();
}

bool ResponseEventHandle::Wait(uint32_t timeoutMs) const { return open_ && event_.Wait(timeoutMs); }

bool ResponseEventHandle::IsSignalled() const { return open_ && event_.IsSet(); }
