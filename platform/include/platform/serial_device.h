// A serial device through termios: the stand-in for a Win32 COM port handle.
// Opening never blocks (O_NONBLOCK) and takes the port exclusively (TIOCEXCL),
// as a COM port opened without sharing is (TIOCEXCL plus an flock, so
// that two users of this layer exclude each other even when run as root). Reads and writes are non-blocking;
// callers that must wait use WaitReadable/WaitWritable, which block in poll().
// One thread may read while another writes; Close must not race other calls.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>

namespace platform {

enum class Parity { None, Odd, Even, Mark, Space };
enum class FlowControl { None, XonXoff, RtsCts };

struct SerialSettings {
  int baud = 9600;
  int dataBits = 8;  // 5-8
  Parity parity = Parity::None;
  int stopBits = 1;  // 1 or 2
  FlowControl flow = FlowControl::None;
  bool assertDtr = true;
  bool assertRts = true;
};

class SerialDevice {
 public:
  SerialDevice() = default;
  ~SerialDevice();
  SerialDevice(const SerialDevice&) = delete;
  SerialDevice& operator=(const SerialDevice&) = delete;

  bool Open(const std::string& path);  // false: no such device, busy, or not a tty
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int Fd() const { return fd_; }

  // False when the device refuses the settings or the baud rate is not one
  // termios knows.
  bool Configure(const SerialSettings& settings);

  // Discards unread input and unsent output.
  void Purge();
  // Discards unread input only.
  void PurgeInput();
  // Bytes waiting in the input / output queue; -1 when the device is gone.
  int InputQueued() const;
  int OutputQueued() const;
  // TIOCM_* bits of the modem lines; -1 when they cannot be read.
  int ModemLines() const;
  bool SetDtr(bool on);
  bool SetRts(bool on);

  // Like read(2)/write(2) on the non-blocking descriptor: bytes moved, 0 for
  // nothing available (read) or no room (write), -1 on a device error.
  ssize_t ReadSome(void* buffer, size_t count);
  ssize_t WriteSome(const void* buffer, size_t count);
  // Writes everything, waiting in poll() for room; false on a device error or
  // when timeoutMs passes first.
  bool WriteAll(const void* buffer, size_t count, int timeoutMs);

 private:
  int fd_ = -1;
};

// Blocks in poll() until fd is readable / writable: 1 ready, 0 timeout,
// -1 error, or hang-up with nothing left to read. A hang-up with bytes still
// queued reports 1; the read after the last byte then fails.
int WaitReadable(int fd, int timeoutMs);
int WaitWritable(int fd, int timeoutMs);

// termios speed constant for a baud rate, 0 when there is none.
unsigned BaudConstant(int baud);

}  // namespace platform
