// Connecting and closing. There is no socket-library start-up on this
// platform, so the version check that precedes a connect has nothing to check
// and never fails.
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>

#include "exported_api.h"
#include "link_state.h"
#include "platform/tick.h"

namespace ethernetlink {
namespace {

// Waits for the connect under way on `fd`: true once it is made. Bounded, it
// gives up after kSendBoundMs, so that a peer whose address no longer answers
// cannot hold a send for the minutes the system retries; the attempt is then
// ended, leaving the socket unconnected as a refused connect leaves it (a send
// on it fails at once instead of waiting for the connection).
bool awaitConnect(int fd, bool bounded) {
  const uint32_t start = platform::TickCount();
  uint32_t left = kSendBoundMs;
  for (;;) {
    pollfd done{fd, POLLOUT, 0};
    const uint32_t sliceMs = std::min<uint32_t>(left, platform::kWaitSliceMs);
    const int ready = ::poll(&done, 1, bounded ? static_cast<int>(sliceMs) : -1);
    if (ready > 0) {
      int error = 0;
      socklen_t size = sizeof error;
      return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
    }
    if (ready < 0 && errno != EINTR) return false;
    if (!bounded) continue;
    left = platform::TicksLeft(start, kSendBoundMs);
    if (left == 0) {
      ::shutdown(fd, SHUT_RDWR);
      return false;
    }
  }
}

// The connect is started without blocking, so that the wait for it can be
// bounded; the socket blocks again afterwards, as the receive expects.
bool connectSocket(int fd, const sockaddr_in& remote, bool bounded) {
  const int flags = ::fcntl(fd, F_GETFL);
  ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  bool connected = ::connect(fd, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0;
  if (!connected && errno == EINPROGRESS) connected = awaitConnect(fd, bounded);
  ::fcntl(fd, F_SETFL, flags);
  return connected;
}

}  // namespace

bool connectLinkSocket(bool bounded) {
  // A socket still open here could never be used or closed again: free it.
  closeLinkSocket();
  LinkSocket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (LinkSocket < 0) {
    LinkSocket = kNoSocket;
    ShowLinkError("socket() failed");
  } else {
    // A read waits at most one slice, so that the receive re-reads the tick
    // count for its bound at least that often.
    timeval slice{0, platform::kWaitSliceMs * 1000};
    ::setsockopt(LinkSocket, SOL_SOCKET, SO_RCVTIMEO, &slice, sizeof slice);
  }
  sockaddr_in remote{};
  remote.sin_family = AF_INET;
  remote.sin_port = htons(static_cast<uint16_t>(LinkPort & 0xFFFF));
  // Dotted decimal only: no host-name lookup, so a name or an empty text
  // fails like an unreachable address.
  bool addressValid = ::inet_pton(AF_INET, LinkHost.c_str(), &remote.sin_addr) == 1;
  if (LinkSocket == kNoSocket || !addressValid || !connectSocket(LinkSocket, remote, bounded)) {
    ShowLinkError("connect() failed");
    return false;
  }
  return true;
}

void ReconnectEthernet() { connectLinkSocket(true); }

}  // namespace ethernetlink

using namespace ethernetlink;

int32_t Closed_Ethernet(void) { return closeLinkSocket(); }

int32_t Connect_Ethernet(const char* address, int32_t port) {
  LinkHost = address ? address : "";
  LinkPort = port;
  return connectLinkSocket(false) ? 1 : 0;
}
