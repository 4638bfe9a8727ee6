// Hex text helpers of the console: plain byte arithmetic on characters taken
// as unsigned bytes, no tables and no failure results.
#pragma once
#include <cstdint>

// Two characters to one byte: each character c counts c - 48 when c <= '9',
// else c - 55; ((first << 4) & 0xF0) + (second & 0x0F). Lower-case 'a'-'f'
// give the same value as upper case.
uint8_t HexPairToByte(const char pair[2]);
