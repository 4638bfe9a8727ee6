#include "dotted_ip.h"

#include <cstring>

namespace {

constexpr int kAddressFields = 4;

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isBlank(char c) { return c == ' '; }
bool endsToken(char c) { return c == ',' || c == ' ' || c == '\t' || c == '\0'; }

}  // namespace

const char* NextToken(const char* text, char* token, int size) {
  while (isBlank(*text)) ++text;
  int kept = 0;
  while (!endsToken(*text)) {
    if (kept < size - 1) token[kept++] = *text;
    ++text;
  }
  if (size > 0) token[kept] = '\0';
  return *text == '\0' ? text : text + 1;
}

int32_t ParseDecimal(const char* text, int* allDigits) {
  uint32_t value = 0;
  *allDigits = 1;
  for (; *text != '\0'; ++text) {
    if (!isDigit(*text)) {
      *allDigits = 0;
      break;
    }
    value = value * 10 + static_cast<uint32_t>(*text - '0');
  }
  return static_cast<int32_t>(value);
}

int32_t ParseDottedIp(const char* host) {
  char work[kDottedIpWorkArea];
  if (std::strlen(host) >= sizeof work) return -1;
  std::strcpy(work, host);
  for (char* c = work; *c != '\0'; ++c) {
    if (*c == '.') *c = ',';
  }
  uint32_t address = 0;
  const char* position = work;
  for (int field = 0; field < kAddressFields; ++field) {
    char token[kDottedIpWorkArea];
    position = NextToken(position, token, sizeof token);
    int allDigits = 0;
    const uint32_t value = static_cast<uint32_t>(ParseDecimal(token, &allDigits));
    if (!allDigits) return -1;
    address |= (value & 0xFF) << (8 * field);
  }
  return static_cast<int32_t>(address);
}
