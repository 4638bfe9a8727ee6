// The serving thread: one poll() over the wake-up pipe, the listeners, the
// pseudo-terminal masters and the TCP clients. Descriptors handed in by
// StartPty/StartTcp and bytes for SendRaw wait under ioMutex until the thread
// takes them over; everything else here belongs to the thread alone.
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

#include "sim_impl.h"

namespace readersim {
namespace {

constexpr int kWriteStallLimitMs = 2000;  // a peer that takes nothing for this long is dropped
constexpr int kWriteWaitSliceMs = 50;

}  // namespace

void ReaderSim::Impl::StartServing() {
  if (pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  thread = std::thread([this] { Serve(); });
}

void ReaderSim::Impl::StopServing() {
  {
    std::lock_guard<std::mutex> lock(ioMutex);
    if (stopping) return;
    stopping = true;
  }
  ioChanged.notify_all();
  Wake();
  if (thread.joinable()) thread.join();
}

ReaderSim::Impl::~Impl() {
  // Closed only here: a Wake() after Stop must not write to a reused number.
  for (int fd : wakePipe) {
    if (fd >= 0) ::close(fd);
  }
}

void ReaderSim::Impl::Wake() {
  if (wakePipe[1] < 0) return;
  char byte = 1;
  // A full pipe already holds a wake-up; nothing is lost when this fails.
  [[maybe_unused]] ssize_t n = ::write(wakePipe[1], &byte, 1);
}

void ReaderSim::Impl::Serve() {
  std::vector<pollfd> fds;
  for (;;) {
    adoptNewEndpoints();
    {
      std::lock_guard<std::mutex> lock(ioMutex);
      if (stopping) break;
    }
    fds.clear();
    fds.push_back({wakePipe[0], POLLIN, 0});
    for (int listener : listeners) fds.push_back({listener, POLLIN, 0});
    for (const Peer& peer : peers) fds.push_back({peer.fd, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents) {
      char drain[64];
      while (::read(wakePipe[0], drain, sizeof drain) > 0) {
      }
    }
    size_t index = 1;
    for (int listener : listeners) {
      if (fds[index++].revents) acceptClients(listener);
    }
    flushOutbox();
    // Peers accepted above have no entry in `fds`; they are polled next round.
    size_t polledPeers = fds.size() - index;
    for (size_t i = 0; i < polledPeers; ++i) {
      if (fds[index + i].revents) readPeer(peers[i]);
    }
    for (auto it = peers.begin(); it != peers.end();) {
      if (it->closed) {
        ::close(it->fd);
        it = peers.erase(it);
      } else {
        ++it;
      }
    }
  }
  closeAll();
}

void ReaderSim::Impl::adoptNewEndpoints() {
  std::lock_guard<std::mutex> lock(ioMutex);
  listeners.insert(listeners.end(), newListeners.begin(), newListeners.end());
  newListeners.clear();
  for (const auto& [master, slave] : newPtys) {
    Peer peer;
    peer.fd = master;
    peers.push_back(std::move(peer));
    heldPtySlaves.push_back(slave);
  }
  newPtys.clear();
}

void ReaderSim::Impl::acceptClients(int listener) {
  for (;;) {
    int fd = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    Peer peer;
    peer.fd = fd;
    peer.socket = true;
    peer.connection = nextConnection++;
    peers.push_back(std::move(peer));
  }
}

void ReaderSim::Impl::flushOutbox() {
  std::vector<std::string> pending;
  {
    std::lock_guard<std::mutex> lock(ioMutex);
    pending.swap(outbox);
  }
  if (pending.empty()) return;
  // Every endpoint started before SendRaw was called, and every client whose
  // connect has completed (it sits in the backlog until accepted), gets the
  // bytes too: take them in first.
  adoptNewEndpoints();
  for (int listener : listeners) acceptClients(listener);
  for (const std::string& bytes : pending) {
    for (Peer& peer : peers) {
      if (!peer.closed) deliver(peer, bytes);
    }
  }
  {
    std::lock_guard<std::mutex> lock(ioMutex);
    outboxWritten += pending.size();
  }
  ioChanged.notify_all();
}

void ReaderSim::Impl::readPeer(Peer& peer) {
  char buffer[4096];
  ssize_t n = peer.socket ? ::recv(peer.fd, buffer, sizeof buffer, 0)
                          : ::read(peer.fd, buffer, sizeof buffer);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (n <= 0) {
    // The pseudo-terminal never ends this way while its slave is held open.
    peer.closed = true;
    return;
  }
  std::vector<Request> received;
  peer.parser.Feed(buffer, static_cast<size_t>(n), received);
  for (Request& request : received) {
    if (peer.closed) break;
    answer(peer, request);
  }
}

void ReaderSim::Impl::answer(Peer& peer, Request& request) {
  request.connection = peer.connection;
  Answer decided = Decide(request, peer.socket);
  if (decided.drop) {
    peer.closed = true;
    return;
  }
  Reply reply = decided.handler ? decided.handler(request) : decided.reply;
  const std::string replyBytes = EncodeReply(reply);
  if (replyBytes.empty()) return;
  std::string bytes = decided.faults.garbageBefore + replyBytes;
  std::vector<std::pair<std::string, int>> laterLines;
  for (const auto& [line, gapMs] : decided.extraLines) {
    const std::string lineBytes = line.empty() ? replyBytes : line + "\n";
    if (gapMs > 0) {
      laterLines.emplace_back(lineBytes, gapMs);
    } else {
      bytes += lineBytes;
    }
  }
  // Paused here, on the serving thread, like a busy reader: nothing more is
  // read from any peer until this reply has gone out.
  if (!pause(decided.faults.delayMs) || !pause(decided.lateMs)) return;
  size_t pieces = static_cast<size_t>(std::max(1, decided.faults.splitPieces));
  size_t pieceSize = (bytes.size() + pieces - 1) / pieces;
  for (size_t offset = 0; offset < bytes.size(); offset += pieceSize) {
    if (offset != 0 && !pause(decided.faults.splitGapMs)) return;
    if (!deliver(peer, bytes.substr(offset, pieceSize))) return;
  }
  for (const auto& [lineBytes, gapMs] : laterLines) {
    if (!pause(gapMs) || !deliver(peer, lineBytes)) return;
  }
}

bool ReaderSim::Impl::pause(int ms) {
  std::unique_lock<std::mutex> lock(ioMutex);
  if (ms > 0) ioChanged.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping; });
  return !stopping;
}

bool ReaderSim::Impl::deliver(Peer& peer, const std::string& bytes) {
  if (writeAll(peer, bytes)) return true;
  // A TCP client that fails a write is gone. The pseudo-terminal stays: its
  // bytes are lost when nobody reads the slave, as on a real line.
  if (peer.socket) peer.closed = true;
  return false;
}

bool ReaderSim::Impl::writeAll(Peer& peer, const std::string& bytes) {
  size_t done = 0;
  int stalledMs = 0;
  while (done < bytes.size()) {
    ssize_t n = peer.socket ? ::send(peer.fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL)
                            : ::write(peer.fd, bytes.data() + done, bytes.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
      stalledMs = 0;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) return false;
    if (stalledMs >= kWriteStallLimitMs || !pause(0)) return false;
    pollfd writable{peer.fd, POLLOUT, 0};
    ::poll(&writable, 1, kWriteWaitSliceMs);
    stalledMs += kWriteWaitSliceMs;
  }
  return true;
}

void ReaderSim::Impl::closeAll() {
  adoptNewEndpoints();
  for (int fd : listeners) ::close(fd);
  for (const Peer& peer : peers) ::close(peer.fd);
  for (int fd : heldPtySlaves) ::close(fd);
  listeners.clear();
  peers.clear();
  heldPtySlaves.clear();
  {
    std::lock_guard<std::mutex> lock(ioMutex);
    outbox.clear();
  }
  ioChanged.notify_all();
}

}  // namespace readersim
