// The USB transport: the reader's USB library (libZUV_USB.so, see ZUV_USB.h),
// loaded by file name at the first USB open (the normal loader search, then the
// folder of libTRKDRV32.so itself) and bound by its five names. The
// library stays loaded; a load that fails, or a library that lacks one of the
// five, is retried by the next open. All USB sessions share the one device
// connection; the routines do not look at the session they are given. Host's
// thread only.
#pragma once

#include "session.h"

constexpr const char* kUsbLibraryName = "libZUV_USB.so";

// Loads the library when needed, drops any old connection, looks for the
// device and connects it (once more after a disconnect when the first connect
// fails): 1 connected, 0 failed.
int UsbOpenConn(SessionRecord* session);

// 1 when the device was disconnected, else 0.
int UsbClose(SessionRecord* session);

// What has arrived, without waiting, at most `room` bytes (the library is told
// the room): the count; 0 when nothing came or the read failed.
int UsbReceive(SessionRecord* session, char* buffer, int room);

// 1 sent; 0 failed.
int UsbSend(SessionRecord* session, const char* data, int length);

// Link probe: 1 the device is gone, 0 present.
int UsbCheckAborted(SessionRecord* session);
