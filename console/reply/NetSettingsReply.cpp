#include "reply/NetSettingsReply.h"

#include "reply/HexText.h"

std::array<std::string, 23> NetSettingsFromReply(const char* reply) {
  std::array<std::string, 23> texts;
  int position = 3;
  int field = 0;
  for (; field < 6; ++field, position += 2) {
    // A zero byte among the two ends the text early.
    texts[field] = std::string(reply + position, reply[position] == '\0' ? 0 : reply[position + 1] == '\0' ? 1 : 2);
  }
  for (; field < 22; ++field, position += 2) {
    texts[field] = std::to_string(HexPairToByte(reply + position));
  }
  const unsigned port = HexPairToByte(reply + position) * 256u + HexPairToByte(reply + position + 2);
  texts[field] = std::to_string(port);
  return texts;
}
