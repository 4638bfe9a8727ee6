#include "gui/WholeNumber.h"

bool IsWholeNumberIn(const std::string& text, long min, long max) {
  const char* blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return false;
  const size_t last = text.find_last_not_of(blanks);
  long value = 0;
  for (size_t i = first; i <= last; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    const int digit = text[i] - '0';
    if (value > (max - digit) / 10) return false;  // past max, long before an overflow
    value = value * 10 + digit;
  }
  return value >= min;
}
