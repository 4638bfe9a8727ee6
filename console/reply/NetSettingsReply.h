// The reader's network settings as its read-back reply carries them: from
// byte 3, six MAC pairs, then My IP, GATE, SUB and DNS as four pairs each, then
// the port as a high and a low pair. Turned into the 23 texts of the settings
// edits: MAC pairs as received, octets and the port in decimal.
#pragma once
#include <array>
#include <string>

// `reply` is the whole reply text; it must have at least 51 readable bytes
// (the reply buffer is zero-filled, so a short reply reads as zeros: empty
// MAC texts and 0 values).
std::array<std::string, 23> NetSettingsFromReply(const char* reply);
