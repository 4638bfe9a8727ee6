// The driver's reply wait and the storing of read data. The reader's side of
// a socket pair sends the input's pieces, one per 500 ms pass of the wait
// (the passes cost no real time: the sleeps and the clock are replaced), and
// once they are all sent the deadline passes. The outcome must be what a
// model of the wait, written here, finds in the same pieces (a whole reply of
// at least status and echo whose echo is the track; the time-out; or a full
// buffer without a reply end) fed to the state machine of a twin session. A
// successful read stores data whose coding appears in the reply itself.
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <string>

#include "fuzz_check.h"
#include "iso_track_coding.h"
#include "platform/tick.h"
#include "protocol_engine.h"
#include "raw_track_bits.h"
#include "track_fields.h"

namespace {

constexpr int kTimeoutMs = 10000;

uint32_t now = 0;
uint32_t fakeTick() { return now; }

struct Link {
  int driverEnd = -1;
  int readerEnd = -1;
  Link() {
    int ends[2];
    require(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) == 0, "socket pair");
    driverEnd = ends[0];
    readerEnd = ends[1];
  }
  ~Link() {
    ::close(driverEnd);
    ::close(readerEnd);
  }
};

// The reader: one piece per pass, never while the last is still unread; once
// all are sent, time runs out (and only then: however many pieces there are,
// they all come in time).
Link* reader = nullptr;
std::deque<std::string> pieces;

void drop(int fd) {
  char discarded[512];
  while (::recv(fd, discarded, sizeof discarded, MSG_DONTWAIT) > 0) {
  }
}

void readerPass(uint32_t) {
  drop(reader->readerEnd);  // the lines the driver sent
  int unread = 0;
  ::ioctl(reader->driverEnd, FIONREAD, &unread);
  if (unread > 0) return;
  if (pieces.empty()) {
    now += 2 * kTimeoutMs;
    return;
  }
  const std::string& piece = pieces.front();
  require(::send(reader->readerEnd, piece.data(), piece.size(), MSG_NOSIGNAL) ==
              static_cast<ssize_t>(piece.size()),
          "the reader sends its piece");
  pieces.pop_front();
}

enum class Outcome { Reply, TimeOut, BufferFull };

bool complete(const std::string& buffer) {
  const char last = buffer.back();
  if (last == '\n' || last == 0x04 || last == 0x06 || last == 0x15) return true;
  return buffer.size() >= 2 && buffer[buffer.size() - 2] == 0x03;
}

// The wait as documented, on the same pieces: what it ends with, and the
// buffer that holds the reply.
Outcome model(std::deque<std::string> queue, int track, std::string* reply) {
  std::string buffer;
  std::string unread;
  for (;;) {
    if (unread.empty()) {
      if (queue.empty()) return Outcome::TimeOut;
      unread = queue.front();
      queue.pop_front();
    }
    const size_t taken = std::min(unread.size(), kLineBufferSize - buffer.size());
    buffer += unread.substr(0, taken);
    unread.erase(0, taken);
    while (!buffer.empty() && complete(buffer)) {
      if (buffer.size() >= 3 && buffer[2] - '0' == track) {
        *reply = buffer;
        return Outcome::Reply;
      }
      const size_t lf = buffer.find('\n');
      buffer.erase(0, lf == std::string::npos ? buffer.size() : lf + 1);
    }
    if (buffer.size() >= kLineBufferSize) return Outcome::BufferFull;
  }
}

std::unique_ptr<SessionRecord> newSession(const Link& link, int flag) {
  std::unique_ptr<SessionRecord> session = NewSessionRecord();
  session->isTcp = 1;
  session->sock = link.driverEnd;
  session->timeoutMs = kTimeoutMs;
  session->initNorm = kInitNormSent;
  session->nonHalvikTrack1 = session->nonHalvikTrack2 = session->nonHalvikTrack3 = flag;
  session->mrw_state = MRW_STATE_READ;
  session->lastError = 0x44332211;
  return session;
}

