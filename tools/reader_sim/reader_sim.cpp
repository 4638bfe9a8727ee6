#include "reader_sim.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "command_table.h"
#include "sim_impl.h"

namespace readersim {
namespace {

constexpr int kUnidentifiedStatus = 5;  // "command unidentified"

bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The entry whose key is the longest prefix of `line`, or end().
template <typename Map>
typename Map::const_iterator longestPrefixEntry(const Map& map, const std::string& line) {
  auto best = map.end();
  for (auto it = map.begin(); it != map.end(); ++it) {
    if (startsWith(line, it->first) && (best == map.end() || it->first.size() > best->first.size())) {
      best = it;
    }
  }
  return best;
}

int openPtyMaster(std::string& slavePath, int& heldSlave) {
  int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) return -1;
  char path[128];
  if (::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::ptsname_r(master, path, sizeof path) != 0) {
    ::close(master);
    return -1;
  }
  // Holding the slave open keeps the master from reporting a hang-up while no
  // client has it open, and lets us make it raw before the first client comes.
  heldSlave = ::open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios settings{};
  if (heldSlave < 0 || ::tcgetattr(heldSlave, &settings) != 0) {
    if (heldSlave >= 0) ::close(heldSlave);
    ::close(master);
    return -1;
  }
  ::cfmakeraw(&settings);
  ::tcsetattr(heldSlave, TCSANOW, &settings);
  ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
  slavePath = path;
  return master;
}

int openListener(uint16_t& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 16) != 0 ||
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    ::close(fd);
    return -1;
  }
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

bool ReaderSim::Impl::fireReplyFaults(const Request& request, Answer& answer) {
  bool dropReply = false;
  for (auto it = replyFaults.begin(); it != replyFaults.end();) {
    const ReplyFault& fault = it->fault;
    bool matches = request.binary ? fault.prefix.empty() : startsWith(request.line, fault.prefix);
    if (!matches || ++it->matched < fault.nth) {
      ++it;
      continue;
    }
    if (fault.kind == ReplyFault::Drop) dropReply = true;
    if (fault.kind == ReplyFault::Delay) answer.lateMs = std::max(answer.lateMs, fault.delayMs);
    if (fault.kind == ReplyFault::Extra) answer.extraLines.emplace_back(fault.extraLine, fault.extraGapMs);
    it = replyFaults.erase(it);
  }
  return dropReply;
}

Answer ReaderSim::Impl::Decide(const Request& request, bool fromSocket) {
  std::lock_guard<std::mutex> lock(mutex);
  requests.push_back(request);
  requestsChanged.notify_all();

  Answer answer;
  answer.faults = faults;
  bool dropReply = fireReplyFaults(request, answer);
  if (fromSocket && faults.dropConnection) {
    faults.dropConnection = false;
    answer.drop = true;
    return answer;
  }
  if (faults.silent || dropReply) {
    answer.reply.silent = true;
  } else if (request.binary) {
    if (request.frameError) {
      answer.reply = FrameReply("E");
    } else {
      answer.handler = frameHandler;
    }
  } else if (auto status = longestPrefixEntry(statusOverrides, request.line); status != statusOverrides.end()) {
    answer.reply = TextReply(request, status->second);
  } else if (auto handler = longestPrefixEntry(handlers, request.line); handler != handlers.end()) {
    answer.handler = handler->second;
  } else {
    answer.reply = TextReply(request, request.prefix.empty() ? kUnidentifiedStatus : 0);
  }
  return answer;
}

ReaderSim::ReaderSim() : impl_(std::make_unique<Impl>()) {
  impl_->frameHandler = [](const Request&) { return FrameReply("A"); };
  InstallDefaultHandlers(*this);
  impl_->StartServing();
}

ReaderSim::~ReaderSim() { Stop(); }

std::string ReaderSim::StartPty() {
  std::string slavePath;
  int heldSlave = -1;
  int master = openPtyMaster(slavePath, heldSlave);
  if (master < 0) return "";
  {
    std::lock_guard<std::mutex> lock(impl_->ioMutex);
    if (impl_->stopping) {
      ::close(heldSlave);
      ::close(master);
      return "";
    }
    impl_->newPtys.emplace_back(master, heldSlave);
  }
  impl_->Wake();
  return slavePath;
}

uint16_t ReaderSim::StartTcp(uint16_t port) {
  int listener = openListener(port);
  if (listener < 0) return 0;
  {
    std::lock_guard<std::mutex> lock(impl_->ioMutex);
    if (impl_->stopping) {
      ::close(listener);
      return 0;
    }
    impl_->newListeners.push_back(listener);
  }
  impl_->Wake();
  return port;
}

void ReaderSim::Stop() { impl_->StopServing(); }

void ReaderSim::SetFaults(const Faults& faults) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->faults = faults;
}

Faults ReaderSim::GetFaults() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->faults;
}

void ReaderSim::SetStatusFor(const std::string& prefix, int status) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->statusOverrides[prefix] = status;
}

void ReaderSim::ClearStatusOverrides() {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->statusOverrides.clear();
}

bool ReaderSim::AddReplyFault(const ReplyFault& fault) {
  if (fault.nth < 1 || fault.delayMs < 0) return false;
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->replyFaults.push_back({fault});
  return true;
}

void ReaderSim::ClearReplyFaults() {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->replyFaults.clear();
}

void ReaderSim::SetHandler(const std::string& prefix, Handler handler) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->handlers[prefix] = std::move(handler);
}

void ReaderSim::SetFrameHandler(Handler handler) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->frameHandler = std::move(handler);
}

Card& ReaderSim::CardState() { return impl_->card; }

void ReaderSim::SendRaw(const std::string& bytes) {
  std::unique_lock<std::mutex> lock(impl_->ioMutex);
  if (impl_->stopping) return;
  impl_->outbox.push_back(bytes);
  unsigned long ticket = ++impl_->outboxQueued;
  impl_->Wake();
  impl_->ioChanged.wait(lock, [&] { return impl_->outboxWritten >= ticket || impl_->stopping; });
}

std::vector<Request> ReaderSim::Requests() const {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  return impl_->requests;
}

void ReaderSim::ClearRequests() {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->requests.clear();
}

bool ReaderSim::WaitForRequests(size_t count, int timeoutMs) const {
  std::unique_lock<std::mutex> lock(impl_->mutex);
  return impl_->requestsChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                         [&] { return impl_->requests.size() >= count; });
}

}  // namespace readersim
