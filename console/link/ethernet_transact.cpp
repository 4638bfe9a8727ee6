#include <algorithm>
#include <cstring>

#include "ZUV_ETHERNET.h"
#include "link.h"
#include "receive_buffer.h"
#include "registered_callback.h"

int EthernetTransact(const uint8_t* buffer, int length) {
  // A failed send needs no check here: the library reconnects and sends once
  // more by itself, and a lost command shows up as a failed receive.
  EthernetCommandSend(buffer, length);

  std::memset(ReceiveBuffer, 0, sizeof ReceiveBuffer);
  ReceiveLength = 0;
  int32_t lineLength = 0;
  const int result = EthernetReceive(ReceiveBuffer, &lineLength);
  if (result == 1) {
    ReceiveLength = std::clamp<int>(lineLength, 0, kLinkBufferSize);
    CallRegisteredCallback();  // handled here, before SendCommand returns
  }
  return result;
}