// What the twin session's state machine makes of the model's outcome.
int twinResult(Outcome outcome, const std::string& reply, SessionRecord* twin, CoderRecord* record,
               int track) {
  switch (outcome) {
    case Outcome::TimeOut:
      return mrw_state_machine(twin, MRW_EV_TIMEOUT, nullptr, 0);
    case Outcome::BufferFull:
      twin->lastResult = MRW_RECEIVEERROR;
      return MRW_RECEIVEERROR;
    case Outcome::Reply:
      break;
  }
  std::memcpy(twin->recvBuf, reply.data(), reply.size());
  const int status = (reply[0] - '0') * 10 + (reply[1] - '0');
  return mrw_state_machine(twin, status, record, track);
}

// The coding of what was stored, found in the reply's bits.
void checkStoredData(const SessionRecord& session, CoderRecord* record, int track,
                     const std::string& reply) {
  const int length = TrackLength(record, track);
  const char* area = TrackArea(record, track);
  std::string bits;
  if (TrackCodingFlag(&session, track) == 0) {
    require(length == kRawTrackBytes, "a raw read stores 33 bytes");
    bits.resize(kRawTrackBits);
    RawTrackToBits(&bits[0], reinterpret_cast<const unsigned char*>(area));
    // Raw characters are packed unchecked: only bit characters round-trip.
    const std::string payload = reply.substr(reply.find_first_not_of('0', 3) + 1, kRawTrackBits);
    if (payload.find_first_not_of("01") != std::string::npos) return;
  } else {
    require(length < kTrackAreaSize && area[length] == '\0' &&
                std::strlen(area) == static_cast<size_t>(length),
            "an ISO read stores its text and NUL inside the area");
    bits.resize(
        static_cast<size_t>((track == 1 ? kTrack1GroupWidth : kTrack23GroupWidth) * (length + 3)));
    if (track == 1) {
      EncodeTrack1(&bits[0], area, length);
    } else {
      EncodeTrack23(&bits[0], area, length);
    }
  }
  require(reply.find(bits, 3) != std::string::npos, "stored data comes from the reply");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  platform::SetTickSource(fakeTick);
  platform::SetSleepFunction(readerPass);
  return 0;
}

// Input: track, coding flag and a last reply left in the buffer, then pieces, each a length byte
// and its bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size) {
  if (size < 1) return 0;
  const int track = 1 + input[0] % 3;
  const int flag = (input[0] >> 2) & 1;
  pieces.clear();
  for (size_t at = 1; at < size;) {
    const size_t length = std::min<size_t>(1 + input[at], size - at - 1);
    if (length > 0) pieces.emplace_back(reinterpret_cast<const char*>(input + at + 1), length);
    at += 1 + length;
  }
  std::string reply;
  const Outcome outcome = model(pieces, track, &reply);

  Link link;
  Link twinLink;
  reader = &link;
  std::unique_ptr<SessionRecord> session = newSession(link, flag);
  std::unique_ptr<SessionRecord> twin = newSession(twinLink, flag);
  if (input[0] & 8) {
    // The session's last exchange (a reply for the same track) is still in
    // its buffer: a new reply must not be mistaken for it.
    const std::string lastReply = "00" + std::to_string(track) + "1\r\n";
    std::memcpy(session->recvBuf, lastReply.data(), lastReply.size());
  }
  CoderRecord record{};
  std::memset(&record, 0x5A, sizeof record);
  CoderRecord twinRecord = record;

  now = 1000;
  session->deadline = now + kTimeoutMs;
  WaitReply(session.get(), &record, track);
  const int expected = twinResult(outcome, reply, twin.get(), &twinRecord, track);

  require(session->lastResult == expected, "the wait ends as the model says");
  require(session->lastError == twin->lastError, "track errors as the model says");
  require(std::memcmp(&record, &twinRecord, sizeof record) == 0, "stored data as the model says");
  if (outcome == Outcome::Reply && expected == MRW_OK)
    checkStoredData(*session, &record, track, reply);
  return 0;
}
