// Sending a command. The socket is asked to take the bytes without blocking
// and the wait for room is a poll() in slices of platform::kWaitSliceMs, so
// that a peer that has stopped reading cannot hold the caller for good: a
// send during which no byte is taken for kSendBoundMs (by the platform tick
// count) has failed, like a send the socket refuses.
#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/types.h>

#include "exported_api.h"
#include "link_state.h"
#include "platform/tick.h"

namespace ethernetlink {
namespace {

// Drops what waits to be received, so that the reply read after this send is
// the command's own and not a line that came too late for its receive or one
// more than was asked for: the bytes kept after an earlier line and what the
// socket holds. Reads no more than the socket held at the start and one read
// more, so a peer that keeps sending cannot hold the send. False when the
// peer has closed the connection or the socket fails: a send on it has failed.
bool dropWaitingInput() {
  Pending.count = 0;
  Pending.droppingOverlongLine = false;
  int held = 0;
  if (::ioctl(LinkSocket, FIONREAD, &held) != 0) return false;
  size_t dropped = 0;
  for (;;) {
    const ssize_t got = ::recv(LinkSocket, Pending.bytes, PendingInput::kCapacity, MSG_DONTWAIT);
    if (got > 0) {
      acknowledgeAtOnce();
      dropped += static_cast<size_t>(got);
      if (dropped > static_cast<size_t>(held)) return true;
      continue;
    }
    if (got == 0) return false;
    if (errno != EINTR) return errno == EAGAIN || errno == EWOULDBLOCK;
  }
}

// Hands all `length` bytes to the socket; false when the socket refuses them
// or takes none for kSendBoundMs. MSG_NOSIGNAL: a peer that has gone
// makes the send fail instead of killing the process with SIGPIPE. A negative
// length fails without touching the caller's bytes.
bool sendAll(const uint8_t* data, int32_t length) {
  if (length < 0) return false;
  const size_t total = static_cast<size_t>(length);
  size_t done = 0;
  uint32_t lastProgress = platform::TickCount();
  for (;;) {
    const ssize_t sent = ::send(LinkSocket, data + done, total - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent >= 0) {
      done += static_cast<size_t>(sent);
      if (done == total) return true;
      lastProgress = platform::TickCount();
      continue;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return false;
    const uint32_t left = platform::TicksLeft(lastProgress, kSendBoundMs);
    if (left == 0) return false;
    pollfd writable{LinkSocket, POLLOUT, 0};
    ::poll(&writable, 1, static_cast<int>(std::min<uint32_t>(left, platform::kWaitSliceMs)));
  }
}

// The reply's wait runs from here (see EthernetReceive).
void noteSend() { LastSend = {true, platform::TickCount()}; }

}  // namespace
}  // namespace ethernetlink

using namespace ethernetlink;

int32_t EthernetCommandSend(const uint8_t* data, int32_t length) {
  if (dropWaitingInput() && sendAll(data, length)) {
    noteSend();
    return 1;
  }
  closeLinkSocket();
  ReconnectEthernet();
  if (sendAll(data, length)) {
    noteSend();
    return length;
  }
  ShowLinkError("send() sent a different number bytes than expected");
  return -1;
}
