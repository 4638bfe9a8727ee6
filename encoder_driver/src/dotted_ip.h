// The driver's own reading of a dotted IPv4 address. Pure functions.
#pragma once
#include <cstdint>

// Room of the work area the host text is copied into before it is parsed.
constexpr int kDottedIpWorkArea = 32;

// The address in network byte order (field 1 in bits 0-7 ... field 4 in bits
// 24-31), or -1 when the text is not four numeric fields. Fields are split at
// '.', taken modulo 256; empty and missing trailing fields count as 0, so
// "10.0.0" is 10.0.0.0 and "300" is 44.0.0.0. A text that does not fit the
// 32-byte work area (32 characters or more) is not a dotted address: -1, and
// the caller looks the name up.
int32_t ParseDottedIp(const char* host);

// Skips blanks, copies the token up to ',', blank, tab or the end (at most
// size - 1 characters, NUL-terminated; the rest of a longer token is
// dropped) and returns the position after the separator, or of the text's
// terminating NUL.
const char* NextToken(const char* text, char* token, int size);

// Decimal value of the leading digits (modulo 2^32); *allDigits is 1 when
// every character was a digit (also for an empty text), else 0.
int32_t ParseDecimal(const char* text, int* allDigits);
