// The driver's ISO 7811 track coding and write check.
// - Encoding any text of track characters and decoding the bits (behind
//   leading zeros, with anything after them) gives the text back, into an
//   area of exactly the text's size and its NUL; one byte less is refused.
// - Decoding arbitrary bit text into an area of exactly the given size never
//   writes past it, and a text it accepts encodes back to the very bits it
//   was read from.
// - The write check agrees with a reference built from the character table.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_check.h"
#include "iso_track_coding.h"
#include "track_validation.h"

namespace {

struct TrackCoding {
  int width;
  int offset;
  int (*encode)(char*, const char*, int);
  int (*decode)(int*, char*, int, const char*, int);
};

const TrackCoding kTrack1{kTrack1GroupWidth, 32, EncodeTrack1, DecodeTrack1};
const TrackCoding kTrack23{kTrack23GroupWidth, 48, EncodeTrack23, DecodeTrack23};

std::string encoded(const TrackCoding& coding, const std::string& text) {
  const int length = static_cast<int>(text.size());
  const size_t size = static_cast<size_t>(coding.width) * (text.size() + 3);
  std::unique_ptr<char[]> bits(new char[size]);
  require(coding.encode(bits.get(), text.data(), length) == static_cast<int>(size),
          "encoded length");
  return std::string(bits.get(), size);
}

// Decodes into a heap area of exactly outSize bytes.
int decoded(const TrackCoding& coding, const std::string& bits, int outSize, int* error,
            std::string* text) {
  std::unique_ptr<char[]> out(new char[outSize]);
  const int count =
      coding.decode(error, out.get(), outSize, bits.data(), static_cast<int>(bits.size()));
  if (*error == 0) {
    require(count >= 0 && count < outSize, "decoded text fits its area with its NUL");
    require(out[count] == '\0', "decoded text ends with NUL");
    require(std::strlen(out.get()) == static_cast<size_t>(count), "decoded text holds no NUL");
    *text = std::string(out.get(), count);
  } else {
    require(count == 0, "a failed decode counts nothing");
    require(*error == kDecodeLrcError || *error == kDecodeNoEndSentinel ||
                *error == kDecodeNotEncoded || *error == kDecodeWrongStartSentinel,
            "decode errors are the reader's codes");
  }
  return count;
}

// A track character for every input byte: any data value but the end
// sentinel's (31 on track 1, 15 on tracks 2/3), which would end the text.
std::string trackText(const TrackCoding& coding, const uint8_t* bytes, size_t size) {
  const int endSentinel = coding.width == kTrack1GroupWidth ? 31 : 15;
  const int topValue = (1 << (coding.width - 1)) - 1;
  std::string text;
  for (size_t i = 0; i < size; ++i) {
    int value = bytes[i] % topValue;
    if (value == endSentinel) value = topValue;
    text += static_cast<char>(coding.offset + value);
  }
  return text;
}

void checkRoundTrip(const TrackCoding& coding, int leadingZeros, const uint8_t* bytes,
                    size_t size) {
  const std::string text = trackText(coding, bytes, size);
  const std::string bits = std::string(leadingZeros, '0') + encoded(coding, text) + "01x";
  int error = 0;
  std::string back;
  const int room = static_cast<int>(text.size()) + 1;
  decoded(coding, bits, room, &error, &back);
  if (text.empty()) {
    require(error == kDecodeNotEncoded, "an empty track is shorter than four groups");
    return;
  }
  require(error == 0 && back == text, "encode then decode gives the text back");
  decoded(coding, bits, room - 1, &error, &back);
  require(error == kDecodeNoEndSentinel, "a text one byte too long for its area is refused");
}

void checkArbitraryBits(const TrackCoding& coding, int outSize, const uint8_t* bytes, size_t size) {
  // Mostly bit characters, with the odd other character from high bytes.
  std::string bits;
  for (size_t i = 0; i < size; ++i) {
    bits += bytes[i] >= 0xF8 ? static_cast<char>(bytes[i] & 0x7F) : (bytes[i] & 1) ? '1' : '0';
  }
  int error = 0;
  std::string text;
  decoded(coding, bits, outSize, &error, &text);
  if (error != 0) return;
  const std::string again = encoded(coding, text);
  const size_t first = bits.find_first_not_of('0');
  require(bits.compare(first, again.size(), again) == 0,
          "an accepted text encodes to the bits it came from");
}

bool referenceAccepts(int track, char c) {
  static const std::string track1Set = " $()-./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^";
  static const std::string track23Set = "0123456789=";
  const std::string& set = track == 1 ? track1Set : track23Set;
  return set.find(c) != std::string::npos;
}

int referenceCheck(const char* text, int length, int track, int flag) {
  if (length == -1) return kCheckAccepted;
  if (track < 1 || track > 3) return kCheckBadChar;
  if (flag == 0) return kCheckAccepted;
  for (int i = 0; i < length; ++i) {
    if (!referenceAccepts(track, text[i])) return kCheckBadChar;
  }
  const int longest[] = {0, 76, 37, 104};
  return length > longest[track] ? kCheckTooLong : kCheckAccepted;
}

// The length is the text's own, or a negative one (which examines nothing).
void checkValidation(int track, int flag, int length, const uint8_t* bytes, size_t size) {
  std::unique_ptr<char[]> text(new char[size]);
  std::memcpy(text.get(), bytes, size);
  require(CheckTrackData(text.get(), length, track, flag) ==
              referenceCheck(text.get(), length, track, flag),
          "write check agrees with the character table");
}

}  // namespace

// Input: mode, track, a parameter byte, then the text or bits.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  if (size < 3) return 0;
  const TrackCoding& coding = input[1] % 2 == 0 ? kTrack1 : kTrack23;
  const uint8_t* rest = input + 3;
  const size_t restSize = size - 3;
  switch (input[0] % 3) {
    case 0:
      checkRoundTrip(coding, input[2], rest, restSize);
      break;
    case 1:
      checkArbitraryBits(coding, 1 + input[2] % 128, rest, restSize);
      break;
    default:
      checkValidation(input[1] % 5, input[2] & 1,
                      input[2] < 0xC0 ? static_cast<int>(restSize) : 0xBF - input[2], rest,
                      restSize);
      break;
  }
  return 0;
}
