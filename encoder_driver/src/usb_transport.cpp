#include "usb_transport.h"

#include <dlfcn.h>

#include <algorithm>
#include <string>

#include "ZUV_USB.h"

namespace {

const UsbInterfaceGuid kReaderInterface = ZUV_USB_READER_INTERFACE;

// Once per process; never unloaded.
struct UsbLibrary {
  void* handle = nullptr;
  Search_USB_Fn search = nullptr;
  Connect_USB_Fn connect = nullptr;
  DisConnect_USB_Fn disconnect = nullptr;
  Write_USB_Fn write = nullptr;
  Read_USB_Fn read = nullptr;
};

UsbLibrary usbLibrary;

template <typename Function>
Function bind(void* handle, const char* name) {
  return reinterpret_cast<Function>(dlsym(handle, name));
}

bool loaded() { return usbLibrary.handle != nullptr; }

// The folder of the file that holds this code (libTRKDRV32.so), with its
// slash; empty when unknown.
std::string ownFolder() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&UsbOpenConn), &info) || !info.dli_fname) return "";
  const std::string path = info.dli_fname;
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// The loader's search first; then the driver's own folder, which that search
// misses when a sanitizer's interceptor is the one calling dlopen.
void* openLibrary() {
  if (void* handle = dlopen(kUsbLibraryName, RTLD_NOW | RTLD_LOCAL)) return handle;
  const std::string folder = ownFolder();
  return folder.empty() ? nullptr : dlopen((folder + kUsbLibraryName).c_str(), RTLD_NOW | RTLD_LOCAL);
}

bool loadLibrary() {
  if (loaded()) return true;
  void* handle = openLibrary();
  if (!handle) return false;
  UsbLibrary bound;
  bound.handle = handle;
  bound.search = bind<Search_USB_Fn>(handle, "Search_USB");
  bound.connect = bind<Connect_USB_Fn>(handle, "Connect_USB");
  bound.disconnect = bind<DisConnect_USB_Fn>(handle, "DisConnect_USB");
  bound.write = bind<Write_USB_Fn>(handle, "Write_USB");
  bound.read = bind<Read_USB_Fn>(handle, "Read_USB");
  if (!bound.search || !bound.connect || !bound.disconnect || !bound.write || !bound.read) {
    dlclose(handle);
    return false;
  }
  usbLibrary = bound;
  return true;
}

bool devicePresent() {
  int32_t count = 0;
  return usbLibrary.search(kReaderInterface, &count) == 1;
}

}  // namespace

int UsbOpenConn(SessionRecord*) {
  if (!loadLibrary()) return 0;
  usbLibrary.disconnect();
  if (!devicePresent()) return 0;
  if (usbLibrary.connect(kReaderInterface, 0) == 1) return 1;
  return usbLibrary.disconnect() == 1 && usbLibrary.connect(kReaderInterface, 0) == 1 ? 1 : 0;
}

int UsbClose(SessionRecord*) { return loaded() && usbLibrary.disconnect() == 1 ? 1 : 0; }

int UsbReceive(SessionRecord*, char* buffer, int room) {
  if (!loaded() || room <= 0) return 0;
  buffer[0] = 0;
  int32_t length = room;
  if (usbLibrary.read(ZUV_USB_READ, buffer, &length) != 1) return 0;
  return std::clamp<int32_t>(length, 0, room);
}

int UsbSend(SessionRecord*, const char* data, int length) {
  return loaded() && usbLibrary.write(ZUV_USB_WRITE, data, length) == 1 ? 1 : 0;
}

int UsbCheckAborted(SessionRecord*) { return loaded() && devicePresent() ? 0 : 1; }
