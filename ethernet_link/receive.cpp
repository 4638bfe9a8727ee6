// Receiving one reply line. The socket is read in blocks into Pending, and
// each call hands over the first whole line found there; the bytes after its
// LF stay in Pending for the next call, unless a send drops them first. The
// read itself is the wait: the socket's receive time-out (set at connect) ends
// it after at most platform::kWaitSliceMs, and the tick count is re-read
// before every read, so the 90000 ms bound follows whatever tick source is
// installed and holds whatever the peer sends: a stream that never brings an
// LF ends there too. Past the bound only the bytes the connection held then
// are read, without waiting. The bound runs from the last send, so that a
// caller that reads on past a line that was not the one it wanted (a late or
// extra one) waits no longer in all than for one line.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/ioctl.h>
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

// Bytes received by the connection and not yet read.
size_t bytesQueued() {
  int queued = 0;
  return ::ioctl(LinkSocket, FIONREAD, &queued) == 0 && queued > 0 ? static_cast<size_t>(queued) : 0;
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
  bool pastBound = false;
  size_t queuedAtBound = 0;  // bytes the connection held when the bound passed
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

    // Past the bound the call waits no more, but what the connection already
    // holds is still read: a line that came is never left unread.
    if (!pastBound && platform::TicksLeft(start, kReceiveBoundMs) == 0) {
      pastBound = true;
      queuedAtBound = bytesQueued();
    }
    size_t room = PendingInput::kCapacity - Pending.count;
    if (pastBound) {
      if (queuedAtBound == 0) return -3;
      room = std::min(room, queuedAtBound);
    }
    const ssize_t received =
        ::recv(LinkSocket, Pending.bytes + Pending.count, room, pastBound ? MSG_DONTWAIT : 0);
    if (received > 0) {
      acknowledgeAtOnce();
      Pending.count += static_cast<size_t>(received);
      if (pastBound) queuedAtBound -= static_cast<size_t>(received);
      continue;
    }
    if (received == 0) {
      // A closed stream can never complete the line; a part of one is dropped.
      Pending.count = 0;
      Pending.droppingOverlongLine = false;
      return -3;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      if (pastBound) return -3;
      continue;
    }
    ShowLinkError("EthernetReceive failed");
    return -1;
  }
}
