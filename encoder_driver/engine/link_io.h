// The engine's access to a session's transport: TCP/IP when isTcp is set,
// else USB when isUsb is set, else the serial port. Host's thread only.
#pragma once

#include "session.h"

// Sends `length` bytes; the engine does not look at the outcome.
void SendToLink(SessionRecord* session, const char* data, int length);

// Reads what has arrived, at most `room` bytes, without waiting: the count,
// 0 for nothing, negative when the transport's read failed.
int ReceiveFromLink(SessionRecord* session, char* buffer, int room);

// Drops what is waiting in the input: reads and discards, 100 ms apart, until
// a read brings nothing. Ends too on the abort flag and once the coder call's
// drain steps (drainStepsLeft) are spent, so that a reader that never stops
// sending cannot hold the call.
void FlushInput(SessionRecord* session);

// 1 when the link is lost, 0 when alive. A serial link always counts as alive
// (its modem lines are read but not judged); TCP/IP and USB ask their
// transport.
int ProbeLink(SessionRecord* session);
bool IsLinkLost(SessionRecord* session);
