// A peer on loopback that the test steers byte by byte, for what the reader
// simulator will not do: stream without end, never read, cut lines anywhere.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "loopback_listener.h"

class RawPeer {
 public:
  RawPeer() = default;
  ~RawPeer();  // stops the stream, closes every connection
  RawPeer(const RawPeer&) = delete;
  RawPeer& operator=(const RawPeer&) = delete;

  uint16_t Port() const { return listener_.Port(); }
  // Takes the next connection made to Port(); later calls go to it. False
  // when none came within timeoutMs.
  bool Accept(int timeoutMs = 3000);
  // How many connections were taken.
  size_t Connections() const { return connections_.size(); }
  // Writes all of `bytes` to the latest connection.
  void Send(const std::string& bytes);
  // Writes `pieces` to the latest connection from a thread of its own,
  // `gapMs` apart.
  void SendInPieces(const std::vector<std::string>& pieces, int gapMs);
  // Writes `chunk` again and again (then `pauseMs`) to the latest connection
  // from a thread of its own, until StopStream or until `limitMs` passed.
  void StartStream(const std::string& chunk, int pauseMs, int limitMs);
  // Reads and drops whatever comes on every connection, taking new ones as
  // they come, until `done` holds: frees a writer that the peer blocked.
  void DrainUntil(const std::function<bool()>& done);
  // Ends the writing thread (a blocked write ends by shutting the connection
  // down) and waits for it.
  void StopStream();

 private:
  void startWriter(std::function<void(int fd)> write);

  LoopbackListener listener_;
  std::vector<int> connections_;
  std::atomic<bool> streaming_{false};  // the writer is to go on
  std::atomic<bool> writing_{false};    // the writer has not finished
  std::thread writer_;
};
