// The driver's serial layer (the w1632_Sio functions): port objects named by
// handle in a process-wide PortTable of 64, opened on COM1-COM8 (port numbers
// 0-7, resolved with platform::ComPortDevice) with termios settings from the
// settings word and flow type (serial_settings.h).
//
// Sending goes out in chunks that fit the room left in a 256-byte output queue
// (the room is the queue size given at creation less what the device still
// holds); receiving takes only what is already queued and never blocks. The
// waits of sending and draining sleep in the kernel and are bounded (a port
// whose flow control never lets the bytes go gives up); between chunks and
// while draining they run the message pump unless the port's abort flag is
// set, and they stop once it is set.
//
// All functions run on the caller's thread; w1632_SioSetAbort may be called
// from any thread. A port must not be destroyed while another thread uses it.
#pragma once
#include <cstdint>

#include "session.h"

constexpr int32_t SIO_ERR_IO = -1;            // not opened or configured, short write, read failed
constexpr int32_t SIO_ERR_NOT_OPEN = -2;      // the port object's device is not open
constexpr int32_t SIO_ERR_ALREADY_OPEN = -3;  // open asked on an open port object
constexpr int32_t SIO_ERR_BAD_HANDLE = -4;    // not a handle in PortTable
constexpr int32_t SIO_ERR_ABORTED = -5;       // sending stopped by the abort flag

constexpr int kPortTableSize = 64;
constexpr int32_t kLastSerialPort = 7;  // COM8

// Error flags stored by sending and receiving.
constexpr int32_t CE_TXFULL = 0x100;  // a chunk could not be written whole
constexpr int32_t CE_IOE = 0x400;     // the device failed (gone, hung up)

// Modem status bits of w1632_SioModemStatus.
constexpr int32_t MS_CTS_ON = 0x10;
constexpr int32_t MS_DSR_ON = 0x20;
constexpr int32_t MS_RING_ON = 0x40;
constexpr int32_t MS_RLSD_ON = 0x80;

// A closed port object with the given queue sizes: its handle, 0 when 64
// ports exist.
SioHandle w1632_SioCreate(int32_t rxQueueSize, int32_t txQueueSize);
// Closes the port when open and removes it: 0; -4.
int32_t w1632_SioDestroy(SioHandle port);
// Opens COM<portNumber+1> and configures it: 0; -1 (port number outside 0-7,
// no such device, held elsewhere, settings refused); -3; -4.
int32_t w1632_SioOpen(SioHandle port, int32_t portNumber, int32_t settings, int32_t flow);
// 0; -2; -4.
int32_t w1632_SioClose(SioHandle port);
// Sends `length` bytes in chunks: 0 all sent; -1 with the flags stored at
// errorFlags (CE_TXFULL: a chunk could not be written in time; CE_IOE: the
// device failed); -5 stopped by the abort flag (flags 0); -2; -4. With -2
// and -4 errorFlags is not written.
int32_t w1632_SioSend(SioHandle port, const char* data, int32_t length, int32_t* errorFlags);
// Reads what the input queue holds, at most `size` bytes: the count (0 when
// nothing is queued); -1 with the flags stored (the device failed); -2; -4.
// errorFlags gets 0 first once the handle is found.
int32_t w1632_SioReceive(SioHandle port, char* buffer, int32_t size, int32_t* errorFlags);
// Waits until the output queue is empty, the abort flag is set or the wait
// gives up, then runs the pump for 10 ms: 0; -2; -4.
int32_t w1632_SioDrain(SioHandle port);
// The abort flag sending, draining and pumping watch (null: none): 0; -4.
int32_t w1632_SioSetAbort(SioHandle port, AbortFlag* flag);
// MS_* bits of the modem lines (0 when the device has no modem lines): 0; -2; -4.
int32_t w1632_SioModemStatus(SioHandle port, int32_t* status);
// Runs the message pump (platform::PumpMessages) unless `flag` is set.
void w1632_SioPump(const AbortFlag* flag);
