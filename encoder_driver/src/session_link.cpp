// What a session holds on its link, and how an abort reaches it.
#include "net_transport.h"
#include "serial_port.h"
#include "session.h"
#include "shared_state.h"
#include "usb_transport.h"

void RaiseAbort(SessionRecord& session) {
  AbortFlag& flag = AbortFlags[session.portIndex];
  flag.store(1);
  // The serial layer's sending, draining and pumping stop as soon as the flag
  // is set; the protocol engine takes the pointer back to send its cancel line.
  if (IsSerialSession(session)) w1632_SioSetAbort(session.port, &flag);
}

void ReleaseSessionLink(SessionRecord& session) {
  if (session.isTcp) {
    NetClose(&session);
    if (session.isUsb) UsbClose(&session);
  } else if (session.isUsb) {
    UsbClose(&session);
  } else {
    ClearPortMark(session.portIndex);
    w1632_SioDrain(session.port);
    w1632_SioClose(session.port);
    w1632_SioDestroy(session.port);
    session.port = 0;
  }
}
