// The reply wait: 500 ms passes that sleep, run the host's message pump, watch
// the abort flag and the deadline, and collect reply bytes in recvBuf until a
// reply is complete.
#include <cstring>

#include "link_io.h"
#include "platform/message_pump.h"
#include "platform/tick.h"
#include "protocol_engine.h"

namespace {

constexpr char kLf = 0x0A;
constexpr char kEtx = 0x03;
constexpr char kEot = 0x04;
constexpr char kAck = 0x06;
constexpr char kNak = 0x15;

// Status digits and echo character open every reply to a line.
constexpr int kReplyHead = 3;

// A reply ends at LF, at ETX and one more byte, or at a lone EOT, ACK or NAK.
bool replyComplete(const char* buffer, int filled) {
  const char last = buffer[filled - 1];
  if (last == kLf || last == kEot || last == kAck || last == kNak) return true;
  return filled >= 2 && buffer[filled - 2] == kEtx;
}

// Drops the first line (all of the bytes when none has an LF); the bytes left.
int dropFirstLine(char* buffer, int filled) {
  const void* lf = std::memchr(buffer, kLf, static_cast<size_t>(filled));
  const int dropped = lf ? static_cast<int>(static_cast<const char*>(lf) - buffer) + 1 : filled;
  std::memmove(buffer, buffer + dropped, static_cast<size_t>(filled - dropped));
  return filled - dropped;
}

// Wrap-safe "deadline < now" for a tick count that wraps at 2^32.
bool deadlinePassed(uint32_t deadline, uint32_t now) {
  return static_cast<int32_t>(now - deadline) > 0;
}

}  // namespace

bool CheckDeadline(SessionRecord* session, uint32_t deadline) {
  platform::PumpMessages();
  if (session->aborted) return true;
  return deadlinePassed(deadline, platform::TickCount());
}

void WaitReply(SessionRecord* session, CoderRecord* record, int track) {
  char* buffer = session->recvBuf;
  int filled = 0;
  for (;;) {
    platform::PumpMessages();
    platform::SleepMs(kReplyPollMs);

    if (AbortFlags[session->portIndex].load() != 0) {
      send_msg(session, MSG_CANCEL, nullptr, track);
      session->aborted = 1;
      return;
    }
    if (CheckDeadline(session, session->deadline)) {
      mrw_state_machine(session, MRW_EV_TIMEOUT, nullptr, 0);
      return;
    }

    const int count = ReceiveFromLink(session, buffer + filled, kLineBufferSize - filled);
    if (count < 0) {
      // The transport failed: the step has no reply, whatever came before.
      session->lastResult = MRW_COMMERROR;
      return;
    }
    if (count == 0) continue;
    filled += count;

    // Replies to other lines are dropped one line at a time; what is left may
    // already hold the awaited reply, which must not wait for further bytes.
    while (filled > 0 && replyComplete(buffer, filled)) {
      // A reply shorter than status and echo answers no line (a stray line
      // end or handshake byte); the bytes behind it in the buffer are what
      // an earlier reply left and say nothing about this one.
      if (filled >= kReplyHead && buffer[2] - '0' == track) {
        const int status = (buffer[0] - '0') * 10 + (buffer[1] - '0');
        mrw_state_machine(session, status, record, track);
        return;
      }
      filled = dropFirstLine(buffer, filled);
    }
    if (filled >= kLineBufferSize) {
      // A full buffer and still no reply end: what came is not a reply.
      session->lastResult = MRW_RECEIVEERROR;
      return;
    }
  }
}
