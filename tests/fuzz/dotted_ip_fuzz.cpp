// The driver's dotted-address parsing. Any text gives what a reference reading
// written here gives (fields at '.', ',', blanks and tabs, digits only, each
// modulo 256, missing ones 0, texts of 32 characters or more refused); every
// a.b.c.d of bytes gives what inet_pton gives; and a token is cut to its
// buffer, whose exact size the target allocates.
#include <arpa/inet.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "dotted_ip.h"
#include "fuzz_check.h"

namespace {

bool endsToken(char c) { return c == '.' || c == ',' || c == ' ' || c == '\t' || c == '\0'; }

int32_t referenceAddress(const std::string& text) {
  if (text.size() >= kDottedIpWorkArea) return -1;
  uint32_t address = 0;
  size_t at = 0;
  for (int field = 0; field < 4; ++field) {
    while (at < text.size() && text[at] == ' ') ++at;
    uint32_t value = 0;
    for (; at < text.size() && !endsToken(text[at]); ++at) {
      if (text[at] < '0' || text[at] > '9') return -1;
      value = value * 10 + static_cast<uint32_t>(text[at] - '0');
    }
    address |= (value & 0xFF) << (8 * field);
    if (at < text.size()) ++at;
  }
  return static_cast<int32_t>(address);
}

void checkAddress(const std::string& text) {
  std::unique_ptr<char[]> host(new char[text.size() + 1]);
  std::memcpy(host.get(), text.c_str(), text.size() + 1);
  require(ParseDottedIp(host.get()) == referenceAddress(text), "address agrees with the reference");
}

void checkCanonical(const uint8_t* fields) {
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", fields[0], fields[1], fields[2], fields[3]);
  in_addr expected{};
  require(inet_pton(AF_INET, text, &expected) == 1, "the reference address is valid");
  require(ParseDottedIp(text) == static_cast<int32_t>(expected.s_addr),
          "a.b.c.d agrees with inet_pton");
}

void checkToken(const std::string& text, int size) {
  std::unique_ptr<char[]> token(new char[std::max(size, 1)]);
  const char* after = NextToken(text.c_str(), token.get(), size);
  size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) start = text.size();
  size_t end = start;
  while (end < text.size() && text[end] != ',' && text[end] != ' ' && text[end] != '\t') ++end;
  const size_t expectedAfter = end < text.size() ? end + 1 : text.size();
  require(after == text.c_str() + expectedAfter, "position after the separator");
  if (size == 0) return;
  const std::string kept =
      text.substr(start, std::min<size_t>(end - start, static_cast<size_t>(size - 1)));
  require(std::strlen(token.get()) == kept.size() && kept == token.get(),
          "token cut to its buffer");
}

}  // namespace

// Input: a token buffer size, four address bytes, then the text (up to a NUL).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  if (size < 5) return 0;
  const std::string text(reinterpret_cast<const char*>(input + 5),
                         strnlen(reinterpret_cast<const char*>(input + 5), size - 5));
  checkAddress(text);
  checkCanonical(input + 1);
  checkToken(text, input[0] % 40);
  return 0;
}
