// The reader's USB function seen as a CDC-ACM serial device.
#include "ZUV_USB.h"

#include <poll.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/serial_device.h"

namespace {

constexpr int kAcmDevicesTried = 64;
constexpr int kWriteTimeoutMs = 2000;

const UsbInterfaceGuid kReaderInterface = ZUV_USB_READER_INTERFACE;

std::mutex deviceLock;
platform::SerialDevice device;  // under deviceLock

bool isReaderInterface(const UsbInterfaceGuid& guid) {
  return std::memcmp(&guid, &kReaderInterface, sizeof guid) == 0;
}

// The device path, empty when there is none.
std::string findDevice() {
  if (const char* named = std::getenv("ZUV_USB_DEVICE"); named && *named) {
    return access(named, F_OK) == 0 ? named : "";
  }
  for (int n = 0; n < kAcmDevicesTried; ++n) {
    std::string path = "/dev/ttyACM" + std::to_string(n);
    if (access(path.c_str(), F_OK) == 0) return path;
  }
  return "";
}

bool hungUp(int fd) {
  pollfd descriptor{fd, POLLIN, 0};
  return poll(&descriptor, 1, 0) > 0 && (descriptor.revents & (POLLHUP | POLLERR | POLLNVAL));
}

}  // namespace

extern "C" {

int32_t Search_USB(UsbInterfaceGuid guid, int32_t* count) {
  std::lock_guard<std::mutex> guard(deviceLock);
  bool present = isReaderInterface(guid) &&
                 (device.IsOpen() ? !hungUp(device.Fd()) : !findDevice().empty());
  if (count) *count = present ? 1 : 0;
  return present ? 1 : 0;
}

int32_t Connect_USB(UsbInterfaceGuid guid, int32_t index) {
  std::lock_guard<std::mutex> guard(deviceLock);
  if (!isReaderInterface(guid) || index != 0) return 0;
  if (device.IsOpen()) return 1;
  const std::string path = findDevice();
  if (path.empty() || !device.Open(path)) return 0;
  if (!device.Configure(platform::SerialSettings{})) {
    device.Close();
    return 0;
  }
  return 1;
}

int32_t DisConnect_USB(void) {
  std::lock_guard<std::mutex> guard(deviceLock);
  device.Close();
  return 1;
}

int32_t Write_USB(uint32_t controlCode, const char* data, int32_t length) {
  std::lock_guard<std::mutex> guard(deviceLock);
  if (controlCode != ZUV_USB_WRITE || !device.IsOpen() || length < 0 || (length > 0 && !data)) return 0;
  return device.WriteAll(data, static_cast<size_t>(length), kWriteTimeoutMs) ? 1 : 0;
}

int32_t Read_USB(uint32_t controlCode, char* buffer, int32_t* length) {
  std::lock_guard<std::mutex> guard(deviceLock);
  if (!length) return 0;
  const int32_t room = *length;
  *length = 0;
  if (controlCode != ZUV_USB_READ || !device.IsOpen()) return 0;
  if (room <= 0 || !buffer) return 1;
  ssize_t count = device.ReadSome(buffer, static_cast<size_t>(room));
  if (count < 0) return 0;
  *length = static_cast<int32_t>(count);
  return 1;
}

}  // extern "C"
