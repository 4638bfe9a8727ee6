// The framed message MagNBSCoder sends. For any record and text block it is
// exactly the message a reference builder written here makes from the same
// fields, it never needs more than the documented room (the target gives the
// builder a heap block of exactly kNbsMessageMax bytes), and a length byte
// outside its area gives no message.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_check.h"
#include "nbs_message.h"

namespace {

constexpr int kTextBlockSize = 4 * 65;

std::string cut(const char* text, size_t room) { return std::string(text, strnlen(text, room)); }

std::string scratchLines(const char* scratch) {
  const std::string text = cut(scratch, 128);
  std::string lines;
  int breaks = 0;
  for (size_t i = 0; i < text.size(); i += 16) {
    if (i > 0) {
      lines += '\r';
      ++breaks;
    }
    lines += text.substr(i, 16);
  }
  return lines + std::string(7 - breaks, '\r');
}

// "1, the bytes most significant bit first, 1, zeros up to a whole byte".
std::string trackHex(const char* data, int length) {
  std::string bits = "1";
  for (int i = 0; i < length; ++i) {
    for (int j = 7; j >= 0; --j) bits += (static_cast<unsigned char>(data[i]) >> j) & 1 ? '1' : '0';
  }
  bits += '1';
  bits.append((8 - bits.size() % 8) % 8, '0');
  std::string hex;
  for (size_t i = 0; i < bits.size(); i += 8) {
    char pair[3];
    std::snprintf(pair, sizeof pair, "%02X",
                  static_cast<unsigned>(std::stoul(bits.substr(i, 8), nullptr, 2)));
    hex += pair;
  }
  return hex;
}

std::string referenceMessage(const CoderRecord& record, const char* texts) {
  const std::string first = cut(texts, 64);
  std::string message = "\x02" + first + (first.empty() ? "" : " ") + cut(texts + 65, 64) + "\r";
  message += cut(texts + 130, 64) + "\r" + cut(texts + 195, 64) + "\r";
  message += scratchLines(record.scratch) + "\r";
  message += cut(record.track1, record.len1) + "\r" + cut(record.track2, record.len2) + "\r";
  message += trackHex(record.track3, record.len3) + "\r\x03";
  return message;
}

}  // namespace

// Input: the record's bytes, then the text block; missing bytes are zero.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  std::unique_ptr<CoderRecord> record(new CoderRecord{});
  std::unique_ptr<char[]> texts(new char[kTextBlockSize]());
  const size_t recordBytes = std::min(size, sizeof(CoderRecord));
  std::memcpy(record.get(), input, recordBytes);
  std::memcpy(texts.get(), input + recordBytes,
              std::min<size_t>(size - recordBytes, kTextBlockSize));

  std::unique_ptr<char[]> out(new char[kNbsMessageMax]);
  const int length = BuildNbsMessage(out.get(), record.get(), texts.get());
  if (record->len1 > 128 || record->len2 > 128 || record->len3 > 127) {
    require(length == -1, "a length byte outside its area gives no message");
    return 0;
  }
  const std::string expected = referenceMessage(*record, texts.get());
  require(length == static_cast<int>(expected.size()), "message length");
  require(std::memcmp(out.get(), expected.data(), expected.size()) == 0, "message bytes");
  return 0;
}
