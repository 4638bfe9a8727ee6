// What the fake USB library's calls record for the tests to question.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace fakeusb {

extern std::string calls;   // one letter per call: S C D W R
extern int32_t lastRoom;    // the room the last Read_USB was given
extern uint32_t lastCode;   // the control code of the last read or write
extern size_t readOffset;   // how much of FAKE_USB_READ Read_USB has delivered

}  // namespace fakeusb
