// A simulated card reader for tests and demos. It serves the reader's command
// lines (prefix, data, CR LF; answered "SS" + echo + payload + LF) and binary
// frames (0x60, length, CRC-16, data, check byte; answered with a binary reply
// frame) on a pseudo-terminal and on a loopback TCP port. Every request is
// recorded; faults can be asked for per command prefix or for every reply.
// Thread-safe: tests drive it from their own thread while it serves.
//
// How a request is answered, first rule that applies:
//  1. Faults().dropConnection on a TCP client: recorded, then the client is
//     closed without an answer (the fault then clears itself).
//  2. Faults().silent, or a Drop reply fault firing on this request:
//     recorded, nothing answered (no handler runs).
//  3. A text line starting with a SetStatusFor prefix (longest wins):
//     that status + echo, no payload.
//  4. A text line starting with a SetHandler prefix (longest wins): the
//     handler's Reply. The built-in behaviour (version, track reads and
//     writes, norm) is installed the same way and can be replaced.
//  5. Any other line whose start is a command prefix: "00" + echo, no payload.
//  6. A line with no command prefix: status 05 (command unidentified) + echo.
//  7. A binary frame whose CRC or check byte is wrong (or whose length field
//     is below 2): recorded with frameError, answered by a reply frame
//     carrying the single byte 'E'.
//  8. A good binary frame: the frame handler's Reply (by default a reply frame
//     carrying the single byte 'A').
// The echo character is the line's third character ('0' when shorter).
// Before the answer go Faults().garbageBefore, Faults().delayMs and the
// delayMs of a Delay reply fault firing on this request; an Extra reply fault
// firing on it adds its line right after the answer (in the same writes);
// the answer goes out in Faults().splitPieces writes. One serving thread
// answers all peers in turn, reading nothing meanwhile, so a delay holds back
// every peer and the replies to later requests.
// A reply fault counts the requests matching its prefix from the moment it is
// armed and fires on the nth of them, whatever their answer, then is gone.
// Requests that a dropConnection closes on count too.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "card.h"

namespace readersim {

// One request as the reader saw it.
struct Request {
  bool binary = false;      // a BinaryFrame (payload in `data`) rather than a line
  std::string line;         // a text line without its CR LF ("201", "080B", ...)
  std::string data;         // frame payload (binary) or line bytes after the prefix
                            // (the whole line when it has no command prefix)
  std::string prefix;       // the line's command prefix ("20", "080"), "" if none
  bool frameError = false;  // binary: CRC or check byte wrong
  std::string frame;        // binary: every byte of the frame as received
  int connection = 0;       // 0 the pseudo-terminal; TCP clients count 1, 2, ...
};

// What a handler wants sent back.
struct Reply {
  bool silent = false;      // send nothing
  bool binary = false;      // a binary reply frame carrying `payload`
  bool raw = false;         // `payload` goes out as it is (no status, echo or LF)
  int status = 0;           // text replies: two status digits (0-99)
  char echo = '0';          // text replies: the echo character
  std::string payload;      // text after the echo (no LF), or frame data
};

// Reply builders: a text reply with the request's echo character, a binary
// reply frame, bytes exactly as given.
Reply TextReply(const Request& request, int status = 0, const std::string& payload = "");
Reply FrameReply(const std::string& data);
Reply RawReply(const std::string& bytes);

struct Faults {
  int delayMs = 0;              // before every reply
  int splitPieces = 1;          // replies go out in this many writes ...
  int splitGapMs = 0;           // ... with this pause between them
  bool silent = false;          // answer nothing at all
  std::string garbageBefore;    // bytes written before every reply
  bool dropConnection = false;  // TCP: close the client after reading the next
                                // request; clears itself once done
};

// A fault for the reply to one request: the nth request from any peer
// (counting from 1, from AddReplyFault on) that is a text line starting with
// `prefix`; an empty prefix matches every request, binary frames included.
struct ReplyFault {
  enum Kind { Drop, Delay, Extra };
  Kind kind = Drop;  // Drop: no reply; Delay: the reply delayMs late;
                     // Extra: extraLine + LF after the reply
  std::string prefix;
  int nth = 1;
  int delayMs = 0;
  std::string extraLine;  // "" sends the reply itself a second time
  // Extra: 0 sends the line in one write with the reply; otherwise it is a
  // write of its own this long after the reply (a stack that holds small
  // segments until they are acknowledged then holds it back).
  int extraGapMs = 0;
};

// Reply fault builders: no reply, the reply `delayMs` late, `extraLine` (or
// the reply again) after the reply, `gapMs` later as a write of its own; each
// to the nth request matching `prefix`.
ReplyFault DropReply(const std::string& prefix, int nth);
ReplyFault LateReply(const std::string& prefix, int nth, int delayMs);
ReplyFault ExtraReply(const std::string& prefix, int nth, const std::string& extraLine = "",
                      int gapMs = 0);

class ReaderSim {
 public:
  ReaderSim();
  ~ReaderSim();  // Stop()
  ReaderSim(const ReaderSim&) = delete;
  ReaderSim& operator=(const ReaderSim&) = delete;

  // Opens a pseudo-terminal and serves its master side; returns the slave path
  // ("" when no pseudo-terminal can be had). The slave is raw (no echo, CR and
  // LF untouched) until the client sets its own terminal settings.
  std::string StartPty();
  // Listens on 127.0.0.1 (port 0 picks a free one); returns the port, 0 when
  // the port cannot be had (e.g. in use).
  uint16_t StartTcp(uint16_t port = 0);
  // Ends serving and closes every descriptor; for good. Blocks until the
  // serving thread has ended (a reply being delayed or split is cut short).
  void Stop();

  void SetFaults(const Faults& faults);
  Faults GetFaults() const;
  // Answers every line that starts with `prefix` (normally a command prefix,
  // "201" narrows it to one parameter) with `status` instead of the normal
  // reply; the longest matching prefix wins.
  void SetStatusFor(const std::string& prefix, int status);
  void ClearStatusOverrides();
  // Arms a reply fault; several may be armed at once, each fires once.
  // False (nothing armed) when nth < 1 or delayMs < 0.
  bool AddReplyFault(const ReplyFault& fault);
  // Disarms every reply fault that has not fired.
  void ClearReplyFaults();

  // Replaces (or adds) the handling of lines that start with `prefix`;
  // the longest matching prefix wins. Handlers run on the serving thread,
  // one at a time, without any lock of the simulator held: they may call
  // every member except Stop, SendRaw (it waits for the serving thread) and
  // ~ReaderSim; a handler answers through the Reply it returns.
  using Handler = std::function<Reply(const Request&)>;
  void SetHandler(const std::string& prefix, Handler handler);
  // Handling of good binary frames (default: a reply frame carrying 'A').
  void SetFrameHandler(Handler handler);

  // The card the built-in handlers read and write.
  Card& CardState();

  // Writes raw bytes to every connected peer (pty and TCP clients, including
  // clients whose connect has completed but which were not yet served).
  // Returns once the bytes have been written.
  void SendRaw(const std::string& bytes);

  std::vector<Request> Requests() const;
  void ClearRequests();
  // Blocks until at least `count` requests were recorded or timeoutMs passes.
  bool WaitForRequests(size_t count, int timeoutMs) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace readersim
