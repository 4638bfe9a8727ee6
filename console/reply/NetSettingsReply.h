// The reader's network settings as its read-back reply carries them: from
// byte 3, six MAC pairs, then My IP, GATE, SUB and DNS as four pairs each, then
// the port as a high and a low pair. Turned into the 23 texts of the settings
// edits: MAC pairs as received, octets and the port in decimal.
#pragma once
#include <array>
#include <string>

struct NetSettingsReadBack {
  std::array<std::string, 23> texts;  // eMac1 first, eEPort last
  // The texts that the reply carried whole: texts[0 .. fieldCount). A reply
  // that ends early (at its line end or NUL) fills no edit past its end.
  int fieldCount = 0;
};

// Characters of a whole read-back reply up to the end of the port pairs.
constexpr int kNetReadBackLength = 51;

// `reply` is the reply text, NUL-terminated.
NetSettingsReadBack NetSettingsFromReply(const char* reply);
