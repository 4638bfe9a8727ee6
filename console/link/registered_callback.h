// The reply handler registered through SetReceiveCallback. It is called with
// (0, 1) on the receive thread when serial input arrives, and on the calling
// thread inside EthernetTransact when a reply line came back.
#pragma once
#include <atomic>

#include "link.h"

extern std::atomic<ReceiveCallbackType> RegisteredCallback;

// Calls the registered handler, if there is one.
void CallRegisteredCallback();
