#include <cerrno>
#include <sys/socket.h>
#include <sys/types.h>

#include "exported_api.h"
#include "link_state.h"

namespace ethernetlink {
namespace {

// One blocking send. MSG_NOSIGNAL: a peer that has gone makes the send fail
// instead of killing the process with SIGPIPE. A negative length fails
// without touching the caller's bytes.
ssize_t sendOnce(const uint8_t* data, int32_t length) {
  if (length < 0) return -1;
  ssize_t sent;
  do {
    sent = ::send(LinkSocket, data, static_cast<size_t>(length), MSG_NOSIGNAL);
  } while (sent < 0 && errno == EINTR);
  return sent;
}

}  // namespace
}  // namespace ethernetlink

using namespace ethernetlink;

int32_t EthernetCommandSend(const uint8_t* data, int32_t length) {
  if (sendOnce(data, length) >= 0) return 1;
  closeLinkSocket();
  ReconnectEthernet();
  ssize_t sent = sendOnce(data, length);
  if (sent >= 0) return static_cast<int32_t>(sent);
  ShowLinkError("send() sent a different number bytes than expected");
  return -1;
}
