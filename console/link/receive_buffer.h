// The reply being read. One per thread: the receive thread assembles serial
// replies in its own, and the UI thread gets the Ethernet reply line in its
// own, so the two never share bytes even while a serial port and the network
// link are both open.
#pragma once
#include <cstdint>

#include "link.h"

extern thread_local uint8_t ReceiveBuffer[kLinkBufferSize];
extern thread_local int ReceiveLength;
// CommandsSent() when the reply in ReceiveBuffer began to arrive.
extern thread_local uint32_t ReceiveStamp;
// The tick count when it began to arrive.
extern thread_local uint32_t ReceiveBeganAt;
// Set when the network link's reply line did not come (see EthernetReceiveReply).
extern thread_local bool ReceiveMissing;
