// A loopback TCP client of the reader simulator for the simulator's own
// tests: one reader line out, one reply line back.
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

class LineClient {
 public:
  explicit LineClient(uint16_t port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~LineClient() { ::close(fd_); }
  bool connected() const { return connected_; }

  std::string ask(const std::string& line) {
    const std::string out = line + "\r\n";
    if (::write(fd_, out.data(), out.size()) != static_cast<ssize_t>(out.size())) return "";
    std::string reply;
    char byte = 0;
    pollfd readable{fd_, POLLIN, 0};
    while (::poll(&readable, 1, 3000) == 1 && ::read(fd_, &byte, 1) == 1) {
      if (byte == '\n') return reply;
      reply.push_back(byte);
    }
    return reply + "<no LF>";
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
};
