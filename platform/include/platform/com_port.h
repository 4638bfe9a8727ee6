// Where "COMn" lives on this machine. COM1-COM8 are /dev/ttyS0-/dev/ttyS7
// (COMn is /dev/ttyS<n-1> in general) unless the environment variable
// COMn_DEVICE names another device, e.g. COM3_DEVICE=/dev/ttyUSB0 for a USB
// serial adapter or a pseudo-terminal of the reader simulator. The console and
// the encoder driver both resolve port names here, so one mapping serves both.
#pragma once
#include <string>

namespace platform {

std::string ComPortDevice(int comNumber);

}  // namespace platform
