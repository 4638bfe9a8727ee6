// The raw-mode track packing of the driver. 33 bytes written as bits and read
// back from a reply (status, echo, zeros, framing character, bits, anything
// after) are the same 33 bytes; an arbitrary reply is read only within its
// length, packed into exactly 33 bytes when 264 characters follow its framing
// character, and refused with the area untouched otherwise.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_check.h"
#include "raw_track_bits.h"

namespace {

constexpr uint8_t kUntouched = 0xA5;

void checkRoundTrip(const uint8_t* input, size_t size) {
  if (size < kRawTrackBytes + 2) return;
  std::unique_ptr<unsigned char[]> data(new unsigned char[kRawTrackBytes]);
  std::memcpy(data.get(), input, kRawTrackBytes);
  std::unique_ptr<char[]> bits(new char[kRawTrackBits]);
  require(RawTrackToBits(bits.get(), data.get()) == kRawTrackBits, "264 bit characters");
  for (int i = 0; i < kRawTrackBits; ++i) {
    const int bit = (data[i / 8] >> (7 - i % 8)) & 1;
    require(bits[i] == '0' + bit, "each byte most significant bit first");
  }
  const char framing =
      input[kRawTrackBytes] == '0' ? '1' : static_cast<char>(input[kRawTrackBytes]);
  std::string reply = "00" + std::string(1, '1') + std::string(input[kRawTrackBytes + 1] % 8, '0') +
                      framing + std::string(bits.get(), kRawTrackBits) +
                      std::string(reinterpret_cast<const char*>(input + kRawTrackBytes + 2),
                                  size - kRawTrackBytes - 2);
  std::unique_ptr<unsigned char[]> back(new unsigned char[kRawTrackBytes]);
  require(RawBitsToTrack(back.get(), reply.data(), static_cast<int>(reply.size())),
          "a whole raw reply is taken");
  require(std::memcmp(back.get(), data.get(), kRawTrackBytes) == 0,
          "bits then bytes give the bytes back");
}

void checkArbitraryReply(const uint8_t* input, size_t size) {
  std::unique_ptr<char[]> reply(new char[size]);
  std::memcpy(reply.get(), input, size);
  std::unique_ptr<unsigned char[]> out(new unsigned char[kRawTrackBytes]);
  std::memset(out.get(), kUntouched, kRawTrackBytes);
  const bool taken = RawBitsToTrack(out.get(), reply.get(), static_cast<int>(size));

  const std::string text(reply.get(), size);
  const size_t framing = size > 3 ? text.find_first_not_of('0', 3) : std::string::npos;
  const bool whole = framing != std::string::npos && size - framing - 1 >= kRawTrackBits;
  require(taken == whole, "taken exactly when 264 characters follow the framing character");
  if (!taken) {
    for (int i = 0; i < kRawTrackBytes; ++i)
      require(out[i] == kUntouched, "a refused reply leaves the area");
    return;
  }
  // Characters other than '0' and '1' are packed unchecked: only bytes made
  // of bit characters have a defined value.
  for (int i = 0; i < kRawTrackBytes; ++i) {
    const std::string group = text.substr(framing + 1 + 8 * i, 8);
    if (group.find_first_not_of("01") != std::string::npos) continue;
    require(out[i] == static_cast<unsigned char>(std::stoul(group, nullptr, 2)), "packed byte");
  }
}

}  // namespace

// Input: mode, then the 33 bytes, framing character, zero count and the tail
// (round trip), or the reply itself.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  if (size < 1) return 0;
  if (input[0] % 2 == 0) {
    checkRoundTrip(input + 1, size - 1);
  } else {
    checkArbitraryReply(input + 1, size - 1);
  }
  return 0;
}
