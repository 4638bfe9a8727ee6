// A TCP listener on a loopback address (127.0.0.1 unless given) that accepts
// nothing itself: connects complete into its backlog.
#pragma once
#include <cstdint>

class LoopbackListener {
 public:
  explicit LoopbackListener(const char* address = "127.0.0.1", int backlog = 64);
  ~LoopbackListener();
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;

  uint16_t Port() const { return port_; }
  // Accepts one pending connection: its socket, -1 when none came in timeoutMs.
  int Accept(int timeoutMs);

 private:
  int fd_ = -1;
  uint16_t port_ = 0;
};

// A loopback port on which nothing listens (bound, then closed).
uint16_t UnusedLoopbackPort();
