// Not a test: times command-and-reply round trips through the link library
// against a bare blocking socket that sends the same line and reads it back,
// both to the same echo peer on loopback, for short and long reply lines.
// Prints microseconds per round trip and the library's ratio to the bare
// socket, then the CPU time of a receive that waits a second for its line.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "ZUV_ETHERNET.h"
#include "loopback_listener.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 9;             // batches of each kind, interleaved
constexpr int kTripsPerRound = 4000;

// Echoes every byte of every connection back, one thread per connection.
class EchoPeer {
 public:
  EchoPeer() {
    acceptor_ = std::thread([this] {
      while (running_) {
        const int fd = listener_.Accept(50);
        if (fd >= 0) echoers_.emplace_back([fd] { echo(fd); });
      }
    });
  }
  ~EchoPeer() {
    running_ = false;
    acceptor_.join();
    for (std::thread& echoer : echoers_) echoer.join();  // ended by the clients' close
  }
  uint16_t Port() const { return listener_.Port(); }

 private:
  static void echo(int fd) {
    char buffer[65536];
    for (;;) {
      const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      for (ssize_t sent = 0; sent < got;) {
        const ssize_t n = ::send(fd, buffer + sent, static_cast<size_t>(got - sent), MSG_NOSIGNAL);
        if (n <= 0) break;
        sent += n;
      }
    }
    ::close(fd);
  }

  LoopbackListener listener_;
  std::atomic<bool> running_{true};
  std::thread acceptor_;
  std::vector<std::thread> echoers_;
};

int bareConnect(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  ::inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    std::perror("connect");
    std::exit(1);
  }
  return fd;
}

// One round trip on the bare socket: send the line, read until its LF.
bool bareTrip(int fd, const std::string& line, char* buffer) {
  if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size())) return false;
  size_t got = 0;
  while (got < line.size()) {
    const ssize_t n = ::recv(fd, buffer + got, line.size() - got, 0);
    if (n <= 0) return false;
    got += static_cast<size_t>(n);
  }
  return buffer[got - 1] == '\n';
}

bool libraryTrip(const std::string& line, uint8_t* buffer) {
  EthernetCommandSend(reinterpret_cast<const uint8_t*>(line.data()), static_cast<int32_t>(line.size()));
  int32_t length = 0;
  return EthernetReceive(buffer, &length) == 1 && length == static_cast<int32_t>(line.size());
}

template <typename Trip>
double microsecondsPerTrip(Trip trip) {
  const auto start = Clock::now();
  for (int i = 0; i < kTripsPerRound; ++i) {
    if (!trip()) {
      std::fprintf(stderr, "round trip failed\n");
      std::exit(1);
    }
  }
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kTripsPerRound;
}

double threadCpuMs() {
  rusage usage{};
  ::getrusage(RUSAGE_THREAD, &usage);
  return usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3 + usage.ru_stime.tv_sec * 1e3 +
         usage.ru_stime.tv_usec / 1e3;
}

// A receive whose line comes only after `delayMs`: wall and CPU time.
void timeQuietWait(int delayMs) {
  LoopbackListener quiet;
  if (Connect_Ethernet("127.0.0.1", quiet.Port()) != 1) std::exit(1);
  const int fd = quiet.Accept(3000);
  std::thread answer([fd, delayMs] {
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    ::send(fd, "001\r\n", 5, MSG_NOSIGNAL);
  });
  uint8_t buffer[1024];
  int32_t length = 0;
  const double cpuBefore = threadCpuMs();
  const auto start = Clock::now();
  const int32_t result = EthernetReceive(buffer, &length);
  const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  const double cpuMs = threadCpuMs() - cpuBefore;
  answer.join();
  ::close(fd);
  std::printf("quiet wait: result %d after %.0f ms, %.2f ms CPU\n", result, wallMs, cpuMs);
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main() {
  EchoPeer peer;
  if (Connect_Ethernet("127.0.0.1", peer.Port()) != 1) return 1;
  const int bare = bareConnect(peer.Port());
  std::vector<char> bareBuffer(2048);
  uint8_t libraryBuffer[1024];

  std::printf("line bytes  library us/trip  bare socket us/trip  ratio\n");
  for (size_t size : {size_t{16}, size_t{271}}) {
    std::string line(size - 2, '7');
    line.replace(0, 3, "001");
    line += "\r\n";
    std::vector<double> library;
    std::vector<double> socket;
    for (int round = 0; round < kRounds; ++round) {
      library.push_back(microsecondsPerTrip([&] { return libraryTrip(line, libraryBuffer); }));
      socket.push_back(microsecondsPerTrip([&] { return bareTrip(bare, line, bareBuffer.data()); }));
    }
    const double libraryUs = median(library);
    const double socketUs = median(socket);
    std::printf("%10zu  %15.2f  %19.2f  %5.2f\n", size, libraryUs, socketUs, libraryUs / socketUs);
  }
  ::close(bare);
  timeQuietWait(1000);
  Closed_Ethernet();
  return 0;
}
