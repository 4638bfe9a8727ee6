#include "platform/com_port.h"

#include <cstdlib>

namespace platform {

std::string ComPortDevice(int comNumber) {
  std::string variable = "COM" + std::to_string(comNumber) + "_DEVICE";
  if (const char* mapped = std::getenv(variable.c_str()); mapped && *mapped) return mapped;
  return "/dev/ttyS" + std::to_string(comNumber - 1);
}

}  // namespace platform
