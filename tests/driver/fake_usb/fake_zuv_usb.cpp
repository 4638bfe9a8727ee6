// A stand-in for the reader's USB library that tests steer through the
// environment (read at every call) and question and reset through its
// FakeUsb_* calls:
//   FAKE_USB_SEARCH=0            Search_USB finds nothing
//   FAKE_USB_CONNECT_FAILURES=n  the first n Connect_USB calls fail
//   FAKE_USB_DISCONNECT=0        DisConnect_USB fails
//   FAKE_USB_READ=text           what Read_USB delivers (up to the room, once)
//   FAKE_USB_READ_CLAIM=n        Read_USB claims n bytes whatever it wrote
// Built without fake_read_usb.cpp it stands for a library that lacks a function.
#include <cstdlib>
#include <cstring>
#include <string>

#include "ZUV_USB.h"
#include "fake_usb_state.h"

namespace fakeusb {
std::string calls;
int32_t lastRoom = -1;
uint32_t lastCode = 0;
size_t readOffset = 0;
}  // namespace fakeusb

using namespace fakeusb;

namespace {

int connectAttempts = 0;
std::string written;
UsbInterfaceGuid lastGuid{};  // as the last search or connect got it

bool refused(const char* name) {
  const char* value = std::getenv(name);
  return value && std::strcmp(value, "0") == 0;
}

}  // namespace

extern "C" {

// Forgets every call so far, so that each test starts afresh.
ZUV_USB_EXPORT void FakeUsb_Reset() {
  calls.clear();
  lastRoom = -1;
  lastCode = 0;
  readOffset = 0;
  connectAttempts = 0;
  written.clear();
  lastGuid = UsbInterfaceGuid{};
}

ZUV_USB_EXPORT const char* FakeUsb_Calls() { return calls.c_str(); }
ZUV_USB_EXPORT int32_t FakeUsb_LastRoom() { return lastRoom; }
ZUV_USB_EXPORT uint32_t FakeUsb_LastCode() { return lastCode; }
ZUV_USB_EXPORT const char* FakeUsb_Written() { return written.c_str(); }
ZUV_USB_EXPORT const unsigned char* FakeUsb_LastGuid() {
  return reinterpret_cast<const unsigned char*>(&lastGuid);
}

ZUV_USB_EXPORT int32_t Search_USB(UsbInterfaceGuid guid, int32_t* count) {
  calls += 'S';
  lastGuid = guid;
  const UsbInterfaceGuid reader = ZUV_USB_READER_INTERFACE;
  const bool found = !refused("FAKE_USB_SEARCH") && std::memcmp(&guid, &reader, sizeof guid) == 0;
  *count = found ? 1 : 0;
  return found ? 1 : 0;
}

ZUV_USB_EXPORT int32_t Connect_USB(UsbInterfaceGuid guid, int32_t index) {
  calls += 'C';
  lastGuid = guid;
  const char* failures = std::getenv("FAKE_USB_CONNECT_FAILURES");
  return index == 0 && ++connectAttempts > (failures ? std::atoi(failures) : 0) ? 1 : 0;
}

ZUV_USB_EXPORT int32_t DisConnect_USB(void) {
  calls += 'D';
  return refused("FAKE_USB_DISCONNECT") ? 0 : 1;
}

ZUV_USB_EXPORT int32_t Write_USB(uint32_t controlCode, const char* data, int32_t length) {
  calls += 'W';
  lastCode = controlCode;
  written.assign(data, static_cast<size_t>(length));
  return 1;
}

}  // extern "C"
