// The nine-bit serial settings word that MagOpen builds and the serial layer
// reads: bits 0-1 data bits (3 eight, 2 seven), bit 2 two stop bits, bits 3-4
// parity (0 none, 1 odd, 3 even), bits 5-8 baud index (0-8: 110 ... 19200).
// Pure functions.
#pragma once
#include <cstdint>

#include "platform/serial_device.h"

// Flow types of MagOpen and w1632_SioOpen.
constexpr int32_t kFlowNone = 0;
constexpr int32_t kFlowXonXoff = 1;
constexpr int32_t kFlowDtrCtsDsr = 2;  // DTR handshake, CTS and DSR output flow control
constexpr int32_t kFlowDtr = 3;        // DTR handshake only

// 110 gives 0, 150 1, 300 2, 600 3, 1200 4, 2400 5, 4800 6, 19200 8; every
// other rate (9600 included) 7.
int32_t BaudIndex(int32_t baud);

// MagOpen's settings word. parity: the low byte 'E' even, 'O' odd, anything
// else none; dataBits 7 gives seven, anything else eight; stopBits 2 gives
// two, anything else one.
int32_t BuildSettingsWord(int32_t baud, int32_t parity, int32_t dataBits, int32_t stopBits);

// The port settings a settings word and flow type stand for, on top of the
// base 9600 baud, no parity, eight data bits, one stop bit, DTR and RTS on.
// A baud index above 8 and parity code 2 keep the base's values. Flow type 1
// is XON/XOFF; type 2 (DTR handshake with CTS/DSR output flow control) is
// RTS/CTS hardware flow control, the handshake termios has; type 3 (DTR
// handshake alone) keeps DTR asserted with no flow control, as termios has no
// DTR input handshake.
platform::SerialSettings SerialSettingsFromWord(int32_t settings, int32_t flow);
