// Whether a field that must hold a whole number holds one in its range, for
// the checks made before a typed value goes to the reader or the link.
#pragma once
#include <string>

// True for decimal digits only (no sign), blanks or a line end around them
// allowed, whose value lies from `min` to `max` (0 <= min <= max).
bool IsWholeNumberIn(const std::string& text, long min, long max);
