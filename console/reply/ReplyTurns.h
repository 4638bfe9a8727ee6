// Which command a reply answers, on every page and both links.
//
// The reader answers each command with one reply, in the order the commands
// came. So a reply is taken only for the command sent last, and only once:
//  - a reply that began to arrive before the last command went out answers
//    an earlier command: it is dropped unseen (when a command goes out the
//    link also drops whatever is already waiting in it);
//  - a command takes one reply; a further line is dropped unseen;
//  - once a handler has stopped waiting for the reply (its bound ran out),
//    that reply is dropped unseen should it still come;
//  - an awaited command takes no reply echoing another character than its
//    own (a late reply of an earlier command); where the echo names a track,
//    a reply naming no track is shown but answers nothing.
// A late reply whose bytes cannot be told from the next command's reply (the
// same echo, or none) is told apart by time: after a wait that ended without
// its reply, the next awaited command goes out only kLateReplyGraceMs after
// that wait ended, and what arrives meanwhile is dropped as above. A reply
// later than that is taken by the next awaited command; it then costs that
// one step, and the next step's own reply, coming after, is dropped as a
// further line.
//
// While the reply handler handles a reply it took, it holds the turn; ending a
// wait waits for that, so the handler's writes (ReplyBuffer, ReplyStatus, the
// counts) are whole before the waiting handler reads them, and no reply is
// written after the wait ended. Any thread may call these.
#pragma once
#include <cstdint>

constexpr uint32_t kLateReplyGraceMs = 1000;

// The handler is about to send a command and wait for its reply, which must
// echo `echo` (CommandEcho); `echoNamesTrack`: the echo is a track character
// ('1'-'4'). GUI thread, right before the send.
void OpenReplyTurn(char echo, bool echoNamesTrack);

// The handler has stopped waiting for the reply of the command of the last
// OpenReplyTurn. `replyMayStillCome` false: the link went, so no late reply is
// to be waited out.
void EndReplyTurn(bool replyMayStillCome);

// How long the next awaited command must still hold back for a late reply
// (0: it may go out).
uint32_t LateReplyGraceLeftMs();

// The link was closed: no late reply can come any more.
void ForgetLateReply();

// True once the reply taken for the open turn has been handled.
bool ReplyTurnAnswered();
// True when a reply naming no track came during the open turn.
bool ReplyTurnSawUnnamed();
// How many replies echoing another character were dropped during the open turn.
int ReplyTurnStrays();

enum class ReplyFit {
  Taken,    // the reply of the command sent last: handled
  Unnamed,  // it names no track while the turn wants one: handled, answers nothing
  Dropped,  // late, extra, or for an earlier command: dropped unseen
};

// The reply handler's hold on one reply: sorts it on construction (`stamp`:
// ReplyStamp(); `echo`: its third character) and, unless it is dropped,
// holds the turn until destroyed.
class ReplyHandling {
 public:
  ReplyHandling(uint32_t stamp, char echo);
  ~ReplyHandling();
  ReplyHandling(const ReplyHandling&) = delete;
  ReplyHandling& operator=(const ReplyHandling&) = delete;

  ReplyFit fit() const { return fit_; }

 private:
  ReplyFit fit_;
  uint32_t stamp_;
};
