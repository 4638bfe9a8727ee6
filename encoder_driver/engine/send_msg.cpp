// The lines the driver sends, built in the session's sendBuf: a three-character
// prefix, the data, CR LF.
#include <cstring>

#include "iso_track_coding.h"
#include "link_io.h"
#include "protocol_engine.h"
#include "raw_track_bits.h"
#include "serial_port.h"
#include "track_fields.h"

namespace {

constexpr int kPrefixLength = 3;

int endLine(char* line, int length) {
  line[length] = '\r';
  line[length + 1] = '\n';
  return length + 2;
}

int commandLine(char* line, const char* text) {
  const int length = static_cast<int>(std::strlen(text));
  std::memcpy(line, text, static_cast<size_t>(length));
  return endLine(line, length);
}

// A write line: the prefix, then the track's data as bits. Raw: "1", the 264
// bits of the area's 33 bytes, "1" (271 bytes in all, whatever the length
// byte says). ISO: the coded text of the length byte's characters; the byte is
// signed, and 127 characters at most fit the area, so the line stays well
// inside sendBuf.
int writeLine(char* line, const char* prefix, CoderRecord* record, int track, bool iso) {
  std::memcpy(line, prefix, kPrefixLength);
  const char* area = TrackArea(record, track);
  int length = kPrefixLength;
  if (iso) {
    const int characters = static_cast<int8_t>(TrackLength(record, track));
    length += track == 1 ? EncodeTrack1(line + length, area, characters)
                         : EncodeTrack23(line + length, area, characters);
  } else {
    line[length++] = '1';
    length += RawTrackToBits(line + length, reinterpret_cast<const unsigned char*>(area));
    line[length++] = '1';
  }
  return endLine(line, length);
}

int readTrack1Line(SessionRecord* session, CoderRecord* record, char* line) {
  if (record->len2 != 0 || record->len3 != 0) {
    session->firstRead = 0;
    return commandLine(line, "181");
  }
  return commandLine(line, "221");
}

int readTrack2Line(SessionRecord* session, CoderRecord* record, char* line) {
  if (record->len3 == 0) return commandLine(line, "222");
  if (session->firstRead != 0) {
    session->firstRead = 0;
    return commandLine(line, "182");
  }
  return commandLine(line, "202");
}

// The line of `code` in `line`; its length, 0 for a code without a line (or
// a track line without its record).
int buildLine(SessionRecord* session, MessageCode code, CoderRecord* record, char* line) {
  switch (code) {
    case MSG_INIT_LINK:
      return commandLine(line, "080B");
    case MSG_CARD_IN:
      return commandLine(line, "120");
    case MSG_NO_OPERATION:
      session->initNorm = kInitNormAgain;
      return commandLine(line, "000");
    case MSG_NORM_ISO:
      return commandLine(line, "080I");
    case MSG_ENTRY_FRONT:
      return commandLine(line, "160");
    case MSG_CANCEL:
      // MagAbort left the abort flag with the serial port, which refuses to
      // send while it is set; the cancel line must go out all the same.
      if (IsSerialSession(*session)) w1632_SioSetAbort(session->port, nullptr);
      return commandLine(line, "010");
    case MSG_READ_TRACK3_RAW:
    case MSG_READ_TRACK3_ISO:
      return commandLine(line, "223");
    default:
      break;
  }
  if (record == nullptr) return 0;
  switch (code) {
    case MSG_READ_TRACK1_RAW:
    case MSG_READ_TRACK1_ISO:
      return readTrack1Line(session, record, line);
    case MSG_READ_TRACK2_RAW:
    case MSG_READ_TRACK2_ISO:
      return readTrack2Line(session, record, line);
    case MSG_WRITE_TRACK1_RAW:
    case MSG_WRITE_TRACK1_ISO:
      return writeLine(line, record->len2 != 0 || record->len3 != 0 ? "211" : "191", record, 1,
                       code == MSG_WRITE_TRACK1_ISO);
    case MSG_WRITE_TRACK2_RAW:
    case MSG_WRITE_TRACK2_ISO:
      return writeLine(line, record->len3 != 0 ? "212" : "192", record, 2,
                       code == MSG_WRITE_TRACK2_ISO);
    case MSG_WRITE_TRACK3_RAW:
    case MSG_WRITE_TRACK3_ISO:
      return writeLine(line, record->len1 != 0 || record->len2 != 0 ? "193" : "233", record, 3,
                       code == MSG_WRITE_TRACK3_ISO);
    default:
      return 0;
  }
}

}  // namespace

void send_msg(SessionRecord* session, MessageCode code, CoderRecord* record, int) {
  FlushInput(session);
  std::memset(session->sendBuf, 0, sizeof session->sendBuf);
  const int length = buildLine(session, code, record, session->sendBuf);
  if (IsLinkLost(session) || length == 0) return;
  SendToLink(session, session->sendBuf, length);
}
