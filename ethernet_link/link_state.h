// The library's one connection, process-wide, used without locks: the calls
// are made from one thread at a time (the console's UI thread).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace ethernetlink {

// LinkSocket's value while there is no socket: never connected, or closed.
// Closing sets it, so a descriptor number is never closed twice (the number
// may by then belong to someone else) and a later send fails cleanly.
constexpr int kNoSocket = -1;

extern int LinkSocket;
extern std::string LinkHost;  // address text of the last Connect_Ethernet
extern int32_t LinkPort;      // port of the last Connect_Ethernet; 3001 at start

// A send during which no byte is taken for this long (platform tick count)
// has failed, and so has the reconnect of a send that is not made in as long.
constexpr uint32_t kSendBoundMs = 5000;

// The longest reply line handed over, LF included.
constexpr size_t kLineBufferSize = 1024;

// Bytes read from LinkSocket but not yet handed over: the receive reads in
// blocks, and what follows the LF of one line waits here for the next call.
// Dropped with the socket, so a new connection starts clean, and before every
// send, so that the next reply read is the command's own.
struct PendingInput {
  static constexpr size_t kCapacity = 8192;
  uint8_t bytes[kCapacity];
  size_t count = 0;
  // A line grew past kLineBufferSize: its bytes up to its LF are dropped.
  bool droppingOverlongLine = false;
};
extern PendingInput Pending;

// When the last send on this connection went out: the wait for its reply,
// over however many receive calls, ends kReceiveBoundMs after it. None yet on
// a new connection (a receive then waits kReceiveBoundMs from its own start).
constexpr uint32_t kReceiveBoundMs = 90000;
struct LastSendMark {
  bool made = false;
  uint32_t at = 0;
};
extern LastSendMark LastSend;

// Has the bytes read so far acknowledged at once instead of with the next
// send. A reader's stack holds a small segment back until the one before it
// is acknowledged: a line it sends unasked after a reply would otherwise
// come only with the next command, and push every later reply one command
// behind. The system turns this off again by itself, so it follows every read.
void acknowledgeAtOnce();

// Closes LinkSocket if there is one: 0 closed, -1 there was none or the close
// failed. LinkSocket is kNoSocket, Pending empty and no send made afterwards
// either way.
int closeLinkSocket();

// A new socket connected to LinkHost and LinkPort, in LinkSocket; shows
// "socket() failed" / "connect() failed". True when connected. Unbounded, the
// wait for the connection is the system's own; bounded, a connection not made
// within kSendBoundMs has failed.
bool connectLinkSocket(bool bounded);

// connectLinkSocket, bounded, without a result: the send path's reconnect.
void ReconnectEthernet();

// Shows `text` in the modal message box; returns once it was acknowledged.
void ShowLinkError(const char* text);

}  // namespace ethernetlink
