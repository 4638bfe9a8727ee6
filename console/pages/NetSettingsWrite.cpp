#include "pages/NetSettingsWrite.h"

#include <cstdlib>
#include <utility>

#include "gui/WholeNumber.h"
#include "reply/HexText.h"

namespace {

// Decimal value as atol reads it; a number too large for a long reads as the
// largest long (atol leaves that undefined).
long atolValue(const std::string& text) { return std::strtol(text.c_str(), nullptr, 10); }

void appendByte(std::string& text, unsigned value) {
  char pair[2];
  ByteToHex(static_cast<uint8_t>(value & 0xFF), pair);
  text.append(pair, 2);
}

// Appends `count` octet edits from `first`, or as many "00" when not selected.
void appendOctets(std::string& text, bool selected, const std::string* first, int count) {
  for (int i = 0; i < count; ++i) {
    if (selected) {
      appendByte(text, static_cast<unsigned>(atolValue(first[i])));
    } else {
      text += "00";
    }
  }
}

char hexDigit(int value) { return static_cast<char>(value <= 9 ? '0' + value : 'A' + value - 10); }

}  // namespace

std::string NetSettingsRefusal(const NetSettingsForm& form) {
  const std::pair<bool, const char*> groups[] = {
      {form.ip, "My IP"}, {form.gate, "GATE"}, {form.subnet, "SUB"}, {form.dns, "DNS"}};
  for (size_t group = 0; group < 4; ++group) {
    if (!groups[group].first) continue;
    for (size_t i = 0; i < 4; ++i) {
      // An empty edit goes out as 0, a valid octet.
      const std::string& octet = form.octetTexts[group * 4 + i];
      if (!octet.empty() && !IsWholeNumberIn(octet, 0, 255)) {
        return std::string("SETTING ERROR - Check ") + groups[group].second + " field " +
               std::to_string(i + 1) + " (a number 0-255)";
      }
    }
  }
  if (form.port && !IsWholeNumberIn(form.portText, 1, 65535))
    return "SETTING ERROR - Check PORT (a number 1-65535)";
  return "";
}

std::string NetSettingsWriteData(const NetSettingsForm& form) {
  std::string text;
  text.reserve(kNetSettingsTextLength);
  for (const std::string& mac : form.macTexts) {
    if (form.mac) {
      const std::string pair = (mac + std::string(2, '\0')).substr(0, 2);
      uint8_t byte = 0;
      HexTextToBytes(&byte, pair.data(), 2);
      appendByte(text, byte);
    } else {
      text += "00";
    }
  }
  appendOctets(text, form.ip, &form.octetTexts[0], 4);
  appendOctets(text, form.gate, &form.octetTexts[4], 4);
  appendOctets(text, form.subnet, &form.octetTexts[8], 4);
  appendOctets(text, form.dns, &form.octetTexts[12], 4);
  if (form.port) {
    const unsigned port = static_cast<unsigned>(atolValue(form.portText));
    appendByte(text, port >> 8);
    appendByte(text, port);
  } else {
    text += "0000";
  }

  const int first = (form.dns ? 1 : 0) + (form.port ? 2 : 0);
  const int second =
      (form.mac ? 1 : 0) + (form.ip ? 2 : 0) + (form.gate ? 4 : 0) + (form.subnet ? 8 : 0);
  return std::string{static_cast<char>('0' + first), hexDigit(second)} + text;
}
