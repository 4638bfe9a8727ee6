// A simulated card reader for tests and demos. It serves the reader's command
// lines (prefix, data, CR LF; answered "SS" + echo + payload + LF) and binary
// frames (0x60, length, CRC-16, data, check byte; answered with a binary reply
// frame) on a pseudo-terminal and on a loopback TCP port. Every request is
// recorded; faults can be asked for per command prefix or for the next reply.
// Thread-safe: tests drive it from their own thread while it serves.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace readersim {

// One request as the reader saw it.
struct Request {
  bool binary = false;      // a BinaryFrame (payload in `data`) rather than a line
  std::string line;         // a text line without its CR LF ("201", "080B", ...)
  std::string data;         // frame payload (binary) or line bytes after the prefix
};

// What a handler wants sent back.
struct Reply {
  bool silent = false;      // send nothing
  bool binary = false;      // a binary reply frame carrying `payload`
  int status = 0;           // text replies: two status digits
  char echo = '0';          // text replies: the echo character
  std::string payload;      // text after the echo (no LF), or frame data
};

struct Faults {
  int delayMs = 0;              // before every reply
  int splitPieces = 1;          // replies go out in this many writes ...
  int splitGapMs = 0;           // ... with this pause between them
  bool silent = false;          // answer nothing at all
  std::string garbageBefore;    // bytes written before every reply
  bool dropConnection = false;  // TCP: close the client after reading the next request
};

class ReaderSim {
 public:
  ReaderSim();
  ~ReaderSim();
  ReaderSim(const ReaderSim&) = delete;
  ReaderSim& operator=(const ReaderSim&) = delete;

  // Opens a pseudo-terminal and serves its master side; returns the slave path.
  std::string StartPty();
  // Listens on 127.0.0.1 (port 0 picks a free one); returns the port.
  uint16_t StartTcp(uint16_t port = 0);
  void Stop();

  void SetFaults(const Faults& faults);
  Faults GetFaults() const;
  // Answers every line whose prefix (first three characters, or two for the
  // two-digit prefixes) is `prefix` with `status` instead of the normal reply.
  void SetStatusFor(const std::string& prefix, int status);
  void ClearStatusOverrides();

  // Replaces (or adds) the handling of lines that start with `prefix`;
  // the longest matching prefix wins.
  using Handler = std::function<Reply(const Request&)>;
  void SetHandler(const std::string& prefix, Handler handler);
  // Handling of binary frames (default: echo 'A' + payload length as a reply frame).
  void SetFrameHandler(Handler handler);

  // Writes raw bytes to every connected peer (pty and TCP clients).
  void SendRaw(const std::string& bytes);

  std::vector<Request> Requests() const;
  void ClearRequests();
  // Blocks until at least `count` requests were recorded or timeoutMs passes.
  bool WaitForRequests(size_t count, int timeoutMs) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace readersim
