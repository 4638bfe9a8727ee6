#include <algorithm>
#include <cerrno>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

#include "answer_start.h"
#include "command_count.h"
#include "link.h"
#include "platform/com_port.h"
#include "platform/tick.h"
#include "serial_session.h"

namespace {

// Write time-outs: 2 ms per byte plus 100 ms for the whole write.
constexpr int kWriteMsPerByte = 2;
constexpr int kWriteConstantMs = 100;
// A read of several bytes ends when the line stays quiet this long.
constexpr uint32_t kReadIntervalMs = 100;
// Start, eight data and stop bits on the wire for each byte.
constexpr uint64_t kBitsPerByte = 10;

struct OpenPort {
  std::mutex lock;
  std::shared_ptr<SerialSession> session;  // guarded by lock
};

// Never destroyed: a program may end with the port still open, and its
// receive thread must not find this gone (nor a running thread be destroyed).
OpenPort& openPort() {
  static OpenPort* const port = new OpenPort;
  return *port;
}

std::shared_ptr<SerialSession> takeOpenSession() {
  std::lock_guard<std::mutex> lock(openPort().lock);
  return std::move(openPort().session);
}

void installOpenSession(std::shared_ptr<SerialSession> session) {
  std::lock_guard<std::mutex> lock(openPort().lock);
  openPort().session = std::move(session);
}

// A program that ends with the port still open closes it on the way out, so
// that its receive thread is stopped and joined rather than cut off.
struct CloseAtExit {
  ~CloseAtExit() { CloseSerialPort(); }
} closeAtExit;

// How long `length` more bytes take to go out behind the bytes still queued
// for output, at the port's speed: a reply to them cannot begin before.
uint32_t goesOutInMs(const SerialSession& session, int length) {
  const uint64_t bytes = static_cast<uint64_t>(std::max(session.device.OutputQueued(), 0)) +
                         static_cast<uint64_t>(std::max(length, 0));
  const uint64_t baud = static_cast<uint64_t>(std::max(session.baud, 1));
  return static_cast<uint32_t>((bytes * kBitsPerByte * 1000 + baud - 1) / baud);
}

void wakeWaiters(const SerialSession& session) {
  const uint64_t one = 1;
  ssize_t ignored = ::write(session.wakeFd, &one, sizeof one);
  (void)ignored;  // the counter cannot overflow from one write per close
}

}  // namespace

SerialSession::~SerialSession() {
  if (wakeFd >= 0) ::close(wakeFd);
}

std::shared_ptr<SerialSession> CurrentSerialSession() {
  std::lock_guard<std::mutex> lock(openPort().lock);
  return openPort().session;
}

InputWait WaitForSerialInput(const SerialSession* session, int timeoutMs) {
  if (!session) {
    platform::SleepMs(static_cast<uint32_t>(std::max(timeoutMs, 0)));
    return InputWait::TimedOut;
  }
  pollfd fds[2] = {{session->device.Fd(), POLLIN, 0}, {session->wakeFd, POLLIN, 0}};
  int ready = ::poll(fds, 2, timeoutMs);
  if (ready < 0) return errno == EINTR ? InputWait::TimedOut : InputWait::DeviceGone;
  if (ready == 0) return InputWait::TimedOut;
  if (fds[1].revents) return InputWait::Closing;
  // A hang-up with bytes still queued is readable; the read after the last
  // byte then reports the device gone.
  if (fds[0].revents & POLLIN) return InputWait::Readable;
  return InputWait::DeviceGone;
}

int ReadSerialInput(SerialSession& session, uint8_t* buffer, int count, InputMark* mark) {
  std::lock_guard<std::mutex> lock(session.inputLock);
  ssize_t got = session.device.ReadSome(buffer, static_cast<size_t>(count));
  if (got < 0) return -1;
  if (got > 0) {
    session.inputGeneration.fetch_add(1);
    NoteAnswerStart();
    if (mark) *mark = {CommandsSent(), session.inputPurges};
  }
  return static_cast<int>(got);
}

int SeeSerialInput(SerialSession& session) {
  std::lock_guard<std::mutex> lock(session.inputLock);
  const int queued = session.device.InputQueued();
  if (queued > 0) NoteAnswerStart();  // whatever is left of old input, the last write purged
  return queued;
}

