// Connecting and closing. There is no socket-library start-up on this
// platform, so the version check that precedes a connect has nothing to check
// and never fails.
#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>

#include "exported_api.h"
#include "link_state.h"
#include "platform/tick.h"

namespace ethernetlink {
namespace {

// A blocking connect; one interrupted by a signal goes on in the background,
// so wait for its outcome instead of reporting a failure.
bool connectBlocking(int fd, const sockaddr_in& remote) {
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&remote), sizeof remote) == 0) return true;
  if (errno != EINTR) return false;
  pollfd done{fd, POLLOUT, 0};
  while (::poll(&done, 1, -1) < 0) {
    if (errno != EINTR) return false;
  }
  int error = 0;
  socklen_t size = sizeof error;
  return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

}  // namespace

bool connectLinkSocket() {
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
  if (LinkSocket == kNoSocket || !addressValid || !connectBlocking(LinkSocket, remote)) {
    ShowLinkError("connect() failed");
    return false;
  }
  return true;
}

void ReconnectEthernet() { connectLinkSocket(); }

}  // namespace ethernetlink

using namespace ethernetlink;

int32_t Closed_Ethernet(void) { return closeLinkSocket(); }

int32_t Connect_Ethernet(const char* address, int32_t port) {
  LinkHost = address ? address : "";
  LinkPort = port;
  return connectLinkSocket() ? 1 : 0;
}
