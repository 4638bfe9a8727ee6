// ISO 7811 character coding of magnetic-stripe tracks as bit text: one '0'/'1'
// character per bit. The reader runs in bit norm, so the driver itself turns
// track text into sentinel-framed, parity-checked, LRC-closed bit groups and
// back. Pure functions over caller-owned buffers; no state, no I/O.
#pragma once

// Groups: track 1 has 6 data bits + odd parity (7 characters per group),
// tracks 2 and 3 have 4 data bits + odd parity (5 characters per group).
constexpr int kTrack1GroupWidth = 7;
constexpr int kTrack23GroupWidth = 5;

// Decoder codes, the reader's own status numbers for the same conditions.
constexpr int kDecodeLrcError = 11;
constexpr int kDecodeNoEndSentinel = 18;
constexpr int kDecodeNotEncoded = 19;
constexpr int kDecodeWrongStartSentinel = 20;

// Returns value with bit nbits set or cleared so that bits 0..nbits hold an
// odd number of ones; only bits 0..nbits-1 are counted.
int SetOddParity(int value, int nbits);

// Writes the n lowest bits of the 8-bit value as '0'/'1', least significant
// first; returns n. Writes no terminating NUL.
int BitsToText(char* out, int value, int n);

// Writes the bit text of a track: start sentinel, the characters (code - 32 on
// track 1, code - 48 on tracks 2/3, not validated), end sentinel, LRC. A length
// of 0 or less writes an empty track. Returns the number of characters written,
// 7*(length+3) or 5*(length+3); `out` must have that much room. No NUL.
int EncodeTrack1(char* out, const char* text, int length);
int EncodeTrack23(char* out, const char* text, int length);

// Reads one group of nbits+1 characters and returns its data value. Sets
// *error to 1 (and returns 0) for a character other than '0'/'1' or a group
// with even parity, else to 0.
int ReadBitChar(int* error, int nbits, const char* bits);

// Decodes the n characters of `bits` (leading '0's skipped, anything after the
// LRC group ignored) into NUL-terminated text at `out`, which has room for
// outSize bytes (terminator included, at least 1). Returns the number of characters, or 0
// with *error set to 11, 18, 19 or 20 (see the codes above). A track whose
// characters do not fit `out` has no end sentinel inside that room: 18.
int DecodeTrack(int* error, char* out, int outSize, const char* bits, int n, int start, int end,
                int nbits, int offset);
int DecodeTrack1(int* error, char* out, int outSize, const char* bits, int n);
int DecodeTrack23(int* error, char* out, int outSize, const char* bits, int n);
