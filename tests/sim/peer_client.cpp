#include "peer_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

namespace simtest {
namespace {

int msLeft(std::chrono::steady_clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

}  // namespace

PeerClient::~PeerClient() {
  if (fd_ >= 0) ::close(fd_);
}

bool PeerClient::ConnectTcp(uint16_t port) {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

bool PeerClient::OpenPty(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios settings{};
  if (fd_ < 0 || ::tcgetattr(fd_, &settings) != 0) return false;
  ::cfmakeraw(&settings);
  return ::tcsetattr(fd_, TCSANOW, &settings) == 0;
}

bool PeerClient::Send(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

int PeerClient::readByte(char& byte, int timeoutMs) {
  pollfd readable{fd_, POLLIN, 0};
  int ready = ::poll(&readable, 1, timeoutMs);
  if (ready <= 0) return ready;
  ssize_t n = ::read(fd_, &byte, 1);
  return n == 1 ? 1 : n == 0 ? 2 : -1;
}

std::string PeerClient::ReadBytes(size_t bytes, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string got;
  char byte = 0;
  while (got.size() < bytes && readByte(byte, msLeft(deadline)) == 1) got.push_back(byte);
  return got;
}

std::string PeerClient::ReadLine(int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string got;
  char byte = 0;
  while (readByte(byte, msLeft(deadline)) == 1) {
    got.push_back(byte);
    if (byte == '\n') break;
  }
  return got;
}

bool PeerClient::WaitClosed(int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  char byte = 0;
  for (;;) {
    int result = readByte(byte, msLeft(deadline));
    if (result == 2) return true;
    if (result != 1) return false;
  }
}

}  // namespace simtest
