// The far end of the link library's connection, for the fuzz targets that
// drive the library over loopback TCP.
#pragma once
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include "ZUV_ETHERNET.h"
#include "fuzz_check.h"
#include "loopback_listener.h"

// Connects the library to `listener` and returns the accepted end. Each send
// on it goes out at once rather than waiting for the last one's ACK.
inline int ConnectLinkToPeer(LoopbackListener& listener) {
  require(Connect_Ethernet("127.0.0.1", listener.Port()) == 1, "connected");
  const int peer = listener.Accept(5000);
  require(peer >= 0, "accepted");
  const int noDelay = 1;
  ::setsockopt(peer, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
  return peer;
}
