// A TCP listener on 127.0.0.1 that accepts nothing itself: connects complete
// into its backlog. For tests that need sessions, not replies.
#pragma once
#include <cstdint>

class LoopbackListener {
 public:
  LoopbackListener();
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
