#include "link_state.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace ethernetlink {

int LinkSocket = kNoSocket;
std::string LinkHost;
int32_t LinkPort = 3001;
PendingInput Pending;
LastSendMark LastSend;

void acknowledgeAtOnce() {
  const int on = 1;
  ::setsockopt(LinkSocket, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}

int closeLinkSocket() {
  Pending.count = 0;
  Pending.droppingOverlongLine = false;
  LastSend.made = false;
  if (LinkSocket == kNoSocket) return -1;
  int result = ::close(LinkSocket);
  LinkSocket = kNoSocket;
  return result == 0 ? 0 : -1;
}

}  // namespace ethernetlink
