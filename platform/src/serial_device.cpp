#include "platform/serial_device.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include "platform/tick.h"

namespace platform {

SerialDevice::~SerialDevice() { Close(); }

bool SerialDevice::Open(const std::string& path) {
  Close();
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  termios probe{};
  // TIOCEXCL keeps other programs out, but not a privileged one; the lock
  // keeps out every user of this layer, root included.
  if (!isatty(fd) || tcgetattr(fd, &probe) != 0 || ioctl(fd, TIOCEXCL) != 0 ||
      flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void SerialDevice::Close() {
  if (fd_ < 0) return;
  ioctl(fd_, TIOCNXCL);
  ::close(fd_);  // also drops the lock
  fd_ = -1;
}

unsigned BaudConstant(int baud) {
  switch (baud) {
    case 110: return B110;
    case 150: return B150;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return 0;
  }
}

bool SerialDevice::Configure(const SerialSettings& s) {
  termios tio{};
  if (fd_ < 0 || tcgetattr(fd_, &tio) != 0) return false;
  unsigned speed = BaudConstant(s.baud);
  if (speed == 0 || s.dataBits < 5 || s.dataBits > 8) return false;
  cfmakeraw(&tio);
  cfsetispeed(&tio, speed);
  cfsetospeed(&tio, speed);
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR);
  static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
  tio.c_cflag |= sizes[s.dataBits - 5] | CREAD | CLOCAL;
  switch (s.parity) {
    case Parity::None: break;
    case Parity::Odd: tio.c_cflag |= PARENB | PARODD; break;
    case Parity::Even: tio.c_cflag |= PARENB; break;
    case Parity::Mark: tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case Parity::Space: tio.c_cflag |= PARENB | CMSPAR; break;
  }
  if (s.stopBits == 2) tio.c_cflag |= CSTOPB;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY);
  if (s.flow == FlowControl::XonXoff) tio.c_iflag |= IXON | IXOFF;
  if (s.flow == FlowControl::RtsCts) tio.c_cflag |= CRTSCTS;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (tcsetattr(fd_, TCSANOW, &tio) != 0) return false;
  // Pseudo-terminals have no modem lines; failing to set them is not an error.
  SetDtr(s.assertDtr);
  SetRts(s.assertRts);
  return true;
}

void SerialDevice::Purge() {
  if (fd_ >= 0) tcflush(fd_, TCIOFLUSH);
}

void SerialDevice::PurgeInput() {
  if (fd_ >= 0) tcflush(fd_, TCIFLUSH);
}

int SerialDevice::InputQueued() const {
  int n = 0;
  if (fd_ < 0 || ioctl(fd_, FIONREAD, &n) != 0) return -1;
  return n;
}

int SerialDevice::OutputQueued() const {
  int n = 0;
  if (fd_ < 0 || ioctl(fd_, TIOCOUTQ, &n) != 0) return -1;
  return n;
}

int SerialDevice::ModemLines() const {
  int bits = 0;
  if (fd_ < 0 || ioctl(fd_, TIOCMGET, &bits) != 0) return -1;
  return bits;
}

bool SerialDevice::SetDtr(bool on) {
  int bit = TIOCM_DTR;
  return fd_ >= 0 && ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) == 0;
}

bool SerialDevice::SetRts(bool on) {
  int bit = TIOCM_RTS;
  return fd_ >= 0 && ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) == 0;
}

ssize_t SerialDevice::ReadSome(void* buffer, size_t count) {
  if (fd_ < 0) return -1;
  ssize_t n = ::read(fd_, buffer, count);
  if (n > 0 || count == 0) return n;
  if (n < 0 && errno != EAGAIN && errno != EINTR) return -1;
  // In raw mode an empty queue also reads as 0; only a hang-up tells a dead
  // line from a quiet one.
  pollfd p{fd_, POLLIN, 0};
  if (::poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) return -1;
  return 0;
}

ssize_t SerialDevice::WriteSome(const void* buffer, size_t count) {
  if (fd_ < 0) return -1;
  ssize_t n = ::write(fd_, buffer, count);
  if (n >= 0) return n;
  return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
}

bool SerialDevice::WriteAll(const void* buffer, size_t count, int timeoutMs) {
  const auto* bytes = static_cast<const unsigned char*>(buffer);
  uint32_t start = TickCount();
  size_t done = 0;
  while (done < count) {
    ssize_t n = WriteSome(bytes + done, count - done);
    if (n < 0) return false;
    done += static_cast<size_t>(n);
    if (done == count) break;
    uint32_t left = TicksLeft(start, static_cast<uint32_t>(timeoutMs));
    if (left == 0) return false;
    if (WaitWritable(fd_, static_cast<int>(left)) < 0) return false;
  }
  return true;
}

namespace {
int waitFor(int fd, short events, int timeoutMs) {
  pollfd p{fd, events, 0};
  for (;;) {
    int r = ::poll(&p, 1, timeoutMs);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return -1;
    if (r == 0) return 0;
    if (p.revents & events) return 1;
    return -1;  // POLLERR, POLLHUP or POLLNVAL without the wanted event
  }
}
}  // namespace

int WaitReadable(int fd, int timeoutMs) { return waitFor(fd, POLLIN, timeoutMs); }
int WaitWritable(int fd, int timeoutMs) { return waitFor(fd, POLLOUT, timeoutMs); }

}  // namespace platform
