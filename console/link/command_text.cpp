#include <algorithm>
#include <cstring>

#include "answer_start.h"
#include "command_count.h"
#include "link.h"

// The command layer runs on the UI thread only: one command is built and sent
// at a time, so its buffers need no lock.
namespace {

uint8_t PrefixBuffer[kLinkBufferSize];
uint8_t SendBuffer[kLinkBufferSize];
int SendLength = 0;
uint8_t FrameBuffer[kLinkBufferSize];
int FrameLength = 0;

constexpr uint8_t LineEnd[] = {'\r', '\n'};
constexpr int kLineEndLength = sizeof LineEnd;
// Every command keeps a NUL behind its last byte.
constexpr int kLongestCommand = kLinkBufferSize - 1;
constexpr uint8_t kFrameStart = 0x60;
// Start byte, length field, CRC and check byte around a frame's payload.
constexpr int kFrameOverhead = 6;

// A command too long for SendBuffer is refused whole rather than cut.
bool fitsSendBuffer(long long bytes) { return bytes <= kLongestCommand; }

void appendToSendBuffer(const uint8_t* bytes, int count) {
  std::memcpy(SendBuffer + SendLength, bytes, static_cast<size_t>(count));
  SendLength += count;
}

void appendToFrame(uint8_t byte) { FrameBuffer[FrameLength++] = byte; }

// After a write on serial: 1 once the reader began to answer, -3 after
// StartOfAnswerTimeoutMs without a byte.
int waitForStartOfAnswer() { return WaitForAnswerStart(StartOfAnswerTimeoutMs); }

// Builds the BinaryFrame around `data` and sends it.
int sendFrame(const uint8_t* data, int length) {
  std::memset(FrameBuffer, 0, sizeof FrameBuffer);
  FrameLength = 0;
  if (length > kLongestCommand - kFrameOverhead) {
    SendLength = 0;
    return -1;
  }

  const unsigned lengthField = static_cast<unsigned>(length + 2) & 0xFFFF;
  appendToFrame(kFrameStart);
  appendToFrame(static_cast<uint8_t>(lengthField >> 8));
  appendToFrame(static_cast<uint8_t>(lengthField & 0xFF));
  const uint16_t crc = CalcCrc16(data, length);
  appendToFrame(static_cast<uint8_t>(crc >> 8));
  appendToFrame(static_cast<uint8_t>(crc & 0xFF));
  if (length > 0) {
    std::memcpy(FrameBuffer + FrameLength, data, static_cast<size_t>(length));
    FrameLength += length;
  }
  appendToFrame(CalcXorCheck(FrameBuffer, FrameLength));
  FrameBuffer[FrameLength] = 0;

  const int written = SendCommandCode(CMD_RAW_FRAME, FrameBuffer, FrameLength);
  switch (LinkMode.load()) {
    case LINK_ETHERNET:
      // The reader answers a frame with a binary frame, not a line, so the
      // line receive's result says nothing about the frame; a frame that
      // could not go out even after the reconnect has failed.
      return written == 0 ? 0 : 1;
    case LINK_SERIAL:
      if (FramingMode.load() == 1) return written;
      return waitForStartOfAnswer();
    default:
      return 0;
  }
}

}  // namespace

int ClearSendBuffer() {
  std::memset(SendBuffer, 0, sizeof SendBuffer);
  return 0;
}

void BuildCommandText(const char* prefix, int prefixLength, const uint8_t* data, int length) {
  ClearSendBuffer();
  SendLength = 0;
  // Only the bytes that are really appended count against the buffer.
  const int prefixBytes = prefix ? std::max(prefixLength, 0) : 0;
  const int dataBytes = data ? std::max(length, 0) : 0;
  const int lineEndBytes = prefixLength > 0 ? kLineEndLength : 0;
  if (!fitsSendBuffer(static_cast<long long>(prefixBytes) + dataBytes + lineEndBytes)) return;
  if (prefixBytes != 0) appendToSendBuffer(reinterpret_cast<const uint8_t*>(prefix), prefixBytes);
  if (dataBytes != 0) appendToSendBuffer(data, dataBytes);
  if (lineEndBytes != 0) appendToSendBuffer(LineEnd, lineEndBytes);
  SendBuffer[SendLength] = 0;
}

int SendCommandCode(int code, const uint8_t* data, int length) {
  std::memset(PrefixBuffer, 0, sizeof PrefixBuffer);
  SendLength = 0;
  length = data ? std::max(length, 0) : 0;
  const char* prefix = CommandPrefix(code);
  if (!prefix) return -1;
  const int prefixLength = static_cast<int>(std::strlen(prefix));
  const long long lineBytes = static_cast<long long>(prefixLength) + length + (prefixLength != 0 ? kLineEndLength : 0);
  if (!fitsSendBuffer(lineBytes)) return -1;
  std::memcpy(PrefixBuffer, prefix, static_cast<size_t>(prefixLength));
  BuildCommandText(reinterpret_cast<const char*>(PrefixBuffer), prefixLength, data, length);

  switch (LinkMode.load()) {
    case LINK_SERIAL:
      return SerialWrite(SendBuffer, SendLength);
    case LINK_ETHERNET:
      return EthernetTransact(SendBuffer, SendLength);
    default:
      return 0;
  }
}

int SendCommand(int code, const uint8_t* data, int length) {
  WaitBeforeSend();
  length = data ? std::max(length, 0) : 0;
  if (code == CMD_RAW_FRAME) return sendFrame(data, length);
  const int result = SendCommandCode(code, data, length);
  if (result == -1) return result;  // refused: nothing went out, nothing to wait for
  if (code == CMD_NO_OPERATION && LinkMode.load() == LINK_SERIAL) return waitForStartOfAnswer();
  return result;
}

const uint8_t* LastSendBytes() { return SendBuffer; }

int LastSendLength() { return SendLength; }

char CommandEcho(int code, const uint8_t* data, int length) {
  const char* prefix = CommandPrefix(code);
  if (!prefix) return '0';
  const int prefixLength = static_cast<int>(std::strlen(prefix));
  if (prefixLength >= 3) return prefix[2];
  if (data && prefixLength + length >= 3) return static_cast<char>(data[2 - prefixLength]);
  return '0';
}
