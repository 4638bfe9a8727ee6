// The data of the network settings write: two group-flag characters and the
// 48 characters of the settings text (MAC, My IP, GATE, SUB, DNS, PORT), a
// group that is not selected sent as '0' characters in its place, so always
// 50 characters.
#pragma once
#include <array>
#include <string>

// What the "Ethernet Set" page holds at the moment of a write, as the bytes
// its edits give.
struct NetSettingsForm {
  bool mac = false;
  bool ip = false;
  bool gate = false;
  bool subnet = false;
  bool dns = false;
  bool port = false;
  std::array<std::string, 6> macTexts;     // eMac1 .. eMac6, two hex characters each
  std::array<std::string, 16> octetTexts;  // eIP1 .. eIP4, eGate1 .., eSubnet1 .., eDns1 .. eDns4
  std::string portText;                    // eEPort
};

constexpr int kNetSettingsTextLength = 48;
constexpr int kNetWriteDataLength = 2 + kNetSettingsTextLength;

// The message that refuses a write: it names the first selected octet or the
// port that is not a whole number in its range (0-255, 1-65535) as the page
// shows it. Empty when every selected one is, and the write may go.
std::string NetSettingsRefusal(const NetSettingsForm& form);

// The 50 data characters. Octets and the port are read as decimal in the
// manner of atol (blanks, sign, digits up to the first non-digit; none give
// 0) and sent modulo 256 and 65536; a MAC text is converted as hex pairs are
// (an empty one sends 00).
std::string NetSettingsWriteData(const NetSettingsForm& form);
