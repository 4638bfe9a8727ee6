// Hex text helpers of the console: plain byte arithmetic on characters taken
// as unsigned bytes, no tables and no failure results. The two pair
// converters draw the line between digits and letters at different places
// ('9' and 'A'); they agree on every hex digit of either case and differ only
// for the seven characters ':' to '@'.
#pragma once
#include <cstdint>

// c - 48 when c <= '9', else c - 55, both modulo 256; no masking, so 'a'
// gives 42.
uint8_t HexDigitValue(char c);

// The two upper-case hex digits of `b`, high nibble first; no terminator.
void ByteToHex(uint8_t b, char out[2]);

// Two characters to one byte: each character c counts c - 48 when c <= '9',
// else c - 55; ((first << 4) & 0xF0) + (second & 0x0F). Lower-case 'a'-'f'
// give the same value as upper case.
uint8_t HexPairToByte(const char pair[2]);

// Converts the first n / 2 pairs of `text` (an odd last character is
// ignored) into `out`: a character c counts c - 48 when c < 'A', else c - 55;
// out[i] = ((high << 4) & 0xF0) | (low & 0x0F), a blank as the low character
// giving 0. `text` must hold n readable characters, `out` room for n / 2
// bytes. Returns n / 2.
int HexTextToBytes(uint8_t* out, const char* text, uint8_t n);
