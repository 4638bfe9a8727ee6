#include "pages/FirmwareDownload.h"

#include <algorithm>
#include <climits>

std::string FirmwarePath;
std::atomic<uint8_t> DownloadBreak{0};

int BlockCount(uintmax_t fileSize) {
  return static_cast<int>(std::min<uintmax_t>(fileSize / kBlockSize + 1, INT_MAX));
}

int StartBlockPayload(uint8_t* request, uint32_t address) {
  request[0] = kWriteBlock;
  for (int i = 0; i < 4; ++i) request[1 + i] = static_cast<uint8_t>(address >> (24 - 8 * i));
  return 5;
}

std::string FileNameOf(const std::string& path) {
  const size_t separator = path.find_last_of("\\/");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}
