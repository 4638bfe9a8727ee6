// Byte-level coding of the reader's binary frames. A request frame is 0x60,
// a big-endian length (data + 2), the CRC-16/KERMIT of the data (big-endian),
// the data and a check byte (XOR of every byte before it). A reply frame is
// 0x60, a big-endian count of all its bytes from the 0x60 on, then the data.
#pragma once
#include <cstdint>
#include <string>

namespace readersim {

constexpr unsigned char kFrameStart = 0x60;
// 0x60, two length bytes, two CRC bytes.
constexpr size_t kFrameHeaderSize = 5;

// CRC-16/KERMIT: reflected polynomial 0x8408, initial 0, no final XOR.
uint16_t Crc16Kermit(const std::string& bytes);
// XOR of all bytes; 0 for none.
unsigned char XorCheck(const std::string& bytes);

// A whole request frame carrying `data` (what the console sends).
std::string BuildRequestFrame(const std::string& data);
// A whole reply frame carrying `data` (what the reader answers).
std::string BuildReplyFrame(const std::string& data);

// Total size of a request frame from its length field: the field + 4. A field
// below 2 gives a frame too short for CRC and check byte, which then fails
// CheckRequestFrame.
size_t RequestFrameSize(unsigned char lengthHigh, unsigned char lengthLow);
// True when `frame` (a whole request frame) has a matching CRC and check byte;
// `data` receives its payload either way.
bool CheckRequestFrame(const std::string& frame, std::string& data);

}  // namespace readersim
