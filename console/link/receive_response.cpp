#include <algorithm>
#include <cstring>

#include "link.h"
#include "platform/tick.h"
#include "receive_buffer.h"
#include "serial_session.h"

thread_local uint8_t ReceiveBuffer[kLinkBufferSize];
thread_local int ReceiveLength = 0;
thread_local uint32_t ReceiveStamp = 0;
thread_local uint32_t ReceiveBeganAt = 0;
thread_local bool ReceiveMissing = false;

namespace {

constexpr uint8_t kFrameStart = 0x60;
constexpr uint8_t kLineEnd = '\n';
// The frame's start byte and its two-byte count come before its data.
constexpr int kFrameHeader = 3;

// What one reply read off the serial port amounts to.
enum class SerialReply { Whole, Escaped, TimedOut };

// Reads one reply into ReceiveBuffer, one byte at a time so that the bytes
// of a following reply stay queued for the next callback.
//
// Before the first byte: Esc or ReceiveTimeoutMs end the wait. After it, a
// reply must keep coming: ReceiveTimeoutMs without a further byte abandons it
// as timed out, so a reader that stops mid-reply cannot hold the receive
// thread. Nor can one that never stops: the reply must be whole
// WholeReplyTimeoutMs after its first byte (noise before a frame may last
// ReceiveTimeoutMs), and closing the port ends it, all checked at every
// byte. A reply longer than ReceiveBuffer is read on to its end (LF, or the
// frame's count) and dropped as timed out: the caller gets either a whole
// reply or none. A command that goes out while a reply is being read and
// drops the unread input (no command was owed that reply) purges what is left
// of it: the bytes after it begin the new command's answer, so the reply
// starts over with them.
SerialReply readSerialReply(bool binaryFrame) {
  std::shared_ptr<SerialSession> session = CurrentSerialSession();
  if (!session) return SerialReply::TimedOut;  // the port is being closed
  std::memset(ReceiveBuffer, 0, sizeof ReceiveBuffer);
  ReceiveLength = 0;
  const uint32_t start = platform::TickCount();
  uint32_t firstByteAt = start;
  uint32_t lastByteAt = start;
  int replyLength = 0;  // bytes of the reply, stored or dropped past the buffer
  int frameCount = 0;
  uint32_t replyPurges = 0;

  for (;;) {
    uint8_t byte = 0;
    InputMark mark;
    const int got = ReadSerialInput(*session, &byte, 1, &mark);
    if (got < 0) return SerialReply::TimedOut;  // the device is gone
    if (got == 0) {
      uint32_t left;
      if (replyLength == 0) {
        if (CheckEscape()) return SerialReply::Escaped;
        left = platform::TicksLeft(start, ReceiveTimeoutMs);
      } else {
        left = platform::TicksLeft(lastByteAt, ReceiveTimeoutMs);
      }
      if (left == 0) return SerialReply::TimedOut;
      const int sliceMs = static_cast<int>(std::min<uint32_t>(left, platform::kWaitSliceMs));
      const InputWait wait = WaitForSerialInput(session.get(), sliceMs);
      if (wait == InputWait::Closing || wait == InputWait::DeviceGone) return SerialReply::TimedOut;
      continue;
    }

    if (!session->ReceiveThreadRun.load()) return SerialReply::TimedOut;  // the port is closing
    if (replyLength > 0 && mark.purges != replyPurges) {
      std::memset(ReceiveBuffer, 0, sizeof ReceiveBuffer);
      ReceiveLength = 0;
      replyLength = 0;
    }
    const uint32_t now = platform::TickCount();
    if (binaryFrame && replyLength == 0 && byte != kFrameStart) {
      // Noise before a frame: no reply has begun, and none may begin later
      // than the first byte of one would have to.
      if (now - start >= static_cast<uint32_t>(ReceiveTimeoutMs)) return SerialReply::TimedOut;
      continue;
    }
    lastByteAt = now;
    if (replyLength == 0) {
      firstByteAt = now;
      ReceiveStamp = mark.sent;
      ReceiveBeganAt = now;
      replyPurges = mark.purges;
    }
    if (now - firstByteAt >= static_cast<uint32_t>(WholeReplyTimeoutMs)) {
      return SerialReply::TimedOut;
    }
    if (ReceiveLength < kLinkBufferSize) ReceiveBuffer[ReceiveLength++] = byte;
    ++replyLength;
    if (binaryFrame) {
      if (replyLength == kFrameHeader) frameCount = ReceiveBuffer[1] * 256 + ReceiveBuffer[2];
      if (replyLength > kFrameHeader && replyLength >= frameCount) break;
    } else if (byte == kLineEnd) {
      break;
    }
  }
  return replyLength > ReceiveLength ? SerialReply::TimedOut : SerialReply::Whole;
}

// Copies bytes and closes them with a NUL; `text` has room for
// kLinkBufferSize bytes and the NUL.
void deliver(char* text, const uint8_t* bytes, int count) {
  if (!text) return;
  std::memcpy(text, bytes, static_cast<size_t>(count));
  text[count] = '\0';
}

int textLength() {
  const void* nul = std::memchr(ReceiveBuffer, 0, static_cast<size_t>(ReceiveLength));
  return nul ? static_cast<int>(static_cast<const uint8_t*>(nul) - ReceiveBuffer) : ReceiveLength;
}

int receiveSerial(char* text, int* status) {
  const bool binaryFrame = FramingMode.load() == 1;
  switch (readSerialReply(binaryFrame)) {
    case SerialReply::Escaped:
      return -1;
    case SerialReply::TimedOut:
      return -3;
    case SerialReply::Whole:
      break;
  }
  if (binaryFrame) {
    // A reply frame carries no status; only its data is handed on.
    deliver(text, ReceiveBuffer + kFrameHeader, ReceiveLength - kFrameHeader);
    return 1;
  }
  if (status && ReceiveLength >= 2) *status = StatusCodeOf(reinterpret_cast<const char*>(ReceiveBuffer));
  deliver(text, ReceiveBuffer, textLength());
  return 1;
}

int receiveEthernet(char* text, int* status) {
  if (ReceiveMissing) return -3;
  // EthernetTransact has already put the line into this thread's buffer.
  if (status) *status = StatusCodeOf(reinterpret_cast<const char*>(ReceiveBuffer));
  deliver(text, ReceiveBuffer, textLength());
  return 1;
}

}  // namespace

int ReceiveResponse(char* text, int* status) {
  switch (LinkMode.load()) {
    case LINK_SERIAL:
      return receiveSerial(text, status);
    case LINK_ETHERNET:
      return receiveEthernet(text, status);
    default:
      return 0;  // only a receive thread that is just ending gets here
  }
}
