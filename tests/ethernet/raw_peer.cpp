#include "raw_peer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace {

bool writeAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

RawPeer::~RawPeer() {
  StopStream();
  for (int fd : connections_) ::close(fd);
}

bool RawPeer::Accept(int timeoutMs) {
  const int fd = listener_.Accept(timeoutMs);
  if (fd < 0) return false;
  connections_.push_back(fd);
  return true;
}

void RawPeer::Send(const std::string& bytes) {
  if (!connections_.empty()) writeAll(connections_.back(), bytes);
}

void RawPeer::startWriter(std::function<void(int fd)> write) {
  StopStream();
  const int fd = connections_.empty() ? -1 : connections_.back();
  streaming_ = true;
  writing_ = true;
  writer_ = std::thread([this, fd, write] {
    write(fd);
    writing_ = false;
  });
}

void RawPeer::SendInPieces(const std::vector<std::string>& pieces, int gapMs) {
  startWriter([this, pieces, gapMs](int fd) {
    for (const std::string& piece : pieces) {
      if (!streaming_ || !writeAll(fd, piece)) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
    }
  });
}

void RawPeer::StartStream(const std::string& chunk, int pauseMs, int limitMs) {
  startWriter([this, chunk, pauseMs, limitMs](int fd) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (streaming_ && std::chrono::steady_clock::now() < end && writeAll(fd, chunk)) {
      if (pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
  });
}

void RawPeer::DrainUntil(const std::function<bool()>& done) {
  char sink[65536];
  while (!done()) {
    Accept(10);
    for (int fd : connections_) {
      while (::recv(fd, sink, sizeof sink, MSG_DONTWAIT) > 0) {
      }
    }
  }
}

void RawPeer::StopStream() {
  if (!writer_.joinable()) return;
  streaming_ = false;
  // A write blocked on a full connection ends only when it is shut down.
  if (writing_ && !connections_.empty()) ::shutdown(connections_.back(), SHUT_WR);
  writer_.join();
}
