#include "net_transport.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "dotted_ip.h"
#include "platform/message_pump.h"
#include "platform/serial_device.h"
#include "platform/tick.h"

namespace {

bool lookUpHost(const char* host, in_addr* address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return false;
  *address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
  freeaddrinfo(found);
  return true;
}

// The address to connect to. The any-address (an empty host text reads as
// 0.0.0.0) names no host: it is refused, where a connect would otherwise
// reach this machine.
bool resolve(const char* host, int port, sockaddr_in* address) {
  address->sin_family = AF_INET;
  address->sin_port = htons(static_cast<uint16_t>(port));
  const int32_t dotted = ParseDottedIp(host);
  if (dotted != -1) {
    address->sin_addr.s_addr = static_cast<uint32_t>(dotted);
  } else if (!lookUpHost(host, &address->sin_addr)) {
    return false;
  }
  return address->sin_addr.s_addr != htonl(INADDR_ANY);
}

// Waits for the connect to finish: true once it succeeded; false when it
// failed or the time ran out.
bool awaitConnect(int fd, uint32_t timeoutMs) {
  const uint32_t start = platform::TickCount();
  for (;;) {
    platform::PumpMessages();
    const uint32_t left = platform::TicksLeft(start, timeoutMs);
    pollfd descriptor{fd, POLLOUT, 0};
    int ready = poll(&descriptor, 1, static_cast<int>(std::min<uint32_t>(left, platform::kWaitSliceMs)));
    if (ready < 0 && errno != EINTR) return false;
    if (ready > 0) {
      int error = 0;
      socklen_t length = sizeof error;
      return getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0 &&
             (descriptor.revents & POLLOUT);
    }
    if (left == 0) return false;
  }
}

}  // namespace

int NetOpenConn(SessionRecord* session, const char* host, int port, int timeoutSeconds) {
  sockaddr_in address{};
  if (!resolve(host, port, &address)) return 0;
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  const uint32_t timeoutMs = static_cast<uint32_t>(std::max(timeoutSeconds, 0)) * 1000u;
  const bool started = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
                       errno == EINPROGRESS || errno == EAGAIN;
  if (!started || !awaitConnect(fd, timeoutMs)) {
    close(fd);
    return 0;
  }
  session->sock = fd;
  return 1;
}

int NetClose(SessionRecord* session) {
  if (session->sock >= 0) close(session->sock);
  session->sock = -1;
  return 1;
}

int NetReceive(SessionRecord* session, char* buffer, int size) {
  if (size <= 0) return 0;
  ssize_t count = recv(session->sock, buffer, static_cast<size_t>(size), MSG_DONTWAIT);
  if (count > 0) return static_cast<int>(count);
  if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
  return -1;  // an error, or 0: the reader closed the connection
}

int NetSend(SessionRecord* session, const char* data, int length) {
  int sent = 0;
  uint32_t lastProgress = platform::TickCount();
  while (sent < length) {
    ssize_t count = send(session->sock, data + sent, static_cast<size_t>(length - sent),
                         MSG_DONTWAIT | MSG_NOSIGNAL);
    if (count < 0) {
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != ENOBUFS && errno != EINTR) return 0;
      platform::PumpMessages();
      const uint32_t left = platform::TicksLeft(lastProgress, kNetSendStallMs);
      if (left == 0) return 0;
      platform::WaitWritable(session->sock, static_cast<int>(std::min<uint32_t>(left, platform::kWaitSliceMs)));
      continue;
    }
    sent += static_cast<int>(count);
    lastProgress = platform::TickCount();
    if (sent < length) platform::PumpMessages();
  }
  return 1;
}

int NetCheckAborted(SessionRecord* session) {
  int queued = 0;
  if (ioctl(session->sock, FIONREAD, &queued) != 0) return 1;
  pollfd descriptor{session->sock, POLLOUT, 0};
  int ready = poll(&descriptor, 1, 0);
  if (ready == 0) return 0;
  if (ready < 0) return 1;
  const bool failed = descriptor.revents & (POLLERR | POLLHUP | POLLNVAL);
  return (descriptor.revents & POLLOUT) && !failed ? 0 : 1;
}