bool SerialPortAlive() {
  std::shared_ptr<SerialSession> session = CurrentSerialSession();
  return session && session->ReceiveThreadRun.load();
}

bool OpenSerialPort(int port, int baud) {
  CloseSerialPort();
  LinkMode.store(LINK_SERIAL);
  FramingMode.store(0);

  auto session = std::make_shared<SerialSession>();
  session->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (session->wakeFd < 0) return false;
  if (!session->device.Open(platform::ComPortDevice(port))) return false;

  platform::SerialSettings settings;
  settings.baud = baud;
  settings.dataBits = 8;
  settings.parity = platform::Parity::None;
  settings.stopBits = 1;
  settings.flow = platform::FlowControl::None;
  settings.assertRts = false;  // the reader's RTS line is not driven
  if (!session->device.Configure(settings)) return false;
  session->baud = baud;
  session->device.Purge();

  session->ReceiveThreadRun.store(true);
  try {
    session->receiveThread = std::thread(SerialReceiveThread, session);
  } catch (const std::system_error&) {
    return false;
  }
  // Named for debuggers and process listings.
  pthread_setname_np(session->receiveThread.native_handle(), "serial-rx");
  installOpenSession(std::move(session));
  LinkMode.store(LINK_SERIAL);
  FramingMode.store(0);
  return true;
}

// The receive thread is joined here, so that opening and closing never leaves
// a thread or a descriptor behind. That wait is short: every wait of the
// receive thread and of ReceiveResponse also watches the wake-up descriptor,
// and the reply callback must never wait for the caller. When the callback
// itself closes the port, the thread cannot join itself: it is detached and
// ends (releasing the port) as soon as the callback returns.
bool CloseSerialPort() {
  std::shared_ptr<SerialSession> session = takeOpenSession();
  LinkMode.store(LINK_CLOSED);
  FramingMode.store(0);
  if (session) {
    session->device.Purge();
    session->ReceiveThreadRun.store(false);
    wakeWaiters(*session);
    if (session->receiveThread.joinable()) {
      if (session->receiveThread.get_id() == std::this_thread::get_id()) {
        session->receiveThread.detach();
      } else {
        session->receiveThread.join();
      }
    }
  }
  return true;
}

int SerialWrite(const uint8_t* buffer, int length) {
  std::shared_ptr<SerialSession> session = CurrentSerialSession();
  if (!session) {
    ResetAnswerStart();
    return 0;
  }
  {
    // Unread input that no earlier command is owed is dropped; unsent output
    // is an earlier command still going out, and goes out first.
    std::lock_guard<std::mutex> lock(session->inputLock);
    if (!CountCommandSent(buffer, length, goesOutInMs(*session, buffer ? length : 0))) {
      session->device.PurgeInput();
      ++session->inputPurges;
      session->inputGeneration.fetch_add(1);
    }
    ResetAnswerStart();
  }
  length = buffer ? std::max(length, 0) : 0;
  const int timeoutMs = kWriteMsPerByte * length + kWriteConstantMs;
  return session->device.WriteAll(buffer, static_cast<size_t>(length), timeoutMs) ? 1 : 0;
}

int SerialRead(uint8_t* buffer, int count) {
  std::shared_ptr<SerialSession> session = CurrentSerialSession();
  if (!session || !buffer || count <= 0 || session->device.InputQueued() <= 0) return 0;
  int stored = 0;
  uint32_t lastByteAt = platform::TickCount();
  while (stored < count) {
    int got = ReadSerialInput(*session, buffer + stored, count - stored);
    if (got < 0) break;
    if (got > 0) {
      stored += got;
      lastByteAt = platform::TickCount();
      continue;
    }
    uint32_t left = platform::TicksLeft(lastByteAt, kReadIntervalMs);
    if (left == 0) break;
    int sliceMs = static_cast<int>(std::min<uint32_t>(left, platform::kWaitSliceMs));
    InputWait wait = WaitForSerialInput(session.get(), sliceMs);
    if (wait == InputWait::Closing || wait == InputWait::DeviceGone) break;
  }
  return 1;
}
