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
 * bits are used), remembering both for later reconnects. A connection still
 * open from an earlier call is closed first. Blocks until the connection is
 * made or refused (no time-out of its own). 1 connected, 0 failed
 * ("socket() failed" / "connect() failed" shown; a host name or an empty text
 * gives "connect() failed"). */
int32_t Connect_Ethernet(const char* address, int32_t port);

/* Sends `length` bytes. What waits to be received is dropped first (the
 * bytes kept after an earlier line and what the connection holds: a reply
 * that came after its receive gave up, a line more than was asked for), so
 * that the next EthernetReceive reads this command's reply. 1 sent; when the
 * send fails (also after Closed_Ethernet, once the peer has closed the
 * connection, or for a negative length) the link is closed, reconnected to the
 * remembered address and the bytes sent once more: then the count sent, or -1
 * ("send() sent a different number bytes than expected"). A peer that has
 * gone makes the send fail; it never raises a signal. Blocks while the
 * connection has no room, but a send during which no byte is taken for
 * 5000 ms (by the platform tick count; a peer that stopped reading) fails, and
 * so does a reconnect that is not made within 5000 ms ("connect() failed"; an
 * address that no longer answers). */
int32_t EthernetCommandSend(const uint8_t* data, int32_t length);

/* Receives one reply line up to and including LF into `destination` (room for
 * 1024 bytes) and stores its length. The connection is read in blocks: bytes
 * after the LF are kept inside the library for the next call (dropped by
 * Closed_Ethernet, by every connect and reconnect, and before every send).
 * Blocks until the line is whole, at most until 90000 ms by the platform tick
 * count after the last EthernetCommandSend on this connection (after the call
 * began when none was made yet), whatever the peer sends: the calls that read
 * the reply of one command share that bound. A line already whole, kept from
 * an earlier call or waiting in the connection, is handed over at once, also
 * past the bound. 1 received; -1 socket error or no connection
 * ("EthernetReceive failed"), a line longer than 1024 bytes (read on to its
 * LF, not shown) or a null argument; -3 the peer closed the connection (at
 * once; a part of a line is dropped) or no whole line came by the end of the
 * bound (its part stays for the next call). On -1 and -3 neither output is
 * written. */
int32_t EthernetReceive(uint8_t* destination, int32_t* length);

#ifdef __cplusplus
}
#endif

#endif
