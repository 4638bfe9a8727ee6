// The other end of the simulator in tests: a loopback TCP client or the
// pseudo-terminal slave, with reads bounded by a time-out.
#pragma once
#include <cstdint>
#include <string>

namespace simtest {

class PeerClient {
 public:
  ~PeerClient();
  bool ConnectTcp(uint16_t port);
  bool OpenPty(const std::string& path);
  bool Send(const std::string& bytes);
  // Reads until `bytes` bytes arrived, the peer closed, or timeoutMs passed.
  std::string ReadBytes(size_t bytes, int timeoutMs);
  // Reads up to and including the first LF (or what came before a time-out).
  std::string ReadLine(int timeoutMs);
  // True once the peer has closed the connection within timeoutMs.
  bool WaitClosed(int timeoutMs);

 private:
  // -1 error, 0 time-out, 1 one byte in `byte`, 2 peer closed
  int readByte(char& byte, int timeoutMs);
  int fd_ = -1;
};

}  // namespace simtest
