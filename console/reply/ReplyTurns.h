// Which command a reply answers, on every page and both links.
//
// The reader answers each command with one reply, in the order the commands
// went out. Every command is noted as owed a reply at the moment it counts as
// sent, with what its reply needs (CommandId, HexDumpFlag, TxBuffer[0]) taken
// from the handler that sent it. A reply answers the oldest command that went
// out before the reply began and was still owed one then, and is handled as
// that command's reply, whether a handler waits for it or not:
//  - the echo (the reply's third character repeats the command's) tells owed
//    commands apart where it differs: the reply answers the oldest owed
//    command with its echo, and the commands before that one have lost
//    theirs; where the echoes are the same, order decides. A binary reply
//    frame, or a reply too short to carry an echo, answers the oldest owed
//    command that does not wait for a track's reply; a command that names no
//    echo (a frame, a line without a third character) takes any reply;
//  - a reply whose echo no owed command has answers nothing and is dropped
//    unseen (over the network the link then reads on for the command's own);
//    but while a track step waits, a reply naming no track is shown for it
//    and answers nothing;
//  - a command is owed only while the reader can still be answering it: one
//    a handler waits for, until that wait ended and kLateReplyGraceMs passed
//    (its reply coming meanwhile is dropped unseen); one nobody waits for,
//    for its reply time once its bytes have gone out and every command
//    before it has been answered or stopped being owed: ReceiveTimeoutMs,
//    kCardMoveReplyMs for one that moves a card or waits for one, and
//    StartOfAnswerTimeoutMs for No Operation, a frame and the jump into the
//    boot loader. Over the
//    network a command nobody waits for is owed while the link waits for its
//    line, and then as one whose wait ended; every command stops being owed
//    there when the next one goes out, since the link drops what waits
//    before it sends;
//  - a reply when no command is owed it is dropped unseen.
// After a wait that ended without its reply, every next command goes out only
// once the grace has passed, so that a reply that is merely late comes while
// its command is still owed.
//
// While the reply handler handles a reply it took, it holds the turn; ending a
// wait waits for that, so the handler's writes (ReplyBuffer, ReplyStatus, the
// counts) are whole before the waiting handler reads them. Any thread may call
// these unless said otherwise.
#pragma once
#include <cstdint>
#include <functional>

#include "link/link.h"

constexpr uint32_t kLateReplyGraceMs = 1000;
// A card moved, or put in by hand, may take as long as the network link
// waits for a line.
constexpr uint32_t kCardMoveReplyMs = NetworkReplyTimeoutMs;

// The next command that goes out is awaited: its reply must echo `echo`;
// `echoNamesTrack`: the echo is a track character ('1'-'4'). GUI thread,
// right before the send.
void AwaitNextCommand(char echo, bool echoNamesTrack);
// The awaited command of the last AwaitNextCommand, 0 when none went out.
uint32_t AwaitedCommand();

// What an awaited command's turn came to.
struct TurnOutcome {
  bool answered = false;     // its reply was taken and handled
  bool unnamedSeen = false;  // a reply naming no track came meanwhile
};

// The handler has stopped waiting for `command`'s reply. `replyMayStillCome`
// false: the link went, so no late reply is to be waited out.
TurnOutcome EndReplyTurn(uint32_t command, bool replyMayStillCome);
// True once `command`'s reply has been handled.
bool ReplyTurnAnswered(uint32_t command);

// Over the network, the line of the command just sent did not come within
// the link's bound: unless a handler waits for it (and ends that wait
// itself), its late reply is waited out like that of an ended wait.
void EndNetworkLineWait();

// How long the next command must still hold back for a late reply (0: it may
// go out).
uint32_t LateReplyGraceLeftMs();
// Waits until no command must hold back any more, or `linkGone` says so
// (asked before each slice of platform::kWaitSliceMs); `keepAlive` runs after
// each slice. GUI thread.
void WaitOutLateReply(const std::function<bool()>& linkGone,
                      const std::function<void()>& keepAlive);

// The link was closed: no reply can come any more.
void ForgetOwedReplies();

// Installs the bookkeeping in the link layer: commands are noted as they
// count as sent, and every send first waits out the grace. Once, at start.
void InstallReplyTurns();

// What a reply needs of the command it answers.
struct AnsweredCommand {
  int commandId = 0;
  bool hexDump = false;
  char txTrack = 0;  // TxBuffer[0] when it went out
};

enum class ReplyFit {
  Taken,    // the reply of an owed command: handled as that command's
  Unnamed,  // names no track while the awaited command wants one: handled,
            // answers nothing
  Dropped,  // late, extra, or owed to nobody: dropped unseen
};

// The reply handler's hold on one reply: sorts it on construction (`stamp`:
// ReplyStamp(); `beganAt`: ReplyBeganAt(); `echo`: its third character, 0
// for a binary reply frame or a reply too short to carry one) and, unless it
// is dropped, holds the turn until destroyed.
class ReplyHandling {
 public:
  ReplyHandling(uint32_t stamp, uint32_t beganAt, char echo);
  ~ReplyHandling();
  ReplyHandling(const ReplyHandling&) = delete;
  ReplyHandling& operator=(const ReplyHandling&) = delete;

  ReplyFit fit() const { return fit_; }
  const AnsweredCommand& command() const { return command_; }

 private:
  ReplyFit fit_;
  uint32_t seq_ = 0;
  AnsweredCommand command_;
};
