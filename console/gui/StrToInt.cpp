#include "gui/StrToInt.h"

#include <cstdint>

int StrToInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const size_t firstDigit = i;
  int64_t value = 0;
  const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9' && value <= limit) {
    value = value * 10 + (text[i] - '0');
    ++i;
  }
  if (i == firstDigit || i != text.size() || value > limit) {
    throw EConvertError("'" + text + "' is not a valid integer value");
  }
  return static_cast<int>(negative ? -value : value);
}
