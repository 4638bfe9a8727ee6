// The firmware download's payloads and state. The reader in boot mode takes
// the image in 2048-byte blocks, each a 'W' payload with its device address
// (big-endian) from kFirstBlockAddress upward in steps of kBlockSize; 'X'
// leaves boot mode and starts the application, 'V' asks for the boot version.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

constexpr uint32_t kFirstBlockAddress = 0x08008000;
constexpr int kBlockSize = 2048;
constexpr int kBlockPayloadLength = 1 + 4 + kBlockSize;
constexpr int kFirmwareRequestSize = 2304;
constexpr uint8_t kWriteBlock = 'W';
constexpr uint8_t kJumpToApplication = 'X';
constexpr uint8_t kBootVersion = 'V';

// The image file chosen by the last "FILE....."; empty at start. GUI thread.
extern std::string FirmwarePath;
// Set by "EMERGENCY", cleared at the start of each download, tested after
// each block. GUI thread.
extern std::atomic<uint8_t> DownloadBreak;

// How many blocks a download of a `fileSize`-byte image sends. The block whose
// read reaches the end of the file is sent as well, so an image of a whole
// multiple of kBlockSize bytes ends with one more all-zero block.
int BlockCount(uintmax_t fileSize);

// Writes 'W' and the four address bytes, most significant first, at the start
// of `request`; returns 5.
int StartBlockPayload(uint8_t* request, uint32_t address);

// The part of `path` after its last '\' or '/' (the whole path when it has
// neither).
std::string FileNameOf(const std::string& path);
