// EthernetReceive over loopback TCP. A peer thread sends the input in pieces
// and then closes its side; each call must return exactly the next line the
// peer sent (LF included) into a destination of exactly 1024 bytes, or -1
// for a line over 1024 bytes (and the line after it comes intact), and -3
// once the peer has closed, with a part of a line dropped. On -1 and -3
// neither output is written.
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "ZUV_ETHERNET.h"
#include "fuzz_check.h"
#include "link_peer.h"

namespace {

constexpr size_t kDestinationSize = 1024;
constexpr size_t kLongestInput = 64 * 1024;
constexpr uint8_t kUntouched = 0xA5;
constexpr int32_t kLengthUntouched = -12345;

LoopbackListener* listener = nullptr;

// Sends the stream in pieces, then closes at once (no lingering connection
// state from one input to the next).
void sendAndClose(int peer, std::vector<uint8_t> stream, size_t piece) {
  for (size_t sent = 0; sent < stream.size();) {
    const ssize_t count =
        ::send(peer, stream.data() + sent, std::min(piece, stream.size() - sent), MSG_NOSIGNAL);
    if (count <= 0) break;
    sent += static_cast<size_t>(count);
  }
  ::shutdown(peer, SHUT_WR);
}

struct Received {
  int32_t result;
  int32_t length;
  std::vector<uint8_t> bytes;
};

Received receiveOne() {
  std::unique_ptr<uint8_t[]> destination(new uint8_t[kDestinationSize]);
  std::memset(destination.get(), kUntouched, kDestinationSize);
  int32_t length = kLengthUntouched;
  const int32_t result = EthernetReceive(destination.get(), &length);
  Received received{result, length, {}};
  if (result == 1) {
    require(length > 0 && static_cast<size_t>(length) <= kDestinationSize,
            "a line's length fits the destination");
    received.bytes.assign(destination.get(), destination.get() + length);
    return received;
  }
  require(length == kLengthUntouched, "a failed receive leaves the length");
  require(std::all_of(destination.get(), destination.get() + kDestinationSize,
                      [](uint8_t byte) { return byte == kUntouched; }),
          "a failed receive leaves the destination");
  return received;
}

void checkStream(const std::vector<uint8_t>& stream, size_t piece) {
  const int peer = ConnectLinkToPeer(*listener);
  std::thread sender(sendAndClose, peer, stream, piece);

  size_t lineStart = 0;
  for (;;) {
    const auto lf =
        std::find(stream.begin() + static_cast<std::ptrdiff_t>(lineStart), stream.end(), '\n');
    const Received received = receiveOne();
    if (lf == stream.end()) {
      require(received.result == -3, "after the last whole line: -3, the part of a line dropped");
      break;
    }
    const size_t lineEnd = static_cast<size_t>(lf - stream.begin()) + 1;
    if (lineEnd - lineStart > kDestinationSize) {
      require(received.result == -1, "a line over 1024 bytes is refused");
    } else {
      require(received.result == 1, "a whole line is received");
      require(std::equal(received.bytes.begin(), received.bytes.end(),
                         stream.begin() + static_cast<std::ptrdiff_t>(lineStart),
                         stream.begin() + static_cast<std::ptrdiff_t>(lineEnd)),
              "exactly the next line");
    }
    lineStart = lineEnd;
  }
  sender.join();
  const linger abortive{1, 0};
  ::setsockopt(peer, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
  ::close(peer);
  Closed_Ethernet();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  listener = new LoopbackListener;  // kept for the process
  return 0;
}

// Input: the piece size of the peer's sends, then what the peer sends.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  if (size < 1 || size > kLongestInput) return 0;
  checkStream(std::vector<uint8_t>(input + 1, input + size), 1 + input[0] * 8u);
  return 0;
}
