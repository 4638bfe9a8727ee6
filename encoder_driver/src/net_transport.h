// The TCP/IP transport of a session: one non-blocking stream socket in the
// record's `sock`. All functions run on the host's thread; the waits (connect,
// a send the socket cannot take yet) sleep in poll() in slices and run the
// message pump between them.
#pragma once
#include <cstdint>

#include "session.h"

// Connects to a dotted IPv4 address (parsed by ParseDottedIp) or a host name
// (looked up, first IPv4 address) and the port's low 16 bits, waiting at most
// timeoutSeconds. 1 connected (socket stored in `sock`); 0 failed (no such
// host, the address 0.0.0.0, refused, not answered in time), with nothing
// left open.
int NetOpenConn(SessionRecord* session, const char* host, int port, int timeoutSeconds);

// Closes `sock` and sets it to -1. Always 1.
int NetClose(SessionRecord* session);

// What has arrived, at most `size` bytes: the count (above 0); 0 when nothing
// is waiting (or size is 0); -1 when the connection failed or the reader
// closed it. Never blocks.
int NetReceive(SessionRecord* session, char* buffer, int size);

// Sends all `length` bytes: 1 sent; 0 on a socket error (also for a session
// without a socket) or when the reader takes no byte for kNetSendStallMs.
int NetSend(SessionRecord* session, const char* data, int length);

// Link probe without waiting: 1 the connection is lost, 0 alive.
int NetCheckAborted(SessionRecord* session);

// How long a send may find the socket full without progress before it fails.
constexpr uint32_t kNetSendStallMs = 10000;
