// Read_USB of the fake USB library (see fake_zuv_usb.cpp).
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ZUV_USB.h"
#include "fake_usb_state.h"

using namespace fakeusb;

extern "C" {

ZUV_USB_EXPORT int32_t Read_USB(uint32_t controlCode, char* buffer, int32_t* length) {
  calls += 'R';
  lastCode = controlCode;
  lastRoom = *length;
  const char* text = std::getenv("FAKE_USB_READ");
  const std::string data = text ? text : "";
  const size_t count = std::min(data.size() - std::min(readOffset, data.size()), static_cast<size_t>(*length));
  std::memcpy(buffer, data.data() + readOffset, count);
  readOffset += count;
  const char* claim = std::getenv("FAKE_USB_READ_CLAIM");
  *length = claim ? std::atoi(claim) : static_cast<int32_t>(count);
  return 1;
}

}  // extern "C"
