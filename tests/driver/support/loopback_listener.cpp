#include "loopback_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace {

int boundSocket(const char* host, uint16_t* port) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  inet_pton(AF_INET, host, &address.sin_addr);
  socklen_t length = sizeof address;
  if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("cannot bind a loopback socket");
  }
  *port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

LoopbackListener::LoopbackListener(const char* address, int backlog) {
  fd_ = boundSocket(address, &port_);
  if (listen(fd_, backlog) != 0) throw std::runtime_error("cannot listen");
}

LoopbackListener::~LoopbackListener() { close(fd_); }

int LoopbackListener::Accept(int timeoutMs) {
  pollfd descriptor{fd_, POLLIN, 0};
  if (poll(&descriptor, 1, timeoutMs) <= 0) return -1;
  return accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
}

uint16_t UnusedLoopbackPort() {
  uint16_t port = 0;
  close(boundSocket("127.0.0.1", &port));
  return port;
}
