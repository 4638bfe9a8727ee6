// Text forms of record areas used in the framed message that carries a card's
// data to a host over TCP: the scratch text as eight lines, and track 3 as a
// hexadecimal bit field. Pure functions; they write no terminating NUL.
#pragma once

constexpr int kScratchSize = 128;
constexpr int kTrackLinesRoom = kScratchSize + 7;  // 128 characters and 7 CRs

constexpr int kTrackHexMaxBytes = 127;  // the field of len3 + 1 bytes fits 128
constexpr int kTrackHexRoom = 2 * (kTrackHexMaxBytes + 1);

// The text at `scratch` (up to its NUL, at most 128 characters) cut into lines
// of 16 characters joined by CR, then CRs until there are exactly seven: eight
// lines, the trailing ones empty. `out` needs kTrackLinesRoom bytes. Returns
// the number of characters written.
int FormatTrackLines(char* out, const char* scratch);

// The bit field "1, the bytes most significant bit first, 1, zeros up to a
// whole byte" (length + 1 bytes) as "%02X" pairs. Length 0 gives "C0", the
// field of no data bytes. `out` needs 2*(length+1) bytes (kTrackHexRoom at
// most). Returns the number of characters written, or -1 without writing for a
// length outside 0..127, whose field would not fit its 128 bytes.
int FormatTrackHex(char* out, const unsigned char* data, int length);
