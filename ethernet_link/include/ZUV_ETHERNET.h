/* The reader's TCP link: one blocking connection per process, used by the
 * console. Plain C; every call blocks the calling thread and none may run
 * concurrently with another. Failures are also reported as a message through
 * the platform message seam (standard error unless the host installs a box). */
#ifndef ZUV_ETHERNET_H
#define ZUV_ETHERNET_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Closes the connection. 0 closed; -1 nothing to close (never connected, or
 * closed already). Shows no message. */
int32_t Closed_Ethernet(void);

/* Connects to a dotted IPv4 address (no name lookup) and port (its low 16
 * bits are used), remembering both for later reconnects. Blocks until the
 * connection is made or refused. 1 connected, 0 failed ("socket() failed" /
 * "connect() failed" shown). */
int32_t Connect_Ethernet(const char* address, int32_t port);

/* Sends `length` bytes. 1 sent; when the send fails the link is closed,
 * reconnected to the remembered address and the bytes sent once more: then the
 * count sent, or -1 ("send() sent a different number bytes than expected"). */
int32_t EthernetCommandSend(const uint8_t* data, int32_t length);

/* Receives one reply line up to and including LF into `destination` (room for
 * 1024 bytes) and stores its length. Blocks until the line is whole.
 * 1 received; -1 socket error ("EthernetReceive failed"), or a line longer than
 * 1024 bytes; -3 the peer closed the connection or sent nothing for 90000 ms.
 * On -1 and -3 neither output is written. */
int32_t EthernetReceive(uint8_t* destination, int32_t* length);

#ifdef __cplusplus
}
#endif

#endif
