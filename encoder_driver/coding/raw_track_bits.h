// Raw-mode tracks: 33 bytes of a record's track area travel as 264 bit
// characters, each byte most significant bit first. Pure functions.
#pragma once

constexpr int kRawTrackBytes = 33;
constexpr int kRawTrackBits = 8 * kRawTrackBytes;

// Writes the 264 bit characters of the first 33 bytes of `data`; returns 264.
// No NUL.
int RawTrackToBits(char* out, const unsigned char* data);

// Finds the framing character of a raw read reply (the first character from
// position 3 on that is not '0') and packs the 264 characters after it
// (character minus '0', unchecked) into 33 bytes at `out`. `reply` holds
// `length` received bytes; a reply without the framing character and 264
// characters after it inside those bytes is refused: false, `out` untouched.
bool RawBitsToTrack(unsigned char* out, const char* reply, int length);
