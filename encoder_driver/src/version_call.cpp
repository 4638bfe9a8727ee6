// MagEncoderVersion and EncoderVersion: one entry point under two names.
#include <cstring>

#include "TRKDRV32.h"

namespace {

// VersionBlock: offset and text of each field.
struct VersionField {
  int offset;
  const char* text;
};

constexpr VersionField kVersionBlock[] = {
    {0, "Encoder Driver"}, {30, "V2.0"}, {40, ""}, {70, ""}, {100, ""}, {110, ""},
};
constexpr int kReturnedField = 110;

}  // namespace

extern "C" char* MagEncoderVersion(int32_t, char* block) {
  if (!block) return nullptr;
  for (const VersionField& field : kVersionBlock) std::strcpy(block + field.offset, field.text);
  return block + kReturnedField;
}

extern "C" char* EncoderVersion(int32_t, char* block) __attribute__((alias("MagEncoderVersion")));
