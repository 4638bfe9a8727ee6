// Where a long-running call lets its thread's pending work run (the encoder
// driver calls it in every wait). Does nothing unless a host installs a hook;
// the hook runs on the calling thread.
#pragma once

namespace platform {

using MessagePumpHook = void (*)();

void SetMessagePumpHook(MessagePumpHook hook);  // nullptr: pumping does nothing
void PumpMessages();

}  // namespace platform
