#include <algorithm>
#include <cstring>

#include "ZUV_ETHERNET.h"
#include "command_count.h"
#include "link.h"
#include "platform/tick.h"
#include "receive_buffer.h"
#include "registered_callback.h"

int EthernetTransact(const uint8_t* buffer, int length) {
  // The library drops what waits in the connection before it sends: any
  // line read from now on can only answer this command.
  CountCommandSent(buffer, length, 0);
  // The library reconnects and sends once more by itself; when even that
  // failed the link is gone and no reply can come.
  if (EthernetCommandSend(buffer, length) < 0) return 0;
  return EthernetReceiveReply();
}

namespace {

// Handled here, before SendCommand returns. When the bound ran out (or the
// peer closed) the reply handler says that no reply came, as it does for a
// serial reply that stops short. The handler reads the reply before it lets a
// click send another command from inside it.
void handleLine(int result) {
  ReceiveMissing = result == -3;
  CallRegisteredCallback();
  ReceiveMissing = false;
}

int receiveOneLine() {
  std::memset(ReceiveBuffer, 0, sizeof ReceiveBuffer);
  ReceiveLength = 0;
  ReceiveStamp = CommandsSent();
  int32_t lineLength = 0;
  const int result = EthernetReceive(ReceiveBuffer, &lineLength);
  ReceiveBeganAt = platform::TickCount();
  if (result == 1) ReceiveLength = std::clamp<int>(lineLength, 0, kLinkBufferSize);
  if (result == 1 || result == -3) handleLine(result);
  return result;
}

}  // namespace

int EthernetReceiveReply() {
  // A line that answered nothing (a late or extra one) comes before the
  // command's own: read on for it within the one bound that runs from the
  // send (the library's wait runs from there too). Lines already whole are
  // handed over at once, so no further read starts once the bound has
  // passed: then no reply came. What the reader sends after that is dropped
  // before the next command goes out.
  const uint32_t start = platform::TickCount();
  for (;;) {
    const int result = receiveOneLine();
    if (result != 1 || !LineAnsweredNothing()) return result;
    if (platform::TicksLeft(start, NetworkReplyTimeoutMs) == 0) {
      handleLine(-3);
      return -3;
    }
  }
}
