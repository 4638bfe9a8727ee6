#include "link_io.h"

#include "engine_codes.h"
#include "net_transport.h"
#include "platform/tick.h"
#include "serial_port.h"
#include "usb_transport.h"

void SendToLink(SessionRecord* session, const char* data, int length) {
  if (session->isTcp) {
    NetSend(session, data, length);
  } else if (session->isUsb) {
    UsbSend(session, data, length);
  } else {
    int32_t errorFlags = 0;
    w1632_SioSend(session->port, data, length, &errorFlags);
  }
}

int ReceiveFromLink(SessionRecord* session, char* buffer, int room) {
  if (session->isTcp) return NetReceive(session, buffer, room);
  if (session->isUsb) return UsbReceive(session, buffer, room);
  int32_t errorFlags = 0;
  return w1632_SioReceive(session->port, buffer, room, &errorFlags);
}

void FlushInput(SessionRecord* session) {
  char discarded[kFlushChunk];
  for (;;) {
    platform::SleepMs(kFlushPollMs);
    if (ReceiveFromLink(session, discarded, kFlushChunk) <= 0) return;
    if (AbortFlags[session->portIndex].load() != 0) return;
    if (session->drainStepsLeft <= 0) return;
    --session->drainStepsLeft;
  }
}

int ProbeLink(SessionRecord* session) {
  if (session->isTcp) return NetCheckAborted(session) ? 1 : 0;
  if (session->isUsb) return UsbCheckAborted(session) ? 1 : 0;
  int32_t modemStatus = 0;
  w1632_SioModemStatus(session->port, &modemStatus);
  return 0;
}

bool IsLinkLost(SessionRecord* session) { return ProbeLink(session) == 1; }
