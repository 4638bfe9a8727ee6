#include <cstdlib>

#include "link.h"

int StatusCodeOf(const char* twoChars) {
  // Only the first two characters count, so a reply's echo character and
  // payload never run into the number.
  char digits[3] = {};
  for (int i = 0; twoChars && i < 2 && twoChars[i] != '\0'; ++i) digits[i] = twoChars[i];
  return static_cast<int>(std::strtol(digits, nullptr, 10));
}
