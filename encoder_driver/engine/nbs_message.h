// The framed message of MagNBSCoder: STX, the four texts of the host's text
// block, the record's scratch text as eight lines, tracks 1 and 2 as text,
// track 3 as hexadecimal bits, CRs between the parts, ETX.
#pragma once

#include "TRKDRV32.h"

// Offsets of the four texts in the host's text block, 65 bytes of room each.
constexpr int kNbsTextOffsets[4] = {0, 65, 130, 195};
// Characters taken of a text at most: a text without its terminator inside
// its room is cut there rather than run into the next one.
constexpr int kNbsTextMax = 64;
// The longest message that BuildNbsMessage makes.
constexpr int kNbsMessageMax = 913;

// Writes the message (no terminator) to `out`, which has room for
// kNbsMessageMax bytes, and returns its length; -1 without a message when a
// length byte lies outside its area (len1 or len2 above 128, len3 above 127,
// whose hexadecimal field would not fit its 128 bytes).
int BuildNbsMessage(char* out, const CoderRecord* record, const char* texts);
