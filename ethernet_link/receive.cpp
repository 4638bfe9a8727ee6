// Receiving one reply line. The wait blocks in poll() in slices of at most
// platform::kWaitSliceMs, and the tick count is re-read before every read, so
// the 90000 ms bound follows whatever tick source is installed and holds
// whatever the peer sends: a stream that never brings an LF ends there too.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>

#include "exported_api.h"
#include "link_state.h"
#include "platform/tick.h"

namespace ethernetlink {
namespace {

constexpr int kLineBufferSize = 1024;
constexpr uint32_t kReceiveBoundMs = 90000;

}  // namespace
}  // namespace ethernetlink

using namespace ethernetlink;

int32_t EthernetReceive(uint8_t* destination, int32_t* length) {
  if (destination == nullptr || length == nullptr) return -1;
  uint8_t line[kLineBufferSize] = {};
  int32_t count = 0;
  bool overlong = false;
  const uint32_t start = platform::TickCount();
  for (;;) {
    const uint32_t left = platform::TicksLeft(start, kReceiveBoundMs);
    if (left == 0) return -3;
    uint8_t byte = 0;
    ssize_t received = ::recv(LinkSocket, &byte, 1, MSG_DONTWAIT);
    if (received == 1) {
      // A line longer than the buffer is read on to its LF, so that the next
      // call starts at the next line, but none of it past the buffer is kept.
      if (count < kLineBufferSize) {
        line[count++] = byte;
      } else {
        overlong = true;
      }
      if (byte != '\n') continue;
      if (overlong) return -1;
      std::memcpy(destination, line, static_cast<size_t>(count));
      *length = count;
      return 1;
    }
    // A closed stream can never complete the line; a part of one is dropped.
    if (received == 0) return -3;
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) {
      ShowLinkError("EthernetReceive failed");
      return -1;
    }
    pollfd readable{LinkSocket, POLLIN, 0};
    ::poll(&readable, 1, static_cast<int>(std::min<uint32_t>(left, platform::kWaitSliceMs)));
  }
}
