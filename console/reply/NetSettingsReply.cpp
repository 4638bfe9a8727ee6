#include "reply/NetSettingsReply.h"

#include <cstring>

#include "reply/HexText.h"

NetSettingsReadBack NetSettingsFromReply(const char* reply) {
  NetSettingsReadBack result;
  // What came before the line end; a pair is taken only when both of its
  // characters came.
  const size_t received = std::strcspn(reply, "\r\n");
  auto came = [received](int position, int length) {
    return static_cast<size_t>(position + length) <= received;
  };
  int position = 3;
  int& field = result.fieldCount;
  for (; field < 6; ++field, position += 2) {
    if (!came(position, 2)) return result;
    result.texts[field] = std::string(reply + position, 2);
  }
  for (; field < 22; ++field, position += 2) {
    if (!came(position, 2)) return result;
    result.texts[field] = std::to_string(HexPairToByte(reply + position));
  }
  if (!came(position, 4)) return result;
  const unsigned port =
      HexPairToByte(reply + position) * 256u + HexPairToByte(reply + position + 2);
  result.texts[field++] = std::to_string(port);
  return result;
}
