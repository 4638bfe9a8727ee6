#include "pseudo_terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <stdexcept>

PseudoTerminal::PseudoTerminal() {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) throw std::runtime_error("no pseudo-terminal");
  char name[128];
  if (ptsname_r(master_, name, sizeof name) != 0) throw std::runtime_error("no pseudo-terminal name");
  slavePath_ = name;
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
}

PseudoTerminal::~PseudoTerminal() { Close(); }

void PseudoTerminal::Close() {
  if (master_ >= 0) close(master_);
  master_ = -1;
}

std::string PseudoTerminal::Read(size_t count, int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string bytes;
  while (bytes.size() < count) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) break;
    pollfd descriptor{master_, POLLIN, 0};
    if (poll(&descriptor, 1, static_cast<int>(left)) <= 0) continue;
    char chunk[4096];
    ssize_t n = read(master_, chunk, std::min(sizeof chunk, count - bytes.size()));
    if (n > 0) bytes.append(chunk, static_cast<size_t>(n));
    if (n < 0 && errno != EAGAIN && errno != EINTR) break;
  }
  return bytes;
}

std::string PseudoTerminal::ReadAvailable() {
  std::string bytes;
  char chunk[4096];
  ssize_t n;
  while ((n = read(master_, chunk, sizeof chunk)) > 0) bytes.append(chunk, static_cast<size_t>(n));
  return bytes;
}

void PseudoTerminal::Write(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else {
      pollfd descriptor{master_, POLLOUT, 0};
      if (poll(&descriptor, 1, 2000) <= 0) throw std::runtime_error("pseudo-terminal does not take bytes");
    }
  }
}

void MapComPort(int comNumber, const std::string& path) {
  setenv(("COM" + std::to_string(comNumber) + "_DEVICE").c_str(), path.c_str(), 1);
}
