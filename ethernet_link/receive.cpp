// Receiving one reply line. The socket is read in blocks into Pending, and
// each call hands over the first whole line found there; the bytes after its
// LF stay in Pending for the next call, unless a send drops them first. The
// read itself is the wait: the socket's receive time-out (set at connect) ends
// it after at most platform::kWaitSliceMs, and the tick count is re-read
// before every read, so the 90000 ms bound follows whatever tick source is
// installed and holds whatever the peer sends: a stream that never brings an
// LF ends there too. The bound runs from the last send, so that a caller that
// reads on past a line that was not the one it wanted (a late or extra one)
// waits no longer in all than for one line.
#include <cerrno>
#include <cstring>
#include <sys/socket.h>

#include "exported_api.h"
#include "link_state.h"
#include "platform/tick.h"

namespace ethernetlink {
namespace {

void dropPendingFront(size_t count) {
  std::memmove(Pending.bytes, Pending.bytes + count, Pending.count - count);
  Pending.count -= count;
}

// The length of the first whole line in Pending, LF included; 0 when there
// is none.
size_t pendingLineLength() {
  const void* lf = std::memchr(Pending.bytes, '\n', Pending.count);
  return lf ? static_cast<size_t>(static_cast<const uint8_t*>(lf) - Pending.bytes) + 1 : 0;
}

}  // namespace
}  // namespace ethernetlink

using namespace ethernetlink;

int32_t EthernetReceive(uint8_t* destination, int32_t* length) {
  if (destination == nullptr || length == nullptr) return -1;
  if (LinkSocket == kNoSocket) {
    ShowLinkError("EthernetReceive failed");
    return -1;
  }
  const uint32_t start = LastSend.made ? LastSend.at : platform::TickCount();
  for (;;) {
    const size_t lineLength = pendingLineLength();
    if (lineLength > 0) {
      // A line longer than the buffer is read on to its LF, so that the next
      // call starts at the next line, but it is not handed over.
      const bool overlong = Pending.droppingOverlongLine || lineLength > kLineBufferSize;
      if (!overlong) {
        std::memcpy(destination, Pending.bytes, lineLength);
        *length = static_cast<int32_t>(lineLength);
      }
      dropPendingFront(lineLength);
      Pending.droppingOverlongLine = false;
      return overlong ? -1 : 1;
    }
    if (Pending.count >= kLineBufferSize) {
      Pending.count = 0;
      Pending.droppingOverlongLine = true;
    }

    if (platform::TicksLeft(start, kReceiveBoundMs) == 0) return -3;
    const ssize_t received =
        ::recv(LinkSocket, Pending.bytes + Pending.count, PendingInput::kCapacity - Pending.count, 0);
    if (received > 0) {
      acknowledgeAtOnce();
      Pending.count += static_cast<size_t>(received);
      continue;
    }
    if (received == 0) {
      // A closed stream can never complete the line; a part of one is dropped.
      Pending.count = 0;
      Pending.droppingOverlongLine = false;
      return -3;
    }
    if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) continue;
    ShowLinkError("EthernetReceive failed");
    return -1;
  }
}
