// MagOpen, MagTcpIpOpen and MagUSBOpen: a session over a serial port, TCP/IP
// or USB.
#include <algorithm>

#include "TRKDRV32.h"
#include "net_transport.h"
#include "serial_port.h"
#include "serial_settings.h"
#include "session.h"
#include "shared_state.h"
#include "usb_transport.h"

namespace {

constexpr int32_t kHighestPortNumber = 20;  // above this MagOpen takes port 0
constexpr int32_t kSerialReceiveQueue = 4096;
constexpr int32_t kSerialOutputQueue = 256;
constexpr int kConnectTimeoutSeconds = 10;
constexpr int32_t kDefaultTimeoutMs = 10000;
// The longest reply time-out taken. It also bounds the input flush before
// every command, which a reader that keeps sending holds for that long.
constexpr int32_t kLongestTimeoutSeconds = 3600;

// The reply time-out in milliseconds: 0 and negative seconds (no time-out
// that could be waited for) give the default, more than an hour gives an
// hour. Every value is then a deadline that lies ahead of the tick count
// and an input flush that ends.
int32_t replyTimeoutMs(int32_t seconds) {
  if (seconds <= 0) return kDefaultTimeoutMs;
  return std::min(seconds, kLongestTimeoutSeconds) * 1000;
}

// The fields every new session starts with; null when no record can be had.
std::unique_ptr<SessionRecord> newSession(int32_t timeoutSeconds) {
  std::unique_ptr<SessionRecord> session = NewSessionRecord();
  if (!session) return session;
  session->timeoutMs = replyTimeoutMs(timeoutSeconds);
  session->firstRead = 1;
  session->nonHalvikTrack3 = 0;
  session->nonHalvikTrack1 = 1;
  session->nonHalvikTrack2 = 1;
  return session;
}

}  // namespace

extern "C" int32_t MagOpen(int32_t port, int32_t baud, int32_t parity, int32_t dataBits,
                           int32_t stopBits, int32_t flow, int32_t timeoutSeconds) {
  if (port > kHighestPortNumber) port = 0;
  // Port 20 and negative numbers have no shared mark and no device.
  if (port < 0 || port >= kSharedPortCount) return 0;
  const PortMark mark = TakePortMark(port);
  if (mark == PortMark::HeldByOther) return MAG_PORT_IN_USE;
  auto fail = [port, mark]() -> int32_t {
    if (mark == PortMark::Taken) ClearPortMark(port);
    return 0;
  };

  const int32_t settings = BuildSettingsWord(baud, parity, dataBits, stopBits);
  if (SessionTableFull()) return fail();
  std::unique_ptr<SessionRecord> session = newSession(timeoutSeconds);
  if (!session) return fail();
  session->portIndex = port;
  session->port = w1632_SioCreate(kSerialReceiveQueue, kSerialOutputQueue);
  if (session->port == 0) return fail();
  if (w1632_SioOpen(session->port, port, settings, flow) != 0) {
    w1632_SioDestroy(session->port);
    return fail();
  }
  AbortFlags[port].store(0);
  session->settings = settings;
  session->flow = flow;
  const SioHandle sioPort = session->port;
  const int32_t handle = AddSession(session);
  if (handle == 0) {
    w1632_SioDestroy(sioPort);
    return fail();
  }
  return handle;
}

extern "C" int32_t MagTcpIpOpen(const char* host, int32_t port, int32_t, int32_t timeoutSeconds) {
  if (!host || SessionTableFull()) return 0;
  std::unique_ptr<SessionRecord> session = newSession(timeoutSeconds);
  if (!session) return 0;
  session->isTcp = 1;
  session->tcpPort = port;
  session->sock = -1;
  if (!NetOpenConn(session.get(), host, port, kConnectTimeoutSeconds)) return 0;
  const int32_t handle = AddSession(session);
  if (handle == 0) NetClose(session.get());
  return handle;
}

extern "C" int32_t MagUSBOpen(int32_t timeoutSeconds) {
  if (SessionTableFull()) return 0;
  std::unique_ptr<SessionRecord> session = newSession(timeoutSeconds);
  if (!session) return 0;
  session->isUsb = 1;
  if (!UsbOpenConn(session.get())) return 0;
  const int32_t handle = AddSession(session);
  if (handle == 0) UsbClose(session.get());
  return handle;
}
