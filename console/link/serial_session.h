// One open COM port and its receive thread. The UI thread (writes, open and
// close) and the receive thread (reads) each hold a shared_ptr to it, so
// neither sees it destroyed under it; the device and the wake-up descriptor
// close when the last holder lets go.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/serial_device.h"

struct SerialSession {
  SerialSession() = default;
  SerialSession(const SerialSession&) = delete;
  SerialSession& operator=(const SerialSession&) = delete;
  ~SerialSession();

  platform::SerialDevice device;
  int baud = 9600;  // as configured: how fast written bytes go out
  // Readable once the port is being closed: ends every wait on this port.
  int wakeFd = -1;
  // The receive thread loops while this is true; it clears it when it ends.
  std::atomic<bool> ReceiveThreadRun{false};
  // Changes whenever input is taken from the port or purged, so the receive
  // thread can tell whether its callback consumed anything.
  std::atomic<uint32_t> inputGeneration{0};
  // Counts the writes that dropped unread input (under inputLock): a reply
  // being read when that happened lost its rest.
  uint32_t inputPurges = 0;
  // Held while input is taken or seen and the answer start noted, and while
  // a write discards old input and clears that note: bytes of an earlier
  // reply can then never count as the start of the next command's answer.
  std::mutex inputLock;
  std::thread receiveThread;
};

// The open port, or nullptr.
std::shared_ptr<SerialSession> CurrentSerialSession();

enum class InputWait { Readable, TimedOut, Closing, DeviceGone };

// Blocks in poll() until the port has input, it is being closed, the device
// is gone, or timeoutMs passes. Without a port it just lets the time pass.
InputWait WaitForSerialInput(const SerialSession* session, int timeoutMs);

// Where the bytes of one read stand among the writes: CommandsSent() and the
// session's inputPurges as they were when the bytes were taken (no write can
// come in between).
struct InputMark {
  uint32_t sent = 0;
  uint32_t purges = 0;
};

// Reads up to `count` waiting bytes without blocking: the count read, 0 when
// nothing is waiting, -1 when the device is gone. Notes the start of an answer
// and, when `mark` is given, where the bytes stand.
int ReadSerialInput(SerialSession& session, uint8_t* buffer, int count,
                    InputMark* mark = nullptr);

// Bytes waiting on the port (-1 when the device is gone); any waiting byte
// notes the start of an answer.
int SeeSerialInput(SerialSession& session);

// Thread procedure started by OpenSerialPort.
void SerialReceiveThread(std::shared_ptr<SerialSession> session);
